// The floor under the plug-in's passes: for the same windows, exactly the system calls the
// ALWAYS pass (turning the effect on), the restore pass (turning it off) and the FOCUS pass
// (a foreground change) make when every window is looked at on its own, with no settings and
// no decisions. "on" gives every visible window whose executable can be named LEVEL; "off"
// returns every window whose executable can be named to opaque; "focus WINDOW LEVEL" gives
// every visible named window LEVEL and WINDOW, the new foreground window, opaque.
//
//   baseline.exe [--profile] [--hooks] on LEVEL | off | focus WINDOW LEVEL   one pass
//   baseline.exe [--hooks] --serve            a pass for each line of standard input
//
// Prints "baseline on|off|focus MS ms windows N named N styled N attributes N" for each pass,
// the time taken with the performance counter around it, as the shell times its delivery.
// Serving keeps one warm process, as the shell is, so that the start-up of a fresh one does
// not overlap the pass. --profile also times each system call and prints, per function, its
// calls and time (the timing adds its own). --hooks adds what the plug-in's switch does
// around its pass: installing its three window event hooks before the ALWAYS pass, removing
// them before the restore pass.
#include <cstdio>
#include <cstring>

#include "baseline_pass.h"

static int usage()
{
    std::fprintf(stderr, "usage: baseline.exe [--profile] [--hooks] on LEVEL | off |"
                         " focus WINDOW LEVEL\n"
                         "       baseline.exe [--hooks] --serve\n");
    return 2;
}

int main(int argc, char **argv)
{
    int first = 1;
    bool serving = false;
    for (; first < argc && std::strncmp(argv[first], "--", 2) == 0; ++first) {
        if (std::strcmp(argv[first], "--profile") == 0)
            g_profiling = true;
        else if (std::strcmp(argv[first], "--hooks") == 0)
            g_hooking = true;
        else if (std::strcmp(argv[first], "--serve") == 0)
            serving = true;
        else
            return usage();
    }
    if (serving) {
        if (first != argc)
            return usage();
        char line[64];
        while (std::fgets(line, sizeof line, stdin)) {
            if (!run_pass(line)) {
                std::printf("baseline cannot run \"%s\"\n", line);
                std::fflush(stdout);
            }
        }
        return 0;
    }
    if (argc - first < 1 || argc - first > 3)
        return usage();
    char command[64] = "";
    for (int i = first; i < argc; ++i) {
        size_t used = std::strlen(command);
        std::snprintf(command + used, sizeof command - used, i == first ? "%s" : " %s", argv[i]);
    }
    return run_pass(command) ? 0 : usage();
}
