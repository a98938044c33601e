// The fake desktop's state, shared by the files that implement it: control.cpp (the tests'
// side), win32.cpp (the product's Windows calls) and host.cpp (the shell's exports).
#pragma once
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "fake_desktop.h"

namespace fake {

struct Process {
    std::string exe;
    DWORD thread = 0;
    ProcessOptions options;
    int opens = 0;
};

// The options it was made with, as changed since (its style without WS_VISIBLE, which
// visible stands for), and the rest of its state.
struct Window : WindowOptions {
    DWORD process = 0;
    DWORD thread = 0;
    HWND parent = nullptr;    // child windows only
    DWORD answer_ms = 0;      // how long its thread takes to answer a message
    DWORD busy_until = 0;     // GetTickCount's value until which it answers nothing
    long sibling_order = 0;   // among its parent's children: lower is higher up
    bool attributes_set = false;
    COLORREF key = 0;
    BYTE alpha = 0;
    DWORD flags = 0;
    int style_writes = 0;
    int attribute_writes = 0;
    std::map<ATOM, HANDLE> properties;
    WNDPROC proc = nullptr;   // our own windows (CreateWindowExA) only
    std::string class_name;
};

struct HookEntry {
    DWORD event_min, event_max, flags;
    WINEVENTPROC callback;
    DWORD installer_thread;
};

struct QueuedEvent {
    WINEVENTPROC callback;
    DWORD event;
    HWND window;
    LONG object_id, child_id;
    DWORD thread;
};

struct Timer {
    TIMERPROC callback;
    UINT interval_ms;
    DWORD due_ms;
};

struct ClassEntry {
    WNDPROC proc;
    HINSTANCE instance;
};

struct State {
    std::map<DWORD, Process> processes;
    std::map<HWND, Window> windows;
    std::vector<HWND> z_order;   // top-level windows only, top first
    std::map<HWINEVENTHOOK, HookEntry> hooks;
    std::vector<QueuedEvent> queued_events;
    std::map<std::string, ClassEntry> classes;
    std::map<HANDLE, DWORD> handle_process;   // the open process handles
    std::vector<std::string> calls;
    std::vector<MessageBox> boxes;

    DWORD next_id = 100;
    DWORD shell_process = 0;
    HWND shell_window = nullptr;
    DWORD version_platform = VER_PLATFORM_WIN32_NT, version_major = 5, version_minor = 1;
    bool layered_query = true, image_name_query = true;
    bool double_byte_code_page = false;   // the system's ANSI code page
    bool fail_register = false, fail_create = false, fail_hooks = false;
    std::map<std::string, ATOM> atoms;   // the global atom table, names upper-cased
    ATOM next_atom = 0xC000;             // string atoms are numbered from 0xC000 up
    int enumeration_trigger = -1;
    void (*enumeration_action)() = nullptr;

    std::map<std::pair<HWND, UINT_PTR>, Timer> timers;   // timers.cpp
    DWORD clock_ms = 0;
    DWORD next_thread_timer = 0x7000;
    DWORD waited_ms = 0;   // the shell's thread, on other threads
    HWND wait_trigger = nullptr;
    int waits_to_skip = 0;
    bool before_style_lands = false;
    int plugin_loads = 0;   // the plug-in pinned, or loaded once more, by itself
    int plugin_frees = 0;   // FreeLibrary by the shell, which loaded it once
    int calls_into_freed_plugin = 0;
    void (*wait_action)() = nullptr;

    HWND foreground = nullptr;   // the window in front: the last raised foreground event's
    POINT pointer = {0, 0};
    HWND under_pointer = nullptr;

    // host side
    std::map<std::string, std::map<std::string, std::string>> files;
    std::string plugin_path, shell_dir;
    std::map<UINT, std::vector<HWND>> registrations;
    std::string read_buffer;
};

State &state();
// Texts of the fake desktop (paths) are UTF-8; Windows holds them in UTF-16, and gives the
// ANSI calls the system's code page, with '?' for a character it lacks.
std::u16string wide_text(const std::string &utf8);
std::string ansi_text(const std::u16string &wide);
void reset_state();
Window *find_window(HWND window);
void log_call(const std::string &call);
DWORD new_id();
// A window of process and thread as options say. A top-level window goes on top of the
// z-order; a child window (WS_CHILD) of parent is reached only through its parent.
HWND new_window(DWORD process, DWORD thread, const WindowOptions &options, HWND parent = nullptr);
// Layered attributes, as SetLayeredWindowAttributes sets them.
void set_attributes(Window &window, COLORREF key, BYTE alpha, DWORD flags);
// The process an open handle stands for; null when there is none.
Process *process_of(HANDLE handle);
std::string fold_key(std::string key);   // upper-cased: compared without regard to case

// WS_VISIBLE, kept apart in Window::visible.
const LONG WS_VISIBLE_BIT = 0x10000000L;
// The shell's thread waits on window's thread now (timers.cpp): in an answer check, or in a
// style change before or after the owner has made it.
void waiting_on(HWND window, bool style_landed);
// False, and counted, when the plug-in's code is gone (free_plugin): the call must not be made.
bool plugin_code_present();

}  // namespace fake
