#include "call_counter.h"

#include <cstdio>
#include <cstring>

CallCounts g_counts;
bool g_timing_calls;

#define SYSTEM_CALL_NAME(id, name) #name,
static const char *const FUNCTION_NAMES[SYSTEM_CALLS] = {SYSTEM_CALL_LIST(SYSTEM_CALL_NAME)};

LONGLONG performance_counter()
{
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return counter.QuadPart;
}

void reset_call_counts()
{
    std::memset(&g_counts, 0, sizeof g_counts);
}

void print_call_counts(double ms_per_tick)
{
    for (int function = 0; function < SYSTEM_CALLS; ++function) {
        int calls = g_counts.calls[function];
        if (calls == 0)
            continue;
        double ms = static_cast<double>(g_counts.ticks[function]) * ms_per_tick;
        std::printf("  %s %-28s %6d calls %10.3f ms %8.1f us/call\n",
                    function >= GET_PROP ? "price" : "call", FUNCTION_NAMES[function], calls, ms,
                    ms * 1000.0 / calls);
    }
}
