// The plug-in's limits come from its own headers; its checks are made the same way, so that
// the calls are the same ones, in the same order.
#include "baseline_pass.h"

#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "../../common/exe_path.h"
#include "../../common/system_function.h"
#include "../../plugin/window_look.h"
#include "call_counter.h"

namespace {

typedef BOOL(WINAPI *QueryImageNameFn)(HANDLE, DWORD, LPSTR, PDWORD);

enum PassKind { TURN_ON, TURN_OFF, FOCUS };
const char *const PASS_NAMES[] = {"on", "off", "focus"};

struct Pass {
    PassKind kind;
    BYTE level;
    HWND foreground;
    LayeredQueryFn layered_query;
    QueryImageNameFn query_image_name;
    int windows;
    int named;
};

Pass g_pass;

// The executable lookup: one module handle, a 50-byte name, the image name when the
// modules cannot be read (a 32-bit process looking at a 64-bit one).
bool has_exe_path(HWND window)
{
    DWORD process_id = 0;
    counted(GET_WINDOW_THREAD_PROCESS_ID,
            [&] { return GetWindowThreadProcessId(window, &process_id); });
    HANDLE process = counted(OPEN_PROCESS, [&] {
        return OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, process_id);
    });
    if (!process)
        return false;
    char path[EXE_PATH_SIZE] = "";
    HMODULE executable = NULL;
    DWORD needed = 0;
    bool named = counted(ENUM_PROCESS_MODULES, [&] {
                     return EnumProcessModules(process, &executable, sizeof executable, &needed);
                 }) &&
                 counted(GET_MODULE_FILE_NAME_EX, [&] {
                     return GetModuleFileNameExA(process, executable, path, EXE_PATH_SIZE);
                 });
    if (!named && g_pass.query_image_name) {
        char full[MAX_PATH];
        DWORD size = MAX_PATH;
        named = counted(QUERY_FULL_PROCESS_IMAGE_NAME,
                        [&] { return g_pass.query_image_name(process, 0, full, &size); }) &&
                full[0] != '\0';
    }
    counted(CLOSE_HANDLE, [&] { return CloseHandle(process); });
    return named;
}

// Another thread's window must answer before its extended style is changed.
bool window_answers(HWND window)
{
    DWORD thread = counted(GET_WINDOW_THREAD_PROCESS_ID,
                           [&] { return GetWindowThreadProcessId(window, NULL); });
    if (thread == GetCurrentThreadId())
        return true;
    DWORD_PTR result = 0;
    return counted(SEND_MESSAGE_TIMEOUT, [&] {
               return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG,
                                          ANSWER_TIMEOUT_MS, &result);
           }) != 0;
}

bool set_layered_style(HWND window, LONG ex_style, bool layered)
{
    LONG wanted = layered ? (ex_style | WS_EX_LAYERED) : (ex_style & ~WS_EX_LAYERED);
    if (wanted == ex_style)
        return true;
    if (!window_answers(window))
        return false;
    counted(SET_WINDOW_LONG, [&] { return SetWindowLongA(window, GWL_EXSTYLE, wanted); });
    return true;
}

// The style and layered-attribute calls for one window, as the plug-in makes them.
void give_level(HWND window, BYTE level)
{
    LONG ex_style = counted(GET_WINDOW_LONG, [&] { return GetWindowLongA(window, GWL_EXSTYLE); });
    bool layered = (ex_style & WS_EX_LAYERED) != 0;
    COLORREF key = 0;
    DWORD flags = 0;
    bool has_key = false;
    if (g_pass.layered_query && layered) {
        if (!counted(GET_LAYERED_WINDOW_ATTRIBUTES,
                     [&] { return g_pass.layered_query(window, &key, NULL, &flags); }))
            return;
        has_key = (flags & LWA_COLORKEY) != 0;
    }
    if (level == 255 && !has_key) {
        if (layered)
            set_layered_style(window, ex_style, false);
        return;
    }
    if (!set_layered_style(window, ex_style, true))
        return;
    DWORD mode = has_key ? LWA_COLORKEY | LWA_ALPHA : LWA_ALPHA;
    counted(SET_LAYERED_WINDOW_ATTRIBUTES,
            [&] { return SetLayeredWindowAttributes(window, key, level, mode); });
}

// When profiling: the price of the window-property calls the plug-in makes to keep its
// record of what a window had, under a property of the benchmark's own that is set and
// removed again. Not part of the pass.
void price_properties(HWND window)
{
    static ATOM atom;
    if (!atom)
        atom = GlobalAddAtomA("LumivaneBench.Price");
    if (!atom)
        return;
    counted(GET_PROP, [&] { return GetPropA(window, MAKEINTATOM(atom)); });
    HANDLE value = reinterpret_cast<HANDLE>(1);
    counted(SET_PROP, [&] { return SetPropA(window, MAKEINTATOM(atom), value); });
    counted(REMOVE_PROP, [&] { return RemovePropA(window, MAKEINTATOM(atom)); });
}

