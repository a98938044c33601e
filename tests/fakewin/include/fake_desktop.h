// Control side of the fake desktop: tests build a desktop of processes and windows, drive
// events and host messages, and read back what a user would see.
#pragma once
#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace fake {

// The object id of a caret in window events (OBJID_CARET); the product never names it.
const LONG CARET_OBJECT = -8;

struct ProcessOptions {
    bool can_open = true;          // OpenProcess succeeds
    bool modules_readable = true;  // false: a process of the other bitness
    bool image_readable = true;    // QueryFullProcessImageNameA succeeds
};

struct WindowOptions {
    bool visible = true;
    LONG style = 0;                // GWL_STYLE bits besides WS_VISIBLE (WS_POPUP, ...)
    LONG ex_style = 0;
    bool hung = false;             // its thread does not answer messages
    HWND owner = nullptr;          // an owned window: top-level, destroyed with its owner
    bool properties_refused = false;   // SetPropA fails on it (desktop heap exhausted)
    const char *window_class = "FakeAppWindow";   // what GetClassNameA answers
};

struct WindowState {
    bool exists = false;
    bool visible = false;
    LONG ex_style = 0;
    bool layered = false;          // WS_EX_LAYERED set
    bool attributes_set = false;   // SetLayeredWindowAttributes called since it became layered
    COLORREF key = 0;
    BYTE alpha = 0;
    DWORD flags = 0;
    int style_writes = 0;          // SetWindowLongA(GWL_EXSTYLE) calls that reached it
    int attribute_writes = 0;      // SetLayeredWindowAttributes calls that reached it
    int properties = 0;            // entries in its property list
};

struct MessageBox {
    HWND owner;
    std::string text, caption;
    UINT flags;
};

// A fresh desktop: only the shell's process (BLACKBOX.EXE on the shell thread) and its
// main window, Windows XP, the plug-in at C:\Blackbox\plugins\Lumivane\Lumivane.dll.
void reset();

DWORD shell_process();
DWORD shell_thread();
HWND shell_window();
HINSTANCE plugin_module();

// Paths here are UTF-8.
DWORD add_process(const std::string &exe_path, const ProcessOptions &options = {});
void exit_process(DWORD process_id);   // its windows go too
bool process_exists(DWORD process_id);
// A new top-level window, on top of the z-order, owned by the process's own thread.
HWND add_window(DWORD process_id, const WindowOptions &options = {});
// A child window (WS_CHILD) of parent, in parent's process and thread, or in another
// process's (Windows lets a process make a child window inside another's window). It goes
// below parent's other children. EnumWindows does not hand it out; it is destroyed with its
// parent, and with its own process, and visible only while its parent is.
HWND add_child_window(HWND parent, const WindowOptions &options = {}, DWORD process_id = 0);
// SetParent(window, parent) as window's process makes it: window becomes parent's child,
// above its other children, keeping its style (raise the event Windows raises for it
// yourself); with a null parent, a top-level window again.
void set_parent(HWND window, HWND parent);
void destroy_window(HWND window);
void set_hung(HWND window, bool hung);
// How long the window's thread takes to answer a message: a slow program (0: at once).
void set_answer_time(HWND window, DWORD milliseconds);
// A program busy for a while: its thread answers nothing for that long from now, then at once.
void set_busy_for(HWND window, DWORD milliseconds);
// Sets layered attributes as the owning application itself would.
void set_own_layered(HWND window, COLORREF key, BYTE alpha, DWORD flags);
WindowState window(HWND window);

// Raises a window event as the given thread would (0: the window's own thread), for the
// window itself or for another object of it (a caret: CARET_OBJECT).
void raise_event(DWORD event, HWND window, DWORD from_thread = 0, LONG object_id = OBJID_WINDOW,
                 LONG child_id = CHILDID_SELF);
// The same as the system queues it for out-of-context hooks: it is meant for the hooks
// installed now, but reaches their callbacks only at deliver_queued_events(), even when a
// hook has been removed meanwhile, as under Wine.
void queue_event(DWORD event, HWND window, DWORD from_thread = 0);
void deliver_queued_events();
int active_hooks();   // how many window event hooks are installed now

// Time on the shell's thread (timers.cpp): lets milliseconds pass, delivering each timer
// whenever it falls due as the message loop would; the timers set and not yet killed (a
// window's timers go with it); and how long the shell's thread has waited, in all, for
// other threads to answer (a message to a hung window waits its whole timeout).
void pass_time(DWORD milliseconds);
// Runs action once, inside the shell's n-th wait (0-based) from now on window's thread (an
// answer check, or a style change once the owner has made it), as Windows hands the waiting
// thread the messages sent to it meanwhile. before_style_lands: inside the n-th style
// change instead, before the owner has made it.
void during_wait_on(HWND window, int n, void (*action)(), bool before_style_lands = false);
int running_timers();
// How often the plug-in has kept its own library loaded: pinned it (GetModuleHandleExW), or
// loaded it once more by its name.
int plugin_self_loads();
// The shell's FreeLibrary of the plug-in, straight after endPlugin: the library's code is
// gone unless the plug-in has loaded it once more itself. Whatever would enter that code
// afterwards (an event still queued, a timer, a message to a window of the plug-in's class)
// would crash the shell: it is counted instead.
void free_plugin();
int calls_into_freed_plugin();
DWORD waited_ms();

// Settings files seen by ReadString/ReadInt/FileExists: key -> value, keys with colon.
void set_file(const std::string &path, const std::map<std::string, std::string> &keys);
void remove_file(const std::string &path);
void set_plugin_path(const std::string &path);
void set_shell_dir(const std::string &dir);

// The system: version, what GetProcAddress can find, failures to inject.
void set_version(DWORD platform, DWORD major, DWORD minor);
void set_layered_query_available(bool available);
void set_image_name_query_available(bool available);
// The system's ANSI code page: Western (a byte a character, '?' beyond U+00FF) or double-byte
// (as Japanese: two bytes for every character beyond ASCII).
void set_double_byte_code_page(bool double_byte);
void fail_register_class(bool fail);
void fail_create_window(bool fail);
void fail_hooks(bool fail);
// Runs action once, right after EnumWindows has handed out the n-th window (0-based).
void during_enumeration(int n, void (*action)());

// The host side: registrations and delivery of the shell's messages.
std::vector<HWND> registered_windows(UINT message);
void broadcast(const char *command);
void reconfigure();
std::vector<MessageBox> message_boxes();
std::vector<HWND> windows_of_class(const std::string &class_name);
bool class_registered(const std::string &class_name);

// The mouse pointer: its position and the window WindowFromPoint finds there (may be null).
void set_pointer(LONG x, LONG y, HWND under);

// Call log (hook installs and removals, pass starts) and open handles.
std::vector<std::string> calls();
void clear_calls();
int open_handles();
// How often OpenProcess was asked for this process: one per executable lookup.
int lookups_of(DWORD process_id);

}  // namespace fake
