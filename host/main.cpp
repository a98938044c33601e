// BLACKBOX.EXE: a minimal Blackbox-compatible shell for development, the demo and the
// end-to-end tests. Without options it runs the shell; with an option it hands a command
// to the shell that is already running. A console program, so that its report lines reach
// whoever started it, also under Wine.
#include <windows.h>

#include "command_sender.h"
#include "host_paths.h"
#include "main_window.h"
#include "output.h"
#include "plugins.h"
#include "quit.h"

// Ctrl+C or closing the console shuts down as -quit does, so that plug-ins restore what
// they changed. The handler runs on a thread of its own; the main thread ends the process
// when it is done, and the default handler ends it if it is not done in time.
static BOOL WINAPI quit_on_console_event(DWORD)
{
    PostMessageA(main_window(), WM_CLOSE, 0, 0);
    Sleep(5000);
    return FALSE;
}

static int run_shell()
{
    if (FindWindowA(MAIN_WINDOW_CLASS, NULL)) {
        complain("a shell is already running");
        return 1;
    }
    if (!create_main_window(GetModuleHandleA(NULL))) {
        complain("cannot create the main window (error %lu)", GetLastError());
        return 1;
    }
    SetConsoleCtrlHandler(quit_on_console_event, TRUE);
    {
        BusyShell busy;
        load_plugins(path_beside_host("plugins.rc"));
    }
    MSG message;
    BOOL got;
    while ((got = GetMessageA(&message, NULL, 0, 0)) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    DestroyWindow(main_window());
    return got == 0 ? static_cast<int>(message.wParam) : 1;
}

static const char USAGE[] =
    "usage: BLACKBOX.EXE                      run the shell\n"
    "       BLACKBOX.EXE [-time] -exec @Command [arguments]\n"
    "       BLACKBOX.EXE [-time] -reconfigure\n"
    "       BLACKBOX.EXE -quit\n";

int main()
{
    prepare_output();
    Command command = parse_command_line(GetCommandLineA());
    switch (command.kind) {
    case CommandKind::run_shell:
        return run_shell();
    case CommandKind::invalid:
        complain("%s\n%s", command.text.c_str(), USAGE);
        return 2;
    default:
        return send_to_running_shell(command);
    }
}
