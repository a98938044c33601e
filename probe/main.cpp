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

static const char CHECK_OPTION[] = "--check";

// Exit codes of --check: nothing named, something named, no file or wrong arguments.
enum { CHECKED_CLEAN = 0, PROBLEMS_FOUND = 1, CANNOT_CHECK = 2 };

static int usage(const char *complaint)
{
    fprintf(stderr, "Peekster: %s\n"
                    "usage: Peekster [Lumivane.rc]\n"
                    "       Peekster --check Lumivane.rc\n", complaint);
    return CANNOT_CHECK;
}

// The path as a command line needs it.
static const char *quote_of(const char *path)
{
    return strchr(path, ' ') ? "\"" : "";
}

static int check(const char *path)
{
    if (!settings_file_usable(path))
        return CANNOT_CHECK;
    int problems = check_settings(path, stdout);
    if (problems < 0) {
        fprintf(stderr, "Peekster: the settings file %s cannot be read\n", path);
        return CANNOT_CHECK;
    }
    if (problems == 0)
        printf("No problems in %s: Lumivane reads every line as written\n", path);
    else
        printf("%d problem%s in %s\n", problems, problems == 1 ? "" : "s", path);
    return problems == 0 ? CHECKED_CLEAN : PROBLEMS_FOUND;
}

static void explain(const char *path, HWND under_pointer)
{
    print_explanation(under_pointer);
    int problems = check_settings(path, NULL);
    if (problems > 0)
        printf("Settings: %d problem%s in this file; Peekster %s %s%s%s lists them\n", problems,
               problems == 1 ? "" : "s", CHECK_OPTION, quote_of(path), path, quote_of(path));
    fflush(stdout);
}

int main(int argc, char **argv)
{
    if (argc >= 2 && strcmp(argv[1], CHECK_OPTION) == 0)
        return argc == 3 ? check(argv[2]) : usage("--check takes one settings file");
    if (argc > 2)
        return usage("give one settings file, or --check and one settings file");
    if (argc == 2) {
        if (!settings_file_usable(argv[1]))
            return 1;
        read_settings(argv[1]);
    }
    HWND under_pointer = print_pointer_report();
    if (argc == 2)
        explain(argv[1], under_pointer);
    return 0;
}
