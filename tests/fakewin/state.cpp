// The fake desktop's state and the steps its files share.
#include <algorithm>

#include "state.h"

namespace fake {

static State *g_state = new State;

State &state() { return *g_state; }

void reset_state()
{
    delete g_state;
    g_state = new State;
}

Window *find_window(HWND window)
{
    auto it = state().windows.find(window);
    return it == state().windows.end() ? nullptr : &it->second;
}

void log_call(const std::string &call) { state().calls.push_back(call); }

DWORD new_id() { return state().next_id++; }

HWND new_window(DWORD process, DWORD thread, bool visible, LONG style, LONG ex_style,
                HWND parent)
{
    HWND handle = (HWND)(uintptr_t)new_id();
    Window window;
    window.process = process;
    window.thread = thread;
    window.visible = visible;
    window.style = style & ~WS_VISIBLE_BIT;
    window.ex_style = ex_style;
    window.parent = parent;
    state().windows[handle] = window;
    if (!parent)
        state().z_order.insert(state().z_order.begin(), handle);
    return handle;
}

// Atom names and settings keys compare without regard to case.
std::string fold_key(std::string key)
{
    for (char &c : key)
        if (c >= 'a' && c <= 'z')
            c = (char)(c - 'a' + 'A');
    return key;
}

}  // namespace fake
