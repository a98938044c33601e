// Peekster: point at a window, run it, and read which executable owns that window; given a
// settings file, also what Lumivane would do with the window.
#include <stdio.h>

#include "../common/settings.h"
#include "explain.h"
#include "pointer_report.h"
#include "settings_argument.h"

int main(int argc, char **argv)
{
    if (argc > 2) {
        fprintf(stderr, "Peekster: give at most one argument, a settings file\n"
                        "usage: Peekster [Lumivane.rc]\n");
        return 2;
    }
    if (argc == 2) {
        if (!settings_file_usable(argv[1]))
            return 1;
        read_settings(argv[1]);
    }
    HWND under_pointer = print_pointer_report();
    if (argc == 2)
        print_explanation(under_pointer);
    return 0;
}