BOOL CALLBACK visit_window(HWND window, LPARAM)
{
    ++g_pass.windows;
    if (!counted(IS_WINDOW, [&] { return IsWindow(window); }))
        return TRUE;
    if (g_pass.kind != TURN_OFF &&
        !counted(IS_WINDOW_VISIBLE, [&] { return IsWindowVisible(window); }))
        return TRUE;
    if (!has_exe_path(window))
        return TRUE;
    ++g_pass.named;
    bool opaque = g_pass.kind == TURN_OFF || (g_pass.kind == FOCUS && window == g_pass.foreground);
    give_level(window, opaque ? 255 : g_pass.level);
    if (g_profiling)
        price_properties(window);
    return TRUE;
}

void CALLBACK ignore_event(HWINEVENTHOOK, DWORD, HWND, LONG, LONG, DWORD, DWORD) {}

// The plug-in's creation, foreground and move/size hooks.
const DWORD HOOKED_EVENTS[][2] = {
    {EVENT_OBJECT_CREATE, EVENT_OBJECT_CREATE},
    {EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND},
    {EVENT_SYSTEM_MOVESIZESTART, EVENT_SYSTEM_MOVESIZEEND},
};
HWINEVENTHOOK g_hooks[3];
bool g_hooks_installed;

void install_hooks()
{
    for (int i = 0; i < 3; ++i)
        g_hooks[i] = SetWinEventHook(HOOKED_EVENTS[i][0], HOOKED_EVENTS[i][1], NULL, ignore_event,
                                     0, 0, WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNTHREAD);
}

void remove_hooks()
{
    for (HWINEVENTHOOK hook : g_hooks)
        UnhookWinEvent(hook);
}

bool is_word(const char *command, const char *word)
{
    size_t length = std::strlen(word);
    return std::strncmp(command, word, length) == 0 &&
           (command[length] == '\0' || command[length] == '\n' || command[length] == '\r');
}

// Reads the command into g_pass.
bool parse_command(const char *command)
{
    int level = 255;
    if (std::sscanf(command, "on %d", &level) == 1) {
        g_pass.kind = TURN_ON;
    } else if (is_word(command, "off")) {
        g_pass.kind = TURN_OFF;
    } else if (std::strncmp(command, "focus ", 6) == 0) {
        char *end = NULL;
        unsigned long long handle = std::strtoull(command + 6, &end, 16);
        if (end == command + 6 || std::sscanf(end, "%d", &level) != 1)
            return false;
        g_pass.kind = FOCUS;
        g_pass.foreground = reinterpret_cast<HWND>(static_cast<UINT_PTR>(handle));
    } else {
        return false;
    }
    if (g_pass.kind != TURN_OFF && (level < 0 || level > 254))
        return false;
    g_pass.level = static_cast<BYTE>(g_pass.kind == TURN_OFF ? 255 : level);
    return true;
}

}  // namespace

bool g_profiling;
bool g_hooking;
bool g_quiet;

bool run_pass(const char *command)
{
    // Bound once: the binding is not part of what a pass must do per window.
    if (!g_pass.layered_query) {
        g_pass.layered_query = reinterpret_cast<LayeredQueryFn>(
            find_system_function("user32.dll", "GetLayeredWindowAttributes"));
        g_pass.query_image_name = reinterpret_cast<QueryImageNameFn>(
            find_system_function("kernel32.dll", "QueryFullProcessImageNameA"));
    }
    if (!parse_command(command))
        return false;
    g_pass.windows = g_pass.named = 0;
    reset_call_counts();
    g_timing_calls = g_profiling;

    // The restore pass of the switch removes hooks that an earlier "on" installed.
    if (g_hooking && g_pass.kind == TURN_OFF && !g_hooks_installed) {
        install_hooks();
        g_hooks_installed = true;
    }
    LONGLONG start = performance_counter();
    if (g_hooking && g_pass.kind != FOCUS && (g_pass.kind == TURN_ON) != g_hooks_installed) {
        if (g_pass.kind == TURN_ON)
            install_hooks();
        else
            remove_hooks();
        g_hooks_installed = g_pass.kind == TURN_ON;
    }
    EnumWindows(visit_window, 0);
    LONGLONG end = performance_counter();

    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    double ms_per_tick = 1000.0 / static_cast<double>(frequency.QuadPart);
    if (g_quiet)
        return true;
    std::printf("baseline %s %.3f ms windows %d named %d styled %d attributes %d\n",
                PASS_NAMES[g_pass.kind], static_cast<double>(end - start) * ms_per_tick,
                g_pass.windows, g_pass.named, g_counts.calls[SET_WINDOW_LONG],
                g_counts.calls[SET_LAYERED_WINDOW_ATTRIBUTES]);
    if (g_profiling)
        print_call_counts(ms_per_tick);
    std::fflush(stdout);
    return true;
}
