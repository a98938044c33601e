// The system calls of the plug-in's ALWAYS pass and restore pass for every top-level window,
// with no settings and no decisions: every visible window whose executable can be named gets
// the level when turning on; every window whose executable can be named returns to opaque
// when turning off. The plug-in's own limits and checks are copied, so that the calls are
// the same ones, in the same order.
#include "baseline_pass.h"

#include <psapi.h>

#include <cstdio>
#include <cstring>

namespace {


// The plug-in's limits: the path buffer it reads into, the time a window may take to answer.
const DWORD PATH_SIZE = 50;
const UINT ANSWER_TIMEOUT_MS = 200;

typedef BOOL(WINAPI *LayeredQueryFn)(HWND, COLORREF *, BYTE *, DWORD *);
typedef BOOL(WINAPI *QueryImageNameFn)(HANDLE, DWORD, LPSTR, PDWORD);

enum CallKind {
    WINDOW_CHECKS,     // IsWindow, IsWindowVisible
    EXE_LOOKUP,        // GetWindowThreadProcessId ... CloseHandle
    STYLE_READ,        // GetWindowLongA
    LAYERED_QUERY,     // GetLayeredWindowAttributes
    ANSWER_CHECK,      // GetWindowThreadProcessId, SendMessageTimeoutA(WM_NULL)
    STYLE_WRITE,       // SetWindowLongA
    LAYERED_WRITE,     // SetLayeredWindowAttributes
    CALL_KINDS
};
const char *const CALL_NAMES[CALL_KINDS] = {
    "IsWindow/IsWindowVisible", "executable lookup", "GetWindowLongA",
    "GetLayeredWindowAttributes", "SendMessageTimeoutA (answer check)", "SetWindowLongA",
    "SetLayeredWindowAttributes"};

struct Pass {
    bool turning_on;
    BYTE level;
    LayeredQueryFn layered_query;
    QueryImageNameFn query_image_name;
    int windows;
    int named;
    int changed;
    LONGLONG ticks[CALL_KINDS];
    int calls[CALL_KINDS];
};

Pass g_pass;

}  // namespace

bool g_profiling;

namespace {

LONGLONG now()
{
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return counter.QuadPart;
}

// Runs call; when profiling, adds its time to the kind's total.
template <typename Call>
auto timed(CallKind kind, Call call)
{
    if (!g_profiling)
        return call();
    LONGLONG start = now();
    auto result = call();
    g_pass.ticks[kind] += now() - start;
    ++g_pass.calls[kind];
    return result;
}

// The executable lookup: one module handle, a 50-byte name, the image name when the
// modules cannot be read.
bool has_exe_path(HWND window)
{
    DWORD process_id = 0;
    GetWindowThreadProcessId(window, &process_id);
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, process_id);
    if (!process)
        return false;
    char path[PATH_SIZE] = "";
    HMODULE executable = NULL;
    DWORD needed = 0;
    bool named = EnumProcessModules(process, &executable, sizeof executable, &needed) &&
                 GetModuleFileNameExA(process, executable, path, PATH_SIZE);
    if (!named && g_pass.query_image_name) {
        char full[MAX_PATH];
        DWORD size = MAX_PATH;
        named = g_pass.query_image_name(process, 0, full, &size) && full[0] != '\0';
    }
    CloseHandle(process);
    return named;
}

// Another thread's window must answer before its extended style is changed.
bool window_answers(HWND window)
{
    if (GetWindowThreadProcessId(window, NULL) == GetCurrentThreadId())
        return true;
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, ANSWER_TIMEOUT_MS,
                               &result) != 0;
}

bool set_layered_style(HWND window, LONG ex_style, bool layered)
{
    LONG wanted = layered ? (ex_style | WS_EX_LAYERED) : (ex_style & ~WS_EX_LAYERED);
    if (wanted == ex_style)
        return true;
    if (!timed(ANSWER_CHECK, [&] { return window_answers(window); }))
        return false;
    timed(STYLE_WRITE, [&] { return SetWindowLongA(window, GWL_EXSTYLE, wanted); });
    return true;
}

