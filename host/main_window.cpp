#include "main_window.h"

#include "commands.h"
#include "output.h"
#include "plugins.h"
#include "registrations.h"

const char MAIN_WINDOW_CLASS[] = "BlackboxClass";

static HWND s_main_window;
static int s_busy_depth;
static bool s_quit_pending;
static bool s_quitting;

static void quit_now()
{
    if (s_quitting)
        return;
    s_quitting = true;
    unload_plugins();
    say("quit");
    PostQuitMessage(0);
}

void request_quit()
{
    if (s_busy_depth > 0)
        s_quit_pending = true;
    else
        quit_now();
}

BusyShell::BusyShell()
{
    ++s_busy_depth;
}

BusyShell::~BusyShell()
{
    if (--s_busy_depth == 0 && s_quit_pending)
        quit_now();
}

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

HWND main_window()
{
    return s_main_window;
}
