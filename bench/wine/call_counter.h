// Counts the baseline's system calls per function, and times them when asked to. The names
// are the functions' own, so that the counts can be laid beside those of the plug-in read
// from Wine's relay log.
#pragma once
#include <windows.h>

// Each function once: its id and its name. The last three are not made by the passes: the
// plug-in makes them for its records on the windows, and they are made only to learn their
// price (see price_properties).
#define SYSTEM_CALL_LIST(X)                                      \
    X(IS_WINDOW, IsWindow)                                       \
    X(IS_WINDOW_VISIBLE, IsWindowVisible)                        \
    X(GET_WINDOW_THREAD_PROCESS_ID, GetWindowThreadProcessId)    \
    X(OPEN_PROCESS, OpenProcess)                                 \
    X(ENUM_PROCESS_MODULES, EnumProcessModules)                  \
    X(GET_MODULE_FILE_NAME_EX, GetModuleFileNameExA)             \
    X(QUERY_FULL_PROCESS_IMAGE_NAME, QueryFullProcessImageNameA) \
    X(CLOSE_HANDLE, CloseHandle)                                 \
    X(GET_WINDOW_LONG, GetWindowLongA)                           \
    X(GET_LAYERED_WINDOW_ATTRIBUTES, GetLayeredWindowAttributes) \
    X(SEND_MESSAGE_TIMEOUT, SendMessageTimeoutA)                 \
    X(SET_WINDOW_LONG, SetWindowLongA)                           \
    X(SET_LAYERED_WINDOW_ATTRIBUTES, SetLayeredWindowAttributes) \
    X(GET_PROP, GetPropA)                                        \
    X(SET_PROP, SetPropA)                                        \
    X(REMOVE_PROP, RemovePropA)

#define SYSTEM_CALL_ID(id, name) id,
enum SystemCall { SYSTEM_CALL_LIST(SYSTEM_CALL_ID) SYSTEM_CALLS };

struct CallCounts {
    int calls[SYSTEM_CALLS];
    LONGLONG ticks[SYSTEM_CALLS];
};

extern CallCounts g_counts;
// Time each call too.
extern bool g_timing_calls;

LONGLONG performance_counter();
void reset_call_counts();
// One line per function called: "call" (or "price" for the calls made only to learn their
// price), name, calls, milliseconds in all, microseconds per call.
void print_call_counts(double ms_per_tick);

// Makes the call, counts it, and when timing adds its time to the function's total.
template <typename Call>
auto counted(SystemCall function, Call call)
{
    ++g_counts.calls[function];
    if (!g_timing_calls)
        return call();
    LONGLONG start = performance_counter();
    auto result = call();
    g_counts.ticks[function] += performance_counter() - start;
    return result;
}
