// Counts the baseline's system calls per function, and times them when asked to. The names
// are the functions' own, so that the counts can be laid beside those of the plug-in read
// from Wine's relay log.
#pragma once
#include <windows.h>

enum SystemCall {
    IS_WINDOW,
    IS_WINDOW_VISIBLE,
    GET_WINDOW_THREAD_PROCESS_ID,
    OPEN_PROCESS,
    ENUM_PROCESS_MODULES,
    GET_MODULE_FILE_NAME_EX,
    QUERY_FULL_PROCESS_IMAGE_NAME,
    CLOSE_HANDLE,
    GET_WINDOW_LONG,
    GET_LAYERED_WINDOW_ATTRIBUTES,
    SEND_MESSAGE_TIMEOUT,
    SET_WINDOW_LONG,
    SET_LAYERED_WINDOW_ATTRIBUTES,
    // Not made by the passes: calls the plug-in makes for its records on the windows, made
    // only to learn their price (see price_properties).
    GET_PROP,
    SET_PROP,
    REMOVE_PROP,
    SYSTEM_CALLS
};

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
