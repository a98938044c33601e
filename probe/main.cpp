// Peekster: point at a window, run it, and read which executable owns that window; given a
// settings file, also what Lumivane would do with the window; with --check, every line of
// the file that Lumivane reads otherwise than written.
#include <stdio.h>
#include <string.h>

#include "../common/settings.h"
#include "explain.h"
#include "pointer_report.h"
#include "settings_argument.h"
#include "settings_check.h"

static int usage(const char *complaint)
{
    fprintf(stderr, "Peekster: %s\n"
                    "usage: Peekster [Lumivane.rc]\n"
                    "       Peekster " CHECK_OPTION " Lumivane.rc\n", complaint);
    return CANNOT_CHECK;
}

int main(int argc, char **argv)
{
    if (argc >= 2 && strcmp(argv[1], CHECK_OPTION) == 0) {
        if (argc != 3)
            return usage(CHECK_OPTION " takes one settings file");
        return settings_file_usable(argv[2]) ? run_check(argv[2]) : CANNOT_CHECK;
    }
    if (argc > 2)
        return usage("give one settings file, or " CHECK_OPTION " and one settings file");
    if (argc == 2) {
        if (!settings_file_usable(argv[1]))
            return 1;
        read_settings(argv[1]);
    }
    HWND under_pointer = print_pointer_report();
    if (argc == 2) {
        print_explanation(under_pointer);
        print_problem_count(argv[1]);
    }
    return 0;
}
