// The user32, kernel32 and psapi calls the product makes, over the fake desktop's state.
#include <psapi.h>
#include <string.h>

#include <algorithm>
#include <cstdio>

#include "../../plugin/shell_messages.h"
#include "state.h"

namespace fake {

// A name argument that is an atom (MAKEINTATOM) has nothing above its low word.
static bool is_int_atom(LPCSTR name) { return ((uintptr_t)name >> 16) == 0; }

// The atom a property name stands for, or 0 when no such name was ever added.
static ATOM property_atom(LPCSTR name)
{
    if (is_int_atom(name))
        return (ATOM)(uintptr_t)name;
    auto it = state().atoms.find(fold_key(name));
    return it == state().atoms.end() ? 0 : it->second;
}

// Windows' own GetLayeredWindowAttributes, QueryFullProcessImageNameW and GetModuleHandleExW,
// reachable only
// through GetProcAddress, as the product binds them.
static BOOL get_layered_window_attributes(HWND handle, COLORREF *key, BYTE *alpha, DWORD *flags)
{
    Window *window = find_window(handle);
    if (!window || !(window->ex_style & WS_EX_LAYERED) || !window->attributes_set)
        return FALSE;
    if (key)
        *key = window->key;
    if (alpha)
        *alpha = window->alpha;
    if (flags)
        *flags = window->flags;
    return TRUE;
}

static BOOL query_full_process_image_name(HANDLE handle, DWORD, LPWSTR name, PDWORD size)
{
    const Process *process = process_of(handle);
    if (!process || !process->options.image_readable)
        return FALSE;
    std::u16string exe = wide_text(process->exe);
    if (exe.size() + 1 > *size)
        return FALSE;   // ERROR_INSUFFICIENT_BUFFER: a name is never cut
    memcpy(name, exe.c_str(), (exe.size() + 1) * sizeof(WCHAR));
    *size = (DWORD)exe.size();
    return TRUE;
}

// The plug-in's module, pinned by an address inside it; Windows XP and later.
static BOOL get_module_handle_ex(DWORD flags, LPCWSTR address, HMODULE *module)
{
    *module = nullptr;
    if (!(flags & GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS) || (HMODULE)address != plugin_module())
        return FALSE;
    *module = plugin_module();
    if (flags & GET_MODULE_HANDLE_EX_FLAG_PIN)
        ++state().plugin_loads;
    return TRUE;
}

static const HMODULE USER32 = (HMODULE)(uintptr_t)0x77d40000;
static const HMODULE KERNEL32 = (HMODULE)(uintptr_t)0x7c800000;
static const HMODULE SHELL_EXE = (HMODULE)(uintptr_t)0x00400000;
static const HMODULE FIRST_MODULE = (HMODULE)(uintptr_t)0x00400000;

}  // namespace fake

using namespace fake;


DWORD GetCurrentThreadId(void) { return shell_thread(); }

HANDLE OpenProcess(DWORD, BOOL, DWORD process_id)
{
    auto it = state().processes.find(process_id);
    if (it != state().processes.end())
        ++it->second.opens;
    if (process_id == 0 || it == state().processes.end() || !it->second.options.can_open)
        return nullptr;
    HANDLE handle = (HANDLE)(uintptr_t)new_id();
    state().handle_process[handle] = process_id;
    return handle;
}

BOOL CloseHandle(HANDLE handle) { return state().handle_process.erase(handle) ? TRUE : FALSE; }

HMODULE GetModuleHandleA(LPCSTR name)
{
    if (!name)
        return SHELL_EXE;
    if (strcasecmp(name, "user32.dll") == 0)
        return USER32;
    if (strcasecmp(name, "kernel32.dll") == 0)
        return KERNEL32;
    return nullptr;
}

