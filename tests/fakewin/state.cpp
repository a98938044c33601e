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

namespace fake {

std::u16string wide_text(const std::string &utf8)
{
    std::u16string wide;
    for (size_t i = 0; i < utf8.size();) {
        unsigned char lead = (unsigned char)utf8[i];
        int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
        char32_t c = extra ? lead & (0x3F >> extra) : lead;
        for (int k = 1; k <= extra && i + k < utf8.size(); ++k)
            c = (c << 6) | ((unsigned char)utf8[i + k] & 0x3F);
        i += 1 + extra;
        if (c >= 0x10000) {
            wide += (char16_t)(0xD800 + ((c - 0x10000) >> 10));
            wide += (char16_t)(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            wide += (char16_t)c;
        }
    }
    return wide;
}

// A double-byte code page's lead bytes lie from 0x81 up, its trail bytes from 0x40 up; the
// bytes made here are of that shape, never a backslash or a NUL.
std::string ansi_text(const std::u16string &wide)
{
    std::string bytes;
    for (char16_t c : wide) {
        if (c < 0x80) {
            bytes += (char)c;
        } else if (state().double_byte_code_page) {
            bytes += (char)(0x81 + (c >> 8) % 0x7E);
            bytes += (char)(0x80 + (c & 0x7F));
        } else {
            bytes += c <= 0xFF ? (char)c : '?';
        }
    }
    return bytes;
}

}  // namespace fake
