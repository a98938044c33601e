// Where the shell enters the plug-in: start-up, shut-down, the info texts, and the hidden
// message window through which the shell delivers reconfigure and broadcast messages.
#include <string.h>

#include "../common/exe_path.h"
#include "../common/system_function.h"
#include "events.h"
#include "exports.h"
#include "held_levels.h"
#include "../common/host_api.h"
#include "passes.h"
#include "settings_file.h"
#include "shell_messages.h"
#include "shell_waits.h"
#include "version.h"

static const char CLASS_NAME[] = "Lumivane";
static const char TOGGLE_COMMAND[] = "@LumivaneTog";
static const char FULL_NAME[] = "Lumivane v" LUMIVANE_VERSION;

static HINSTANCE s_instance;
static HWND s_shell_window;
static HWND s_plugin_window;
static bool s_supported;
static bool s_class_registered;

// The shell messages the message window asks for; the list ends with 0.
static UINT s_shell_messages[] = {BB_RECONFIGURE, BB_BROADCAST, 0};

// Layered windows, and so the whole effect, need the NT family from Windows 2000 (5.0) on.
static bool system_supported(void)
{
    OSVERSIONINFOA version;
    memset(&version, 0, sizeof version);
    version.dwOSVersionInfoSize = sizeof version;
    // A failed call leaves the record zeroed: the system then counts as unsupported.
    GetVersionExA(&version);
    return version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion > 4;
}

static void toggle_effect(void)
{
    ++g_shell_calls;
    if (g_effect_on)
        turn_off();
    else
        turn_on();
}

static LRESULT CALLBACK plugin_window_proc(HWND window, UINT message, WPARAM wparam,
                                           LPARAM lparam)
{
    switch (message) {
    case WM_CREATE:
        s_plugin_window = window;
        start_waiting(window);
        SendMessageA(s_shell_window, BB_REGISTERMESSAGE, (WPARAM)window,
                     (LPARAM)s_shell_messages);
        return 0;
    case WM_DESTROY:
        SendMessageA(s_shell_window, BB_UNREGISTERMESSAGE, (WPARAM)window,
                     (LPARAM)s_shell_messages);
        return 0;
    case WM_CLOSE:
        // Only endPlugin ends the plug-in's window.
        return 0;
    case BB_RECONFIGURE:
        // New values take effect at the next event or pass.
        ++g_shell_calls;
        load_settings(s_instance);
        return 0;
    case WM_TIMER:
        retry_unanswered_windows(decide_again);
        return 0;
    case BB_BROADCAST: {
        const char *command = (const char *)lparam;
        if (!command || !s_supported)
            return 0;
        if (strcmp(command, TOGGLE_COMMAND) == 0)
            toggle_effect();
        else if (g_effect_on)
            run_level_command(command);
        return 0;
    }
    default:
        return DefWindowProcA(window, message, wparam, lparam);
    }
}

// The retry timer goes with the window.
static void remove_plugin_window(void)
{
    if (s_plugin_window) {
        DestroyWindow(s_plugin_window);
        s_plugin_window = NULL;
    }
    if (s_class_registered) {
        UnregisterClassA(CLASS_NAME, s_instance);
        s_class_registered = false;
    }
}

// A shell frees a library whose start-up failed without calling endPlugin; a window left
// registered, or a class left behind, would point into unloaded code.
static int fail_start(void)
{
    stop_waiting();
    remove_plugin_window();
    return 1;
}

extern "C" int beginPlugin(HINSTANCE module)
{
    s_supported = system_supported();
    s_shell_window = GetBBWnd();
    s_instance = module;
    s_plugin_window = NULL;

    WNDCLASSA window_class;
    memset(&window_class, 0, sizeof window_class);
    window_class.style = CS_DBLCLKS;
    window_class.lpfnWndProc = plugin_window_proc;
    window_class.hInstance = module;
    window_class.hCursor = LoadCursorA(NULL, IDC_ARROW);
    window_class.lpszClassName = CLASS_NAME;
    if (!RegisterClassA(&window_class)) {
        MessageBoxA(s_shell_window, "Error registering window class", FULL_NAME,
                    MB_ICONERROR | MB_TOPMOST);
        return 1;
    }
    s_class_registered = true;

    load_settings(module);

    // Never shown; it exists to receive the shell's messages. Its creation message
    // registers it with the shell before CreateWindowExA returns.
    DWORD ex_style = WS_EX_TOOLWINDOW | (s_supported ? WS_EX_LAYERED : 0);
    HWND window = CreateWindowExA(ex_style, CLASS_NAME, NULL,
                                  WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0, 0, 0,
                                  NULL, NULL, module, NULL);
    if (!window) {
        MessageBoxA(NULL, "Error creating window", FULL_NAME, MB_ICONERROR | MB_TOPMOST);
        return fail_start();
    }

    g_effect_on = false;
    if (!s_supported) {
        MessageBoxA(NULL, "Lumivane needs Win2000/XP!\n\nSorry :(", "Lumivane - ERROR!",
                    MB_ICONERROR);
        return fail_start();
    }
    turn_on();
    return 0;
}

// The shell frees the library as soon as endPlugin returns, but code of the plug-in may still
// be due to run: the events queued for the shell's thread before the hooks went reach the
// callback even after UnhookWinEvent, and when endPlugin came inside a wait of the plug-in's
// (shut-down among the messages sent to its thread meanwhile), that wait returns into the
// plug-in. So the library stays loaded for the rest of the shell's process. The cost: a new
// version of the plug-in takes effect only once the shell is restarted, and the file cannot
// be overwritten until then.
//
// It is pinned by an address inside it, not loaded again by its name: the ANSI name loses
// the letters outside the system's code page and is cut at MAX_PATH, while a shell may have
// loaded the library by a short 8.3 name. Windows 2000 has no pin; its wide name serves there.
typedef BOOL(WINAPI *PinModuleFn)(DWORD flags, LPCWSTR address, HMODULE *module);

static void stay_loaded(HINSTANCE module)
{
    PinModuleFn pin = reinterpret_cast<PinModuleFn>(
        find_system_function("kernel32.dll", "GetModuleHandleExW"));
    HMODULE pinned = NULL;
    if (pin && pin(GET_MODULE_HANDLE_EX_FLAG_PIN | GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                   reinterpret_cast<LPCWSTR>(module), &pinned))
        return;
    static WCHAR path[WIDE_PATH_SIZE];
    DWORD length = GetModuleFileNameW(module, path, WIDE_PATH_SIZE);
    if (length > 0 && length < WIDE_PATH_SIZE)
        LoadLibraryW(path);
}

extern "C" void endPlugin(HINSTANCE module)
{
    stay_loaded(module);
    ++g_shell_calls;
    remove_plugin_window();
    // Restores every window, even when the user had switched the effect off already. The
    // windows known to wait for their programs are forgotten only afterwards.
    if (s_supported)
        turn_off_at_quit();
    stop_waiting();
}

extern "C" LPCSTR pluginInfo(int field)
{
    switch ((unsigned)field) {
    case 1: return "Lumivane";
    case 2: return "v" LUMIVANE_VERSION;
    case 3: return "Lumivane contributors";
    case 4: return "2006-07-29";
    case 5: return "https://lumivane.example.org/";
    case 6: return "lumivane@example.org";
    case 8: return "https://lumivane.example.org/plugin.xml";
    default: return FULL_NAME;
    }
}
