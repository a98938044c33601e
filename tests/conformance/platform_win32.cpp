// The conformance tests' desktop, on real user32 (run under Wine, or on Windows).
#include <windows.h>

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
};

static DWORD WINAPI raise_event_thread(LPVOID param)
{
    EventToRaise *raise = static_cast<EventToRaise *>(param);
    NotifyWinEvent(raise->event, raise->window, OBJID_WINDOW, CHILDID_SELF);
    return 0;
}

void raise_from_other_thread(DWORD event, HWND window)
{
    EventToRaise raise = {event, window};
    HANDLE thread = CreateThread(NULL, 0, raise_event_thread, &raise, 0, NULL);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    pump_for(300);
}

bool running_on_wine()
{
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != NULL;
}

}  // namespace conformance
