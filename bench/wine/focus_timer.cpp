// Times the plug-in's FOCUS pass from outside the shell: raises a foreground change for a
// window, as the system raises it, and waits until the shell's thread has handled it (how,
// in stopwatch.h). Needs the in-shell baseline loaded in the running shell.
//
//   focus_timer.exe --serve     one line of standard input per measurement:
//     WINDOW                    a foreground change to WINDOW (a handle in hex); answers
//                               "focus WINDOW MS ms"
//     idle                      the same for an event that no hook takes: what the
//                               measurement costs on its own; answers "idle MS ms"
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "stopwatch.h"

namespace {

// A pass over many windows under Wine on a loaded machine can take many seconds.
const DWORD WAIT_LIMIT_MS = 300000;

HANDLE g_done;
HWND g_stopwatch;

// Milliseconds from raising the event until the shell's thread has handled it; negative
// when it did not answer in time.
double time_event(DWORD event, HWND window)
{
    ResetEvent(g_done);
    LARGE_INTEGER start, end, frequency;
    QueryPerformanceCounter(&start);
    NotifyWinEvent(event, window, OBJID_WINDOW, CHILDID_SELF);
    if (!PostMessageA(g_stopwatch, STOPWATCH_MESSAGE, 0, 0) ||
        WaitForSingleObject(g_done, WAIT_LIMIT_MS) != WAIT_OBJECT_0)
        return -1.0;
    QueryPerformanceCounter(&end);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(end.QuadPart - start.QuadPart) * 1000.0 /
           static_cast<double>(frequency.QuadPart);
}

void answer(const char *what, double ms)
{
    if (ms < 0)
        std::printf("%s did not answer\n", what);
    else
        std::printf("%s %.3f ms\n", what, ms);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 2 || std::strcmp(argv[1], "--serve") != 0) {
        std::fprintf(stderr, "usage: focus_timer.exe --serve\n");
        return 2;
    }
    g_stopwatch = FindWindowA(STOPWATCH_WINDOW_CLASS, NULL);
    g_done = CreateEventA(NULL, FALSE, FALSE, STOPWATCH_EVENT);
    if (!g_stopwatch || !g_done) {
        std::fprintf(stderr, "focus_timer: no in-shell baseline is running\n");
        return 1;
    }
    char line[64];
    while (std::fgets(line, sizeof line, stdin)) {
        line[std::strcspn(line, "\r\n")] = '\0';
        if (std::strcmp(line, "idle") == 0) {
            // EVENT_SYSTEM_SOUND: the plug-in hooks creation, foreground and move/size only.
            answer("idle", time_event(EVENT_SYSTEM_SOUND, NULL));
            continue;
        }
        char *end = NULL;
        unsigned long long handle = std::strtoull(line, &end, 16);
        if (end == line || *end != '\0') {
            std::printf("focus_timer cannot run \"%s\"\n", line);
            std::fflush(stdout);
            continue;
        }
        HWND window = reinterpret_cast<HWND>(static_cast<UINT_PTR>(handle));
        char what[48];
        std::snprintf(what, sizeof what, "focus %s", line);
        answer(what, time_event(EVENT_SYSTEM_FOREGROUND, window));
    }
    return 0;
}
