// The baseline passes (baseline_pass.h) as a program:
//
//   baseline.exe [--profile] [--hooks] on LEVEL | off | focus WINDOW LEVEL   one pass
//   baseline.exe [--hooks] --serve            a pass for each line of standard input
//
// Serving keeps one warm process, as the shell is, so that the start-up of a fresh one does
// not overlap the pass. --profile and --hooks set g_profiling and g_hooking.
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
