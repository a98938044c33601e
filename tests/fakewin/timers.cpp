// Timers and the time the shell's thread spends: SetTimer, KillTimer and the control side.
#include <string.h>

#include <algorithm>

#include "state.h"

namespace fake {

// A window's timers die with it, as in Windows; thread timers (no window) live on.
static void forget_dead_timers()
{
    auto &timers = state().timers;
    for (auto it = timers.begin(); it != timers.end();) {
        HWND window = it->first.first;
        it = !window || find_window(window) ? std::next(it) : timers.erase(it);
    }
}

void pass_time(DWORD milliseconds)
{
    State &s = state();
    DWORD end = s.clock_ms + milliseconds;
    for (;;) {
        forget_dead_timers();
        // The next timer due, if it falls due no later than end.
        auto next = std::min_element(s.timers.begin(), s.timers.end(), [](auto &a, auto &b) {
            return a.second.due_ms < b.second.due_ms;
        });
        if (next == s.timers.end() || next->second.due_ms > end)
            break;
        auto key = next->first;
        Timer timer = next->second;
        s.clock_ms = std::max(s.clock_ms, timer.due_ms);
        next->second.due_ms = s.clock_ms + timer.interval_ms;
        if (timer.callback) {
            if (plugin_code_present())
                timer.callback(key.first, WM_TIMER, key.second, s.clock_ms);
        } else if (Window *window = find_window(key.first)) {
            if (window->proc && plugin_code_present())
                window->proc(key.first, WM_TIMER, key.second, 0);
        }
    }
    s.clock_ms = end;
}

int running_timers()
{
    forget_dead_timers();
    return (int)state().timers.size();
}

DWORD waited_ms() { return state().waited_ms; }

int plugin_self_loads() { return state().plugin_loads; }

void free_plugin() { ++state().plugin_frees; }

int calls_into_freed_plugin() { return state().calls_into_freed_plugin; }

bool plugin_code_present()
{
    State &s = state();
    if (s.plugin_frees <= s.plugin_loads)
        return true;
    ++s.calls_into_freed_plugin;
    return false;
}

void during_wait_on(HWND window, int n, void (*action)(), bool before_style_lands)
{
    state().wait_trigger = window;
    state().waits_to_skip = n;
    state().before_style_lands = before_style_lands;
    state().wait_action = action;
}

void waiting_on(HWND window, bool style_landed)
{
    State &s = state();
    if (s.wait_action && window == s.wait_trigger && style_landed != s.before_style_lands &&
        s.waits_to_skip-- == 0) {
        void (*action)() = s.wait_action;
        s.wait_action = nullptr;
        action();
    }
}

}  // namespace fake

using namespace fake;

// The shell's thread's waits on other threads take time too.
DWORD GetTickCount(void) { return state().clock_ms + state().waited_ms; }

UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT interval_ms, TIMERPROC callback)
{
    if (window && !find_window(window))
        return 0;
    if (!window)
        id = state().next_thread_timer++;
    state().timers[{window, id}] = {callback, interval_ms, state().clock_ms + interval_ms};
    return window ? 1 : id;
}

BOOL KillTimer(HWND window, UINT_PTR id)
{
    return state().timers.erase({window, id}) ? TRUE : FALSE;
}

// The ANSI name is taken through the code page; a '?', which stands for a character the code
// page lacks, names no file.
HMODULE LoadLibraryA(LPCSTR path)
{
    if (!path || strchr(path, '?') || ansi_text(wide_text(state().plugin_path)) != path)
        return nullptr;
    ++state().plugin_loads;
    return plugin_module();
}

// Before Windows 10, no name of MAX_PATH characters or more loads.
HMODULE LoadLibraryW(LPCWSTR path)
{
    std::u16string name = wide_text(state().plugin_path);
    if (!path || name.size() >= MAX_PATH || name != path)
        return nullptr;
    ++state().plugin_loads;
    return plugin_module();
}
