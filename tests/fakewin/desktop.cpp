// Windows, processes, hooks and the user32/kernel32/psapi calls over them.
#include <psapi.h>
#include <string.h>

#include <algorithm>
#include <cstdio>

#include "state.h"

namespace fake {

static State *g_state = new State;

State &state() { return *g_state; }

Window *find_window(HWND window)
{
    auto it = state().windows.find(window);
    return it == state().windows.end() ? nullptr : &it->second;
}

void log_call(const std::string &call) { state().calls.push_back(call); }

static std::string hex(uint64_t value)
{
    char text[24];
    std::snprintf(text, sizeof text, "0x%llx", (unsigned long long)value);
    return text;
}

static DWORD new_id() { return state().next_id++; }

static const LONG WS_VISIBLE_BIT = 0x10000000L;

// A top-level window goes on top of the z-order; a child window is reached only through
// its parent.
static HWND new_window(DWORD process, DWORD thread, bool visible, LONG style, LONG ex_style,
                       HWND parent = nullptr)
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

void reset()
{
    delete g_state;
    g_state = new State;
    State &s = state();
    s.plugin_path = "C:\\Blackbox\\plugins\\Lumivane\\Lumivane.dll";
    s.shell_dir = "C:\\Blackbox\\";
    s.shell_process = add_process("C:\\Blackbox\\BLACKBOX.EXE");
    s.shell_window = add_window(s.shell_process);
}

DWORD shell_process() { return state().shell_process; }
DWORD shell_thread() { return state().processes[state().shell_process].thread; }
HWND shell_window() { return state().shell_window; }
HINSTANCE plugin_module() { return (HINSTANCE)(uintptr_t)0x10000000; }

DWORD add_process(const std::string &exe_path, const ProcessOptions &options)
{
    DWORD id = new_id();
    Process process;
    process.exe = exe_path;
    process.thread = new_id();
    process.options = options;
    state().processes[id] = process;
    return id;
}

void exit_process(DWORD process_id)
{
    std::vector<HWND> owned;
    for (auto &entry : state().windows)
        if (entry.second.process == process_id)
            owned.push_back(entry.first);
    for (HWND window : owned)
        destroy_window(window);
    state().processes.erase(process_id);
}

bool process_exists(DWORD process_id) { return state().processes.count(process_id) != 0; }

static void take_options(HWND handle, const WindowOptions &options)
{
    Window *window = find_window(handle);
    window->hung = options.hung;
    window->properties_refused = options.properties_refused;
}

HWND add_window(DWORD process_id, const WindowOptions &options)
{
    HWND handle = new_window(process_id, state().processes[process_id].thread, options.visible,
                             options.style, options.ex_style);
    take_options(handle, options);
    find_window(handle)->owner = options.owner;
    return handle;
}

HWND add_child_window(HWND parent, const WindowOptions &options)
{
    Window *parent_window = find_window(parent);
    HWND handle = new_window(parent_window->process, parent_window->thread, options.visible,
                             options.style | WS_CHILD, options.ex_style, parent);
    take_options(handle, options);
    return handle;
}

// Like Windows, destroying a window destroys its child windows and the windows it owns.
void destroy_window(HWND window)
{
    State &s = state();
    std::vector<HWND> dependants;
    for (auto &entry : s.windows)
        if (entry.second.parent == window || entry.second.owner == window)
            dependants.push_back(entry.first);
    for (HWND dependant : dependants)
        destroy_window(dependant);
    s.windows.erase(window);
    s.z_order.erase(std::remove(s.z_order.begin(), s.z_order.end(), window), s.z_order.end());
    for (auto &entry : s.registrations) {
        auto &list = entry.second;
        list.erase(std::remove(list.begin(), list.end(), window), list.end());
    }
}

void set_hung(HWND window, bool hung) { find_window(window)->hung = hung; }

void set_own_layered(HWND handle, COLORREF key, BYTE alpha, DWORD flags)
{
    Window *window = find_window(handle);
    window->ex_style |= WS_EX_LAYERED;
    window->attributes_set = true;
    window->key = key;
    window->alpha = alpha;
    window->flags = flags;
}

WindowState window(HWND handle)
{
    WindowState result;
    Window *window = find_window(handle);
    if (!window)
        return result;
    result.exists = true;
    result.visible = window->visible;
    result.style = window->style | (window->visible ? WS_VISIBLE_BIT : 0);
    result.ex_style = window->ex_style;
    result.layered = (window->ex_style & WS_EX_LAYERED) != 0;
    result.attributes_set = window->attributes_set;
    result.key = window->key;
    result.alpha = window->alpha;
    result.flags = window->flags;
    result.style_writes = window->style_writes;
    result.attribute_writes = window->attribute_writes;
    result.properties = (int)window->properties.size();
    return result;
}

std::vector<HWND> top_level_windows() { return state().z_order; }

// The deliveries an event makes to the hooks installed now.
static std::vector<QueuedEvent> deliveries(DWORD event, HWND handle, DWORD from_thread,
                                           LONG object_id, LONG child_id)
{
    if (!from_thread) {
        Window *window = find_window(handle);
        from_thread = window ? window->thread : 0;
    }
    std::vector<QueuedEvent> found;
    for (auto &entry : state().hooks) {
        const HookEntry &hook = entry.second;
        if (event < hook.hook.event_min || event > hook.hook.event_max)
            continue;
        if ((hook.hook.flags & WINEVENT_SKIPOWNTHREAD) && from_thread == hook.installer_thread)
            continue;
        found.push_back({hook.callback, event, handle, object_id, child_id, from_thread});
    }
    return found;
}

static void deliver(const std::vector<QueuedEvent> &events)
{
    for (const QueuedEvent &e : events)
        e.callback(nullptr, e.event, e.window, e.object_id, e.child_id, e.thread, 0);
}

void raise_event(DWORD event, HWND handle, DWORD from_thread, LONG object_id, LONG child_id)
{
    deliver(deliveries(event, handle, from_thread, object_id, child_id));
}

void queue_event(DWORD event, HWND handle, DWORD from_thread)
{
    for (const QueuedEvent &e : deliveries(event, handle, from_thread, OBJID_WINDOW, CHILDID_SELF))
        state().queued_events.push_back(e);
}

void deliver_queued_events()
{
    std::vector<QueuedEvent> events;
    events.swap(state().queued_events);
    deliver(events);
}

std::vector<Hook> active_hooks()
{
    std::vector<Hook> hooks;
    for (auto &entry : state().hooks)
        hooks.push_back(entry.second.hook);
    return hooks;
}

void set_version(DWORD platform, DWORD major, DWORD minor)
{
    state().version_platform = platform;
    state().version_major = major;
    state().version_minor = minor;
}
void set_layered_query_available(bool available) { state().layered_query = available; }
void set_image_name_query_available(bool available) { state().image_name_query = available; }
void fail_register_class(bool fail) { state().fail_register = fail; }
void fail_create_window(bool fail) { state().fail_create = fail; }
void fail_hooks(bool fail) { state().fail_hooks = fail; }
void during_enumeration(int n, void (*action)())
{
    state().enumeration_trigger = n;
    state().enumeration_action = action;
}

std::vector<MessageBox> message_boxes() { return state().boxes; }

std::vector<HWND> windows_of_class(const std::string &class_name)
{
    std::vector<HWND> found;
    for (HWND handle : state().z_order)
        if (find_window(handle)->class_name == class_name)
            found.push_back(handle);
    return found;
}

bool class_registered(const std::string &class_name)
{
    return state().classes.count(class_name) != 0;
}

std::vector<std::string> calls() { return state().calls; }
void clear_calls() { state().calls.clear(); }
int open_handles() { return (int)state().handles.size(); }

int lookups_of(DWORD process_id)
{
    auto it = state().processes.find(process_id);
    return it == state().processes.end() ? 0 : it->second.opens;
}

// Atom names compare without regard to case.
static std::string atom_key(LPCSTR name)
{
    std::string key = name;
    for (char &c : key)
        if (c >= 'a' && c <= 'z')
            c = (char)(c - 'a' + 'A');
    return key;
}

// A name argument that is an atom (MAKEINTATOM) has nothing above its low word.
static bool is_int_atom(LPCSTR name) { return ((uintptr_t)name >> 16) == 0; }

// The atom a property name stands for, or 0 when no such name was ever added.
static ATOM property_atom(LPCSTR name)
{
    if (is_int_atom(name))
        return (ATOM)(uintptr_t)name;
    auto it = state().atoms.find(atom_key(name));
    return it == state().atoms.end() ? 0 : it->second;
}

// Windows' own GetLayeredWindowAttributes and QueryFullProcessImageNameA, reachable only
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

static BOOL query_full_process_image_name(HANDLE handle, DWORD, LPSTR name, PDWORD size)
{
    auto it = state().handle_process.find(handle);
    if (it == state().handle_process.end() || !state().processes.count(it->second))
        return FALSE;
    const Process &process = state().processes[it->second];
    if (!process.options.image_readable || process.exe.size() + 1 > *size)
        return FALSE;
    memcpy(name, process.exe.c_str(), process.exe.size() + 1);
    *size = (DWORD)process.exe.size();
    return TRUE;
}

static const HMODULE USER32 = (HMODULE)(uintptr_t)0x77d40000;
static const HMODULE KERNEL32 = (HMODULE)(uintptr_t)0x7c800000;
static const HMODULE SHELL_EXE = (HMODULE)(uintptr_t)0x00400000;
static const HMODULE FIRST_MODULE = (HMODULE)(uintptr_t)0x00400000;

}  // namespace fake

