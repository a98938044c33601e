#include "main_window.h"

#include "../plugin/shell_messages.h"
#include "command_message.h"
#include "command_receiver.h"
#include "quit.h"
#include "registrations.h"

static HWND s_main_window;

static LRESULT CALLBACK main_window_proc(HWND window, UINT message, WPARAM wparam,
                                         LPARAM lparam)
{
    switch (message) {
    case BB_REGISTERMESSAGE:
        register_window(reinterpret_cast<HWND>(wparam), reinterpret_cast<const UINT *>(lparam));
        return TRUE;
    case BB_UNREGISTERMESSAGE:
        unregister_window(reinterpret_cast<HWND>(wparam),
                          reinterpret_cast<const UINT *>(lparam));
        return TRUE;
    case WM_COPYDATA:
        return run_command(reinterpret_cast<const COPYDATASTRUCT *>(lparam));
    case WM_CLOSE:
        request_quit();
        return 0;
    default:
        return DefWindowProcA(window, message, wparam, lparam);
    }
}

bool create_main_window(HINSTANCE instance)
{
    WNDCLASSA window_class = {};
    window_class.lpfnWndProc = main_window_proc;
    window_class.hInstance = instance;
    window_class.lpszClassName = MAIN_WINDOW_CLASS;
    if (!RegisterClassA(&window_class))
        return false;
    // Hidden, but top-level rather than message-only: FindWindowA, which a second instance
    // uses, does not see message-only windows.
    s_main_window = CreateWindowExA(WS_EX_TOOLWINDOW, MAIN_WINDOW_CLASS, "Blackbox", WS_POPUP,
                                    0, 0, 0, 0, NULL, NULL, instance, NULL);
    return s_main_window != NULL;
}

HWND main_window() { return s_main_window; }
