// The floor under the plug-in's passes: for the same windows, exactly the system calls the
// ALWAYS pass (turning the effect on) and the restore pass (turning it off) must make, with
// no settings and no decisions. "on" gives every visible window whose executable can be
// named LEVEL; "off" returns every window whose executable can be named to opaque.
//
//   baseline.exe [--profile] [--hooks] on LEVEL | off    one pass
//   baseline.exe [--hooks] --serve                       a pass for each line of standard
//                                                        input ("on LEVEL" or "off")
//
// Prints "baseline on|off MS ms windows N named N changed N" for each pass, the time taken
// with the performance counter around it, as the shell times its delivery. Serving keeps
// one warm process, as the shell is, so that the start-up of a fresh one does not overlap
// the pass. --profile also times each kind of call and prints where the time went (the
// timing adds its own). --hooks adds what the plug-in's switch does around its pass:
// installing its three window event hooks before the ALWAYS pass, removing them before the
// restore pass.
#include <cstdio>
#include <cstring>

#include "baseline_pass.h"

static int usage()
{
    std::fprintf(stderr, "usage: baseline.exe [--profile] [--hooks] on LEVEL | off\n"
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
    char command[64];
    if (argc - first == 1)
        std::snprintf(command, sizeof command, "%s", argv[first]);
    else if (argc - first == 2)
        std::snprintf(command, sizeof command, "%s %s", argv[first], argv[first + 1]);
    else
        return usage();
    return run_pass(command) ? 0 : usage();
}