using namespace fake;

DWORD GetCurrentThreadId(void) { return shell_thread(); }

HANDLE OpenProcess(DWORD access, BOOL, DWORD process_id)
{
    log_call("OpenProcess(" + hex(access) + ")");
    auto it = state().processes.find(process_id);
    if (it != state().processes.end())
        ++it->second.opens;
    if (process_id == 0 || it == state().processes.end() || !it->second.options.can_open)
        return nullptr;
    HANDLE handle = (HANDLE)(uintptr_t)new_id();
    state().handles.insert(handle);
    state().handle_process[handle] = process_id;
    return handle;
}

BOOL CloseHandle(HANDLE handle)
{
    state().handle_process.erase(handle);
    return state().handles.erase(handle) ? TRUE : FALSE;
}

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
        strcmp(name, "QueryFullProcessImageNameA") == 0)
        return reinterpret_cast<FARPROC>(&query_full_process_image_name);
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
    State &s = state();
    if (!name || !*name)
        return 0;
    std::string key = atom_key(name);
    auto it = s.atoms.find(key);
    if (it != s.atoms.end())
        return it->second;
    ATOM atom = s.next_atom++;
    s.atoms[key] = atom;
    return atom;
}

BOOL EnumProcessModules(HANDLE handle, HMODULE *modules, DWORD size_bytes, DWORD *needed)
{
    auto it = state().handle_process.find(handle);
    if (it == state().handle_process.end() || !state().processes.count(it->second))
        return FALSE;
    if (!state().processes[it->second].options.modules_readable)
        return FALSE;   // ERROR_PARTIAL_COPY across bitness
    if (size_bytes >= sizeof(HMODULE))
        modules[0] = FIRST_MODULE;
    *needed = 3 * sizeof(HMODULE);
    return TRUE;
}

