// The conformance tests' desktop, on real user32 (run under Wine, or on Windows).
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "../e2e/child_process.h"
#include "../e2e/run_environment.h"
#include "platform.h"

namespace conformance {

static const char CLASS_NAME[] = "LumivaneConformance";

static void register_class()
{
    static bool done = false;
    if (done)
        return;
    WNDCLASSA window_class = {};
    window_class.lpfnWndProc = DefWindowProcA;
    window_class.hInstance = GetModuleHandleA(NULL);
    window_class.lpszClassName = CLASS_NAME;
    RegisterClassA(&window_class);
    done = true;
}

HWND make_window(LONG ex_style, bool visible)
{
    register_class();
    return CreateWindowExA(ex_style, CLASS_NAME, "conformance",
                           WS_POPUP | (visible ? WS_VISIBLE : 0), 10, 10, 100, 80, NULL, NULL,
                           GetModuleHandleA(NULL), NULL);
}

void remove_window(HWND window) { DestroyWindow(window); }

HWND make_child_window(HWND parent)
{
    return CreateWindowExA(0, "EDIT", "child", WS_CHILD | WS_VISIBLE, 5, 5, 60, 20, parent,
                           NULL, GetModuleHandleA(NULL), NULL);
}

HWND make_owned_window(HWND owner)
{
    register_class();
    return CreateWindowExA(0, CLASS_NAME, "owned", WS_POPUP | WS_VISIBLE, 30, 30, 80, 60, owner,
                           NULL, GetModuleHandleA(NULL), NULL);
}

// The helper program of the wanted bitness, named by the build in the environment.
static std::string helper_path(bool other_bitness)
{
    return path_from_environment(other_bitness ? "LUMIVANE_CONFORMANCE_OTHER_HELPER"
                                               : "LUMIVANE_CONFORMANCE_HELPER");
}

// True when the helper is a 32-bit program that cannot run here; says why once, on stderr.
static bool cannot_run_32bit_helper(bool other_bitness, bool did_not_start)
{
    static bool told = false;
    std::string why = why_32bit_program_cannot_run(helper_path(other_bitness), did_not_start);
    if (!why.empty() && !told)
        fprintf(stderr, "%s\n", why.c_str());
    told = told || !why.empty();
    return !why.empty();
}

// Runs the helper with arguments; null when it cannot run here. It is ended, if it still
// runs, when the result goes.
static std::unique_ptr<ChildProcess> start_helper(bool other_bitness, const std::string &arguments)
{
    if (cannot_run_32bit_helper(other_bitness, false))
        return nullptr;
    return std::make_unique<ChildProcess>("\"" + helper_path(other_bitness) + "\" " + arguments,
                                          std::string());
}

static std::unique_ptr<ChildProcess> s_other;
static HWND s_other_window;
static HANDLE s_release;

// The helper's window: "window", "hung" or, inside parent, "child" (see
// conformance_helper.cpp).
static HWND start_window_helper(bool other_bitness, const char *mode, HWND parent = NULL)
{
    static int opened = 0;
    std::string title = "LumivaneConformanceOwner" + std::to_string(GetCurrentProcessId()) + "." +
                        std::to_string(++opened);
    s_other_window = NULL;
    if (strcmp(mode, "hung") == 0)
        s_release = CreateEventA(NULL, TRUE, FALSE, title.c_str());
    std::string arguments = std::string(mode) + " " + title;
    if (parent)
        arguments += " " + std::to_string((UINT_PTR)parent);
    if (!(s_other = start_helper(other_bitness, arguments)))
        return NULL;
    for (DWORD i = 0; i < 500 * time_scale() && !s_other_window; ++i) {
        s_other_window = parent ? FindWindowExA(parent, NULL, NULL, title.c_str())
                                : FindWindowA(NULL, title.c_str());
        if (!s_other_window)
            Sleep(20);
    }
    if (!s_other_window)
        cannot_run_32bit_helper(other_bitness, true);
    return s_other_window;
}

HWND make_window_of_other_process(bool other_bitness)
{
    return start_window_helper(other_bitness, "window");
}

HWND make_child_of_other_process(HWND parent)
{
    return start_window_helper(false, "child", parent);
}

// Found once its owner has made it layered, right before it stops handling messages.
HWND make_hung_window_of_other_process(bool other_bitness)
{
    HWND window = start_window_helper(other_bitness, "hung");
    BYTE alpha = 0;
    for (int i = 0; i < 500 && window && !GetLayeredWindowAttributes(window, NULL, &alpha, NULL);
         ++i)
        Sleep(20);
    return window;
}

void release_other_process()
{
    if (s_release) {
        SetEvent(s_release);
        CloseHandle(s_release);
        s_release = NULL;
    }
}

void end_other_process()
{
    release_other_process();
    if (s_other_window)
        PostMessageA(s_other_window, WM_CLOSE, 0, 0);
    if (s_other)
        s_other->wait_for_exit(10000 * time_scale());
    s_other.reset();
}

UINT_PTR take_property_elsewhere(HWND window, const char *name, bool other_bitness)
{
    auto taker = start_helper(other_bitness, "take " + std::to_string((UINT_PTR)window) + " " + name);
    auto value = taker ? taker->wait_for_exit(10000 * time_scale()) : std::nullopt;
    return value ? *value : 0;
}

HANDLE open_test_process(std::string *exe_path)
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, path, MAX_PATH);
    exe_path->assign(path, length);
    return OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, GetCurrentProcessId());
}

// Out-of-context callbacks arrive as messages to the installing thread.
static void pump_for(DWORD milliseconds)
{
    DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
        MSG message;
        while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(5);
    }
}

void raise_from_own_thread(DWORD event, HWND window)
{
    NotifyWinEvent(event, window, OBJID_WINDOW, CHILDID_SELF);
    pump_for(300);
}

struct EventToRaise {
    DWORD event;
    HWND window;
    LONG object_id, child_id;
};

static DWORD WINAPI raise_event_thread(LPVOID param)
{
    EventToRaise *raise = static_cast<EventToRaise *>(param);
    NotifyWinEvent(raise->event, raise->window, raise->object_id, raise->child_id);
    return 0;
}

static void raise_on_new_thread(EventToRaise raise)
{
    HANDLE thread = CreateThread(NULL, 0, raise_event_thread, &raise, 0, NULL);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
}

void raise_later_from_other_thread(DWORD event, HWND window)
{
    raise_on_new_thread({event, window, OBJID_WINDOW, CHILDID_SELF});
}

void let_callbacks_run() { pump_for(300); }

void raise_from_other_thread(DWORD event, HWND window, LONG object_id, LONG child_id)
{
    raise_on_new_thread({event, window, object_id, child_id});
    pump_for(300);
}

bool running_on_wine()
{
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != NULL;
}

}  // namespace conformance