FARPROC GetProcAddress(HMODULE module, LPCSTR name)
{
    if (module == USER32 && state().layered_query && strcmp(name, "GetLayeredWindowAttributes") == 0)
        return reinterpret_cast<FARPROC>(&get_layered_window_attributes);
    if (module == KERNEL32 && state().image_name_query &&
        strcmp(name, "QueryFullProcessImageNameW") == 0)
        return reinterpret_cast<FARPROC>(&query_full_process_image_name);
    bool xp_or_later = state().version_major > 5 ||
                       (state().version_major == 5 && state().version_minor >= 1);
    if (module == KERNEL32 && xp_or_later && strcmp(name, "GetModuleHandleExW") == 0)
        return reinterpret_cast<FARPROC>(&get_module_handle_ex);
    return nullptr;
}

BOOL GetVersionExA(OSVERSIONINFOA *info)
{
    if (info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA))
        return FALSE;
    info->dwPlatformId = state().version_platform;
    info->dwMajorVersion = state().version_major;
    info->dwMinorVersion = state().version_minor;
    return TRUE;
}

ATOM GlobalAddAtomA(LPCSTR name)
{
    if (!name || !*name)
        return 0;
    auto added = state().atoms.emplace(fold_key(name), state().next_atom);
    if (added.second)
        ++state().next_atom;
    return added.first->second;
}

BOOL EnumProcessModules(HANDLE handle, HMODULE *modules, DWORD size_bytes, DWORD *needed)
{
    const Process *process = process_of(handle);
    if (!process || !process->options.modules_readable)
        return FALSE;   // ERROR_PARTIAL_COPY across bitness
    if (size_bytes >= sizeof(HMODULE))
        modules[0] = FIRST_MODULE;
    *needed = 3 * sizeof(HMODULE);
    return TRUE;
}

// Windows XP cuts a name that does not fit to size characters, unterminated.
template <typename Char>
static DWORD copy_module_name(const std::basic_string<Char> &name, Char *buffer, DWORD size)
{
    if (name.size() >= size) {
        memcpy(buffer, name.data(), size * sizeof(Char));
        return size;
    }
    memcpy(buffer, name.c_str(), (name.size() + 1) * sizeof(Char));
    return (DWORD)name.size();
}

DWORD GetModuleFileNameExA(HANDLE handle, HMODULE module, LPSTR buffer, DWORD size)
{
    const Process *process = process_of(handle);
    if (!process || module != FIRST_MODULE || size == 0)
        return 0;
    // The ANSI call is cut and terminated, as Windows 7 and later do.
    std::string exe = ansi_text(wide_text(process->exe));
    DWORD length = (DWORD)std::min<size_t>(exe.size(), size - 1);
    memcpy(buffer, exe.data(), length);
    buffer[length] = '\0';
    return length;
}

DWORD GetModuleFileNameExW(HANDLE handle, HMODULE module, LPWSTR buffer, DWORD size)
{
    const Process *process = process_of(handle);
    if (!process || module != FIRST_MODULE || size == 0)
        return 0;
    return copy_module_name(wide_text(process->exe), buffer, size);
}

int WideCharToMultiByte(UINT code_page, DWORD, LPCWSTR wide, int wide_length, LPSTR bytes,
                        int size, LPCSTR, BOOL *used_default)
{
    if (code_page != CP_ACP || wide_length != -1)
        return 0;
    std::string text = ansi_text(wide);
    if (used_default)
        *used_default = text.find('?') != std::string::npos;
    if (size == 0)
        return (int)text.size() + 1;
    if ((int)text.size() + 1 > size)
        return 0;   // ERROR_INSUFFICIENT_BUFFER
    memcpy(bytes, text.c_str(), text.size() + 1);
    return (int)text.size() + 1;
}

DWORD GetWindowThreadProcessId(HWND handle, DWORD *process_id)
{
    Window *window = find_window(handle);
    if (!window)
        return 0;
    if (process_id)
        *process_id = window->process;
    return window->thread;
}

BOOL IsWindow(HWND handle) { return find_window(handle) ? TRUE : FALSE; }

// A child window shows only while every window above it does.
BOOL IsWindowVisible(HWND handle)
{
    for (Window *window = find_window(handle); window; window = find_window(window->parent)) {
        if (!window->visible)
            return FALSE;
        if (!window->parent)
            return TRUE;
    }
    return FALSE;
}