DWORD GetModuleFileNameExA(HANDLE handle, HMODULE module, LPSTR buffer, DWORD size)
{
    auto it = state().handle_process.find(handle);
    if (it == state().handle_process.end() || module != FIRST_MODULE || size == 0)
        return 0;
    const std::string &exe = state().processes[it->second].exe;
    DWORD length = (DWORD)std::min<size_t>(exe.size(), size - 1);
    memcpy(buffer, exe.data(), length);
    buffer[length] = '\0';
    return length;
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
    log_call("SetWindowLongA(" + hex((uintptr_t)handle) + "," + hex((uint32_t)value) + ")");
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
        window->key = 0;
        window->alpha = 0;
        window->flags = 0;
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
    window->attributes_set = true;
    window->key = key;
    window->alpha = alpha;
    window->flags = flags;
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
        if (message == 10001 || message == 10002) {
            for (const UINT *m = (const UINT *)lparam; *m; ++m) {
                auto &list = s.registrations[*m];
                list.erase(std::remove(list.begin(), list.end(), (HWND)wparam), list.end());
                if (message == 10001)
                    list.push_back((HWND)wparam);
            }
        }
        return 0;
    }
    Window *window = find_window(handle);
    if (!window || !window->proc)
        return 0;
    return window->proc(handle, message, wparam, lparam);
}

LRESULT SendMessageTimeoutA(HWND handle, UINT message, WPARAM wparam, LPARAM lparam, UINT,
                            UINT timeout_ms, PDWORD_PTR result)
{
    Window *window = find_window(handle);
    if (window && window->hung)
        state().waited_ms += timeout_ms;
    if (!window || window->hung)
        return 0;
    waiting_on(handle, true);
    LRESULT answer = SendMessageA(handle, message, wparam, lparam);
    if (result)
        *result = (DWORD_PTR)answer;
    return 1;
}

HWINEVENTHOOK SetWinEventHook(DWORD event_min, DWORD event_max, HMODULE module,
                              WINEVENTPROC callback, DWORD process_id, DWORD thread_id,
                              DWORD flags)
{
    log_call("SetWinEventHook(" + hex(event_min) + "," + hex(event_max) + "," + hex(flags) + ")");
    if (state().fail_hooks || !callback)
        return nullptr;
    HWINEVENTHOOK handle = (HWINEVENTHOOK)(uintptr_t)new_id();
    state().hooks[handle] = {{event_min, event_max, process_id, thread_id, flags, module},
                             callback, GetCurrentThreadId()};
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
    log_call("RegisterClassA(" + name + ",style=" + hex(window_class->style) + ")");
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
    log_call("CreateWindowExA(" + hex(ex_style) + "," + hex(style) + ")");
    HWND handle = new_window(shell_process(), shell_thread(), (style & WS_VISIBLE_BIT) != 0,
                             (LONG)style, (LONG)ex_style);
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
