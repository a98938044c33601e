// The fake desktop's state and the steps its files share.
#include <algorithm>

#include "state.h"

namespace fake {

static State *g_state = new State;

State &state() { return *g_state; }

// The global atom table outlives a desktop, as the plug-in's own memory of its atoms does
// between tests: an atom it keeps must never stand for another name.
void reset_state()
{
    State *fresh = new State;
    if (g_state) {
        fresh->atoms = g_state->atoms;
        fresh->next_atom = g_state->next_atom;
    }
    delete g_state;
    g_state = fresh;
}

Window *find_window(HWND window)
{
    auto it = state().windows.find(window);
    return it == state().windows.end() ? nullptr : &it->second;
}

void log_call(const std::string &call) { state().calls.push_back(call); }

DWORD new_id() { return state().next_id++; }

HWND new_window(DWORD process, DWORD thread, const WindowOptions &options, HWND parent)
{
    HWND handle = (HWND)(uintptr_t)new_id();
    Window &window = state().windows[handle];
    static_cast<WindowOptions &>(window) = options;
    window.process = process;
    window.thread = thread;
    window.style = (options.style | (parent ? WS_CHILD : 0)) & ~WS_VISIBLE_BIT;
    window.parent = parent;
    window.sibling_order = (long)new_id();
    window.class_name = options.window_class ? options.window_class : "";
    window.owner = parent ? nullptr : options.owner;
    if (!parent)
        state().z_order.insert(state().z_order.begin(), handle);
    return handle;
}

void set_attributes(Window &window, COLORREF key, BYTE alpha, DWORD flags)
{
    window.attributes_set = true;
    window.key = key;
    window.alpha = alpha;
    window.flags = flags;
}

Process *process_of(HANDLE handle)
{
    auto it = state().handle_process.find(handle);
    if (it == state().handle_process.end())
        return nullptr;
    auto process = state().processes.find(it->second);
    return process == state().processes.end() ? nullptr : &process->second;
}

std::string fold_key(std::string key)
{
    for (char &c : key)
        if (c >= 'a' && c <= 'z')
            c = (char)(c - 'a' + 'A');
    return key;
}

}  // namespace fake