BOOL EnumWindows(WNDENUMPROC callback, LPARAM param)
{
    log_call("EnumWindows");
    std::vector<HWND> snapshot = state().z_order;
    for (size_t i = 0; i < snapshot.size(); ++i) {
        BOOL go_on = callback(snapshot[i], param);
        if ((int)i == state().enumeration_trigger && state().enumeration_action) {
            state().enumeration_trigger = -1;
            state().enumeration_action();
        }
        if (!go_on)
            return FALSE;
    }
    return TRUE;
}

LONG GetWindowLongA(HWND handle, int index)
{
    Window *window = find_window(handle);
    if (!window)
        return 0;
    if (index == GWL_EXSTYLE)
        return window->ex_style;
    if (index == GWL_STYLE)
        return window->style | (window->visible ? WS_VISIBLE_BIT : 0);
    return 0;
}

LONG SetWindowLongA(HWND handle, int index, LONG value)
{
    Window *window = find_window(handle);
    if (!window || index != GWL_EXSTYLE)
        return 0;
    waiting_on(handle, false);
    window = find_window(handle);
    if (!window)
        return 0;
    ++window->style_writes;
    LONG old = window->ex_style;
    window->ex_style = value;
    // Leaving the layered state forgets the layered attributes.
    if ((old & WS_EX_LAYERED) && !(value & WS_EX_LAYERED)) {
        window->attributes_set = false;
        window->key = window->alpha = window->flags = 0;
    }
    waiting_on(handle, true);
    return old;
}

BOOL SetLayeredWindowAttributes(HWND handle, COLORREF key, BYTE alpha, DWORD flags)
{
    Window *window = find_window(handle);
    if (!window)
        return FALSE;
    ++window->attribute_writes;
    // Child windows can be layered too, as on Windows 8 and later.
    if (!(window->ex_style & WS_EX_LAYERED))
        return FALSE;
    set_attributes(*window, key, alpha, flags);
    return TRUE;
}

// A window's property list, keyed by atom: a string name is added to the global atom table
// the first time it is set. The data is only a value; the system never looks into it.
BOOL SetPropA(HWND handle, LPCSTR name, HANDLE data)
{
    Window *window = find_window(handle);
    if (!window || window->properties_refused)
        return FALSE;
    ATOM atom = is_int_atom(name) ? (ATOM)(uintptr_t)name : GlobalAddAtomA(name);
    if (!atom)
        return FALSE;
    window->properties[atom] = data;
    return TRUE;
}

HANDLE GetPropA(HWND handle, LPCSTR name)
{
    Window *window = find_window(handle);
    if (!window)
        return nullptr;
    auto it = window->properties.find(property_atom(name));
    return it == window->properties.end() ? nullptr : it->second;
}

HANDLE RemovePropA(HWND handle, LPCSTR name)
{
    Window *window = find_window(handle);
    if (!window)
        return nullptr;
    auto it = window->properties.find(property_atom(name));
    if (it == window->properties.end())
        return nullptr;
    HANDLE data = it->second;
    window->properties.erase(it);
    return data;
}

LRESULT SendMessageA(HWND handle, UINT message, WPARAM wparam, LPARAM lparam)
{
    State &s = state();
    if (handle == s.shell_window) {
        if (message == BB_REGISTERMESSAGE || message == BB_UNREGISTERMESSAGE) {
            for (const UINT *m = (const UINT *)lparam; *m; ++m) {
                auto &list = s.registrations[*m];
                list.erase(std::remove(list.begin(), list.end(), (HWND)wparam), list.end());
                if (message == BB_REGISTERMESSAGE)
                    list.push_back((HWND)wparam);
            }
        }
        return 0;
    }
    Window *window = find_window(handle);
    if (!window || !window->proc || !plugin_code_present())
        return 0;
    return window->proc(handle, message, wparam, lparam);
}