// The style and layered-attribute calls for one window, as the plug-in makes them.
void give_level(HWND window, BYTE level)
{
    LONG ex_style = timed(STYLE_READ, [&] { return GetWindowLongA(window, GWL_EXSTYLE); });
    bool layered = (ex_style & WS_EX_LAYERED) != 0;
    COLORREF key = 0;
    DWORD flags = 0;
    bool has_key = false;
    if (g_pass.layered_query && layered) {
        if (!timed(LAYERED_QUERY,
                   [&] { return g_pass.layered_query(window, &key, NULL, &flags); }))
            return;
        has_key = (flags & LWA_COLORKEY) != 0;
    }
    if (level == 255 && !has_key) {
        if (layered && set_layered_style(window, ex_style, false))
            ++g_pass.changed;
        return;
    }
    if (!set_layered_style(window, ex_style, true))
        return;
    DWORD mode = has_key ? LWA_COLORKEY | LWA_ALPHA : LWA_ALPHA;
    timed(LAYERED_WRITE, [&] { return SetLayeredWindowAttributes(window, key, level, mode); });
    ++g_pass.changed;
}

BOOL CALLBACK visit_window(HWND window, LPARAM)
{
    ++g_pass.windows;
    bool wanted = timed(WINDOW_CHECKS, [&] {
        return IsWindow(window) && (!g_pass.turning_on || IsWindowVisible(window));
    });
    if (!wanted || !timed(EXE_LOOKUP, [&] { return has_exe_path(window); }))
        return TRUE;
    ++g_pass.named;
    give_level(window, g_pass.turning_on ? g_pass.level : 255);
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

bool g_hooks_installed;

template <typename Function>
Function find_function(const char *module, const char *name)
{
    return reinterpret_cast<Function>(
        reinterpret_cast<void (*)(void)>(GetProcAddress(GetModuleHandleA(module), name)));
}

}  // namespace

bool g_hooking;
bool g_quiet;

bool run_pass(const char *command)
{
    // Bound once: the binding is not part of what a pass must do per window.
    if (!g_pass.layered_query) {
        g_pass.layered_query =
            find_function<LayeredQueryFn>("user32.dll", "GetLayeredWindowAttributes");
        g_pass.query_image_name =
            find_function<QueryImageNameFn>("kernel32.dll", "QueryFullProcessImageNameA");
    }
    int level = 255;
    if (std::sscanf(command, "on %d", &level) == 1 && level >= 0 && level <= 254)
        g_pass.turning_on = true;
    else if (std::strncmp(command, "off", 3) == 0 && (command[3] == '\0' || command[3] == '\n' || command[3] == '\r'))
        g_pass.turning_on = false;
    else
        return false;
    g_pass.level = static_cast<BYTE>(g_pass.turning_on ? level : 255);
    g_pass.windows = g_pass.named = g_pass.changed = 0;
    std::memset(g_pass.ticks, 0, sizeof g_pass.ticks);
    std::memset(g_pass.calls, 0, sizeof g_pass.calls);

    // The restore pass of the switch removes hooks that an earlier "on" installed.
    if (g_hooking && !g_pass.turning_on && !g_hooks_installed) {
        install_hooks();
        g_hooks_installed = true;
    }
    LONGLONG start = now();
    if (g_hooking && g_pass.turning_on != g_hooks_installed) {
        if (g_pass.turning_on)
            install_hooks();
        else
            remove_hooks();
        g_hooks_installed = g_pass.turning_on;
    }
    EnumWindows(visit_window, 0);
    LONGLONG end = now();

    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    double ms_per_tick = 1000.0 / static_cast<double>(frequency.QuadPart);
    if (g_quiet)
        return true;
    std::printf("baseline %s %.3f ms windows %d named %d changed %d\n",
                g_pass.turning_on ? "on" : "off", static_cast<double>(end - start) * ms_per_tick,
                g_pass.windows, g_pass.named, g_pass.changed);
    if (g_profiling) {
        for (int kind = 0; kind < CALL_KINDS; ++kind) {
            double kind_ms = static_cast<double>(g_pass.ticks[kind]) * ms_per_tick;
            std::printf("  %-36s %5d calls %10.3f ms %8.1f us/call\n", CALL_NAMES[kind],
                        g_pass.calls[kind], kind_ms,
                        g_pass.calls[kind] ? kind_ms * 1000.0 / g_pass.calls[kind] : 0.0);
        }
    }
    std::fflush(stdout);
    return true;
}

