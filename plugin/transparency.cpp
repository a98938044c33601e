#include "transparency.h"

#include <string.h>

#include "../common/exe_path.h"
#include "../common/system_function.h"
#include "../common/text.h"
#include "settings.h"

// How long a window's thread may take to answer before the window is passed over.
static const UINT ANSWER_TIMEOUT_MS = 200;

void read_folded_path(HWND window, char *path)
{
    get_exe_path(window, path);
    fold(path);
}

int find_app_index(const char *folded_path)
{
    if (folded_path[0] == '\0')
        return -1;
    for (int i = 0; i < MAX_APPS; ++i) {
        if (g_settings.app[i][0] != '\0' && strstr(folded_path, g_settings.app[i]))
            return i;
    }
    return -1;
}

bool is_excluded(const char *folded_path)
{
    for (int i = 0; i < MAX_APPS; ++i) {
        if (g_settings.exclude[i][0] != '\0' && strstr(folded_path, g_settings.exclude[i]))
            return true;
    }
    return false;
}

const char *effective_rule(int app_index)
{
    return app_index >= 0 ? g_settings.rule[app_index] : g_settings.global_rule;
}

BYTE effective_level(int app_index)
{
    return level_byte(app_index >= 0 ? g_settings.level[app_index] : g_settings.global_level);
}

bool rule_is(const char *rule, const char *word)
{
    return strcmp(rule, word) == 0;
}

BYTE level_byte(int configured)
{
    return (BYTE)(configured & 0xFF);
}

// GetLayeredWindowAttributes is missing on Windows 2000, and its ordinal differs between
// versions, so it is looked up by name.
LayeredQueryFn layered_query(void)
{
    return reinterpret_cast<LayeredQueryFn>(
        find_system_function("user32.dll", "GetLayeredWindowAttributes"));
}

// Changing the extended style of another thread's window waits until that thread has
// handled the style-change messages. A hung application would freeze the shell's only
// thread, so such a window must prove it answers first.
static bool window_answers(HWND window)
{
    if (GetWindowThreadProcessId(window, NULL) == GetCurrentThreadId())
        return true;
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, ANSWER_TIMEOUT_MS,
                               &result) != 0;
}

// Sets or clears WS_EX_LAYERED; writes only when the bit changes. False when the window
// did not answer and was left as it is.
static bool set_layered_style(HWND window, LONG ex_style, bool layered)
{
    LONG wanted = layered ? (ex_style | WS_EX_LAYERED) : (ex_style & ~WS_EX_LAYERED);
    if (wanted == ex_style)
        return true;
    if (!window_answers(window))
        return false;
    SetWindowLongA(window, GWL_EXSTYLE, wanted);
    return true;
}

void give_level(HWND window, BYTE level, const char *folded_path, LayeredQueryFn query)
{
    if (folded_path[0] == '\0' || is_excluded(folded_path))
        return;

    LONG ex_style = GetWindowLongA(window, GWL_EXSTYLE);
    bool layered = (ex_style & WS_EX_LAYERED) != 0;
    COLORREF key = 0;
    DWORD flags = 0;
    bool has_key = false;
    if (query && layered) {
        // A layered window without attributes draws itself with per-pixel alpha
        // (UpdateLayeredWindow) or has not been set up by its owner yet: setting
        // attributes would stop its drawing, clearing the style would make it vanish.
        if (!query(window, &key, NULL, &flags))
            return;
        // Black is a real colour key; a stored key whose flag is off is none.
        has_key = (flags & LWA_COLORKEY) != 0;
    }

    if (level == 255 && !has_key) {
        set_layered_style(window, ex_style, false);
        return;
    }
    if (!set_layered_style(window, ex_style, true))
        return;
    if (has_key)
        SetLayeredWindowAttributes(window, key, level, LWA_COLORKEY | LWA_ALPHA);
    else
        SetLayeredWindowAttributes(window, 0, level, LWA_ALPHA);
}

void apply_level(HWND window, BYTE level, const char *folded_path)
{
    if (IsWindow(window))
        give_level(window, level, folded_path, layered_query());
}

static BOOL CALLBACK always_window(HWND window, LPARAM query)
{
    if (!IsWindow(window) || !IsWindowVisible(window))
        return TRUE;
    char path[EXE_PATH_SIZE];
    read_folded_path(window, path);
    int index = find_app_index(path);
    if (rule_is(effective_rule(index), "ALWAYS"))
        give_level(window, effective_level(index), path, (LayeredQueryFn)query);
    return TRUE;
}

static BOOL CALLBACK restore_window(HWND window, LPARAM query)
{
    if (!IsWindow(window))
        return TRUE;
    char path[EXE_PATH_SIZE];
    read_folded_path(window, path);
    give_level(window, 255, path, (LayeredQueryFn)query);
    return TRUE;
}

void always_pass(void)
{
    EnumWindows(always_window, (LPARAM)layered_query());
}

void restore_pass(void)
{
    EnumWindows(restore_window, (LPARAM)layered_query());
}
