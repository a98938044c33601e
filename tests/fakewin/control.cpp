// The tests' side of the fake desktop: building a desktop, driving its events and the
// shell's messages, and reading back what a user would see.
#include <algorithm>

#include "../../plugin/shell_messages.h"
#include "state.h"

namespace fake {

void reset()
{
    reset_state();
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

template <typename Matches>
static void destroy_windows(Matches matches)
{
    std::vector<HWND> found;
    for (auto &entry : state().windows)
        if (matches(entry.second))
            found.push_back(entry.first);
    for (HWND window : found)
        destroy_window(window);
}

void exit_process(DWORD process_id)
{
    destroy_windows([&](const Window &w) { return w.process == process_id; });
    state().processes.erase(process_id);
}

bool process_exists(DWORD process_id) { return state().processes.count(process_id) != 0; }

HWND add_window(DWORD process_id, const WindowOptions &options)
{
    return new_window(process_id, state().processes[process_id].thread, options);
}

HWND add_child_window(HWND parent, const WindowOptions &options, DWORD process_id)
{
    Window *parent_window = find_window(parent);
    if (!process_id)
        return new_window(parent_window->process, parent_window->thread, options, parent);
    return new_window(process_id, state().processes[process_id].thread, options, parent);
}

void set_parent(HWND handle, HWND parent)
{
    State &s = state();
    Window *window = find_window(handle);
    s.z_order.erase(std::remove(s.z_order.begin(), s.z_order.end(), handle), s.z_order.end());
    window->parent = parent;
    window->sibling_order = -(long)new_id();
    if (!parent)
        s.z_order.insert(s.z_order.begin(), handle);
}

// Like Windows, destroying a window destroys its child windows and the windows it owns.
void destroy_window(HWND window)
{
    State &s = state();
    destroy_windows([&](const Window &w) { return w.parent == window || w.owner == window; });
    s.windows.erase(window);
    s.z_order.erase(std::remove(s.z_order.begin(), s.z_order.end(), window), s.z_order.end());
    for (auto &entry : s.registrations) {
        auto &list = entry.second;
        list.erase(std::remove(list.begin(), list.end(), window), list.end());
    }
}

void set_hung(HWND window, bool hung) { find_window(window)->hung = hung; }

void set_answer_time(HWND window, DWORD milliseconds)
{
    find_window(window)->answer_ms = milliseconds;
}

void set_busy_for(HWND window, DWORD milliseconds)
{
    find_window(window)->busy_until = GetTickCount() + milliseconds;
}

void set_own_layered(HWND handle, COLORREF key, BYTE alpha, DWORD flags)
{
    Window *window = find_window(handle);
    window->ex_style |= WS_EX_LAYERED;
    set_attributes(*window, key, alpha, flags);
}

WindowState window(HWND handle)
{
    Window *w = find_window(handle);
    if (!w)
        return {};
    return {true, w->visible, w->ex_style, (w->ex_style & WS_EX_LAYERED) != 0,
            w->attributes_set, w->key, w->alpha, w->flags,
            w->style_writes, w->attribute_writes, (int)w->properties.size()};
}

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
        if (event < hook.event_min || event > hook.event_max)
            continue;
        if ((hook.flags & WINEVENT_SKIPOWNTHREAD) && from_thread == hook.installer_thread)
            continue;
        found.push_back({hook.callback, event, handle, object_id, child_id, from_thread});
    }
    return found;
}

static void deliver(const std::vector<QueuedEvent> &events)
{
    for (const QueuedEvent &e : events) {
        if (plugin_code_present())
            e.callback(nullptr, e.event, e.window, e.object_id, e.child_id, e.thread, 0);
    }
}

// Windows brings a window to the front first, then raises the foreground event for it.
static void note_foreground(DWORD event, HWND handle)
{
    if (event == EVENT_SYSTEM_FOREGROUND)
        state().foreground = handle;
}

void raise_event(DWORD event, HWND handle, DWORD from_thread, LONG object_id, LONG child_id)
{
    note_foreground(event, handle);
    deliver(deliveries(event, handle, from_thread, object_id, child_id));
}

void queue_event(DWORD event, HWND handle, DWORD from_thread)
{
    note_foreground(event, handle);
    for (const QueuedEvent &e : deliveries(event, handle, from_thread, OBJID_WINDOW, CHILDID_SELF))
        state().queued_events.push_back(e);
}

void deliver_queued_events()
{
    std::vector<QueuedEvent> events;
    events.swap(state().queued_events);
    deliver(events);
}

int active_hooks() { return (int)state().hooks.size(); }

void set_version(DWORD platform, DWORD major, DWORD minor)
{
    state().version_platform = platform;
    state().version_major = major;
    state().version_minor = minor;
}
void set_layered_query_available(bool available) { state().layered_query = available; }
void set_image_name_query_available(bool available) { state().image_name_query = available; }

void set_double_byte_code_page(bool double_byte) { state().double_byte_code_page = double_byte; }
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
int open_handles() { return (int)state().handle_process.size(); }

int lookups_of(DWORD process_id)
{
    auto it = state().processes.find(process_id);
    return it == state().processes.end() ? 0 : it->second.opens;
}


void set_file(const std::string &path, const std::map<std::string, std::string> &keys)
{
    std::map<std::string, std::string> folded;
    for (auto &entry : keys)
        folded[fold_key(entry.first)] = entry.second;
    state().files[path] = folded;
}

void remove_file(const std::string &path) { state().files.erase(path); }
void set_plugin_path(const std::string &path) { state().plugin_path = path; }
void set_shell_dir(const std::string &dir) { state().shell_dir = dir; }

void set_pointer(LONG x, LONG y, HWND under)
{
    state().pointer = {x, y};
    state().under_pointer = under;
}

std::vector<HWND> registered_windows(UINT message) { return state().registrations[message]; }

void broadcast(const char *command)
{
    for (HWND window : registered_windows(BB_BROADCAST))
        SendMessageA(window, BB_BROADCAST, 0, (LPARAM)command);
}

void reconfigure()
{
    for (HWND window : registered_windows(BB_RECONFIGURE))
        SendMessageA(window, BB_RECONFIGURE, 0, 0);
}

}  // namespace fake