LRESULT SendMessageTimeoutA(HWND handle, UINT message, WPARAM wparam, LPARAM lparam, UINT,
                            UINT timeout_ms, PDWORD_PTR result)
{
    Window *window = find_window(handle);
    if (!window)
        return 0;
    DWORD now = GetTickCount();
    DWORD answer_ms = std::max(window->answer_ms, window->busy_until > now ? window->busy_until - now : 0);
    if (window->hung || answer_ms > timeout_ms) {
        state().waited_ms += timeout_ms;
        return 0;
    }
    state().waited_ms += answer_ms;
    waiting_on(handle, true);
    LRESULT answer = SendMessageA(handle, message, wparam, lparam);
    if (result)
        *result = (DWORD_PTR)answer;
    return 1;
}

HWINEVENTHOOK SetWinEventHook(DWORD event_min, DWORD event_max, HMODULE, WINEVENTPROC callback,
                              DWORD, DWORD, DWORD flags)
{
    char call[64];
    std::snprintf(call, sizeof call, "SetWinEventHook(0x%x,0x%x,0x%x)", event_min, event_max, flags);
    log_call(call);
    if (state().fail_hooks || !callback)
        return nullptr;
    HWINEVENTHOOK handle = (HWINEVENTHOOK)(uintptr_t)new_id();
    state().hooks[handle] = {event_min, event_max, flags, callback, GetCurrentThreadId()};
    return handle;
}

BOOL UnhookWinEvent(HWINEVENTHOOK hook)
{
    log_call("UnhookWinEvent");
    return state().hooks.erase(hook) ? TRUE : FALSE;
}

HCURSOR LoadCursorA(HINSTANCE, LPCSTR name)
{
    return name == IDC_ARROW ? (HCURSOR)(uintptr_t)0x10011 : nullptr;
}

ATOM RegisterClassA(const WNDCLASSA *window_class)
{
    std::string name = window_class->lpszClassName;
    if (state().fail_register || state().classes.count(name))
        return 0;
    state().classes[name] = {window_class->lpfnWndProc, window_class->hInstance};
    return 0xC001;
}

BOOL UnregisterClassA(LPCSTR class_name, HINSTANCE instance)
{
    auto it = state().classes.find(class_name);
    if (it == state().classes.end() || it->second.instance != instance ||
        !windows_of_class(class_name).empty())
        return FALSE;
    state().classes.erase(it);
    return TRUE;
}

HWND CreateWindowExA(DWORD ex_style, LPCSTR class_name, LPCSTR, DWORD style, int, int, int, int,
                     HWND, HMENU, HINSTANCE, LPVOID)
{
    auto it = state().classes.find(class_name);
    if (state().fail_create || it == state().classes.end())
        return nullptr;
    HWND handle = new_window(shell_process(), shell_thread(),
                             {.visible = (style & WS_VISIBLE_BIT) != 0, .style = (LONG)style,
                              .ex_style = (LONG)ex_style});
    Window *window = find_window(handle);
    window->proc = it->second.proc;
    window->class_name = class_name;
    if (window->proc(handle, WM_CREATE, 0, 0) == -1) {
        DestroyWindow(handle);
        return nullptr;
    }
    return handle;
}

BOOL DestroyWindow(HWND handle)
{
    Window *window = find_window(handle);
    if (!window)
        return FALSE;
    if (window->proc)
        window->proc(handle, WM_DESTROY, 0, 0);
    destroy_window(handle);
    return TRUE;
}

LRESULT DefWindowProcA(HWND handle, UINT message, WPARAM, LPARAM)
{
    if (message == WM_CLOSE)
        DestroyWindow(handle);
    return 0;
}

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT flags)
{
    state().boxes.push_back({owner, text ? text : "", caption ? caption : "", flags});
    return 1;
}

DWORD GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size)
{
    if (module != plugin_module() || size == 0)
        return 0;
    return copy_module_name(ansi_text(wide_text(state().plugin_path)), buffer, size);
}

DWORD GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD size)
{
    if (module != plugin_module() || size == 0)
        return 0;
    return copy_module_name(wide_text(state().plugin_path), buffer, size);
}

BOOL GetCursorPos(POINT *point)
{
    *point = state().pointer;
    return TRUE;
}

HWND WindowFromPoint(POINT) { return state().under_pointer; }

// Once the window in front has closed, no window is in front until the next one comes.
HWND GetForegroundWindow(void)
{
    return find_window(state().foreground) ? state().foreground : nullptr;
}
