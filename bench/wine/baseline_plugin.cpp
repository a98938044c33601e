// The baseline as a plug-in of the shell: the same passes as baseline.exe, run on the shell's
// thread and timed by the shell's own -time, exactly as the plug-in is. What is left between
// the two is the plug-in's own work, without the difference of running in another process.
//
//   BLACKBOX.EXE -time -exec @LumivaneBaseline on LEVEL
//   BLACKBOX.EXE -time -exec @LumivaneBaseline off
//   BLACKBOX.EXE -time -exec @LumivaneBaseline focus WINDOW LEVEL
//
// Its window is also focus_timer.exe's stopwatch on the shell's thread (stopwatch.h).
#include <cstring>

#include "../../plugin/shell_messages.h"
#include "baseline_pass.h"
#include "stopwatch.h"

namespace {

const char COMMAND[] = "@LumivaneBaseline ";

UINT g_messages[] = {BB_BROADCAST, 0};
HWND g_shell;
HWND g_window;

// The timer creates the event before it posts the first message.
void signal_stopwatch()
{
    static HANDLE event;
    if (!event)
        event = OpenEventA(EVENT_MODIFY_STATE, FALSE, STOPWATCH_EVENT);
    if (event)
        SetEvent(event);
}

LRESULT CALLBACK window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == STOPWATCH_MESSAGE) {
        signal_stopwatch();
        return 0;
    }
    if (message != BB_BROADCAST)
        return DefWindowProcA(window, message, wparam, lparam);
    const char *command = reinterpret_cast<const char *>(lparam);
    if (command && std::strncmp(command, COMMAND, sizeof COMMAND - 1) == 0)
        run_pass(command + sizeof COMMAND - 1);
    return 0;
}

}  // namespace

// The shell's window comes from its export, looked up at run time so that this tool needs
// no import library of the shell.
extern "C" __declspec(dllexport) int beginPlugin(HINSTANCE module)
{
    typedef HWND (*GetBBWndFn)(void);
    GetBBWndFn get_shell_window = reinterpret_cast<GetBBWndFn>(
        reinterpret_cast<void (*)(void)>(GetProcAddress(GetModuleHandleA(NULL), "GetBBWnd")));
    if (!get_shell_window)
        return 1;
    g_shell = get_shell_window();
    // The shell's report lines are on standard output; the shell times the pass itself.
    g_quiet = true;

    WNDCLASSA window_class = {};
    window_class.lpfnWndProc = window_proc;
    window_class.hInstance = module;
    window_class.lpszClassName = STOPWATCH_WINDOW_CLASS;
    if (!RegisterClassA(&window_class))
        return 1;
    g_window = CreateWindowExA(WS_EX_TOOLWINDOW, STOPWATCH_WINDOW_CLASS, NULL, WS_POPUP, 0, 0, 0,
                               0, NULL, NULL, module, NULL);
    if (!g_window) {
        UnregisterClassA(STOPWATCH_WINDOW_CLASS, module);
        return 1;
    }
    SendMessageA(g_shell, BB_REGISTERMESSAGE, reinterpret_cast<WPARAM>(g_window),
                 reinterpret_cast<LPARAM>(g_messages));
    return 0;
}

extern "C" __declspec(dllexport) void endPlugin(HINSTANCE module)
{
    SendMessageA(g_shell, BB_UNREGISTERMESSAGE, reinterpret_cast<WPARAM>(g_window),
                 reinterpret_cast<LPARAM>(g_messages));
    DestroyWindow(g_window);
    UnregisterClassA(STOPWATCH_WINDOW_CLASS, module);
}

extern "C" __declspec(dllexport) LPCSTR pluginInfo(int)
{
    return "Lumivane baseline";
}
