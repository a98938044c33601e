#include "events.h"

#include "../common/exe_path.h"
#include "settings.h"
#include "transparency.h"

bool g_effect_on;

static HWINEVENTHOOK s_create_hook;
static HWINEVENTHOOK s_foreground_hook;
static HWINEVENTHOOK s_movesize_hook;

// Out of context, the events arrive on the shell's thread inside its message loop, so the
// plug-in needs no locks. Events that thread raises itself are skipped.
static HWINEVENTHOOK install_hook(DWORD first_event, DWORD last_event)
{
    return SetWinEventHook(first_event, last_event, GetModuleHandleA(NULL), event_callback, 0,
                           0, WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNTHREAD);
}

void turn_on(void)
{
    s_create_hook = install_hook(EVENT_OBJECT_CREATE, EVENT_OBJECT_CREATE);
    s_foreground_hook = install_hook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND);
    s_movesize_hook = install_hook(EVENT_SYSTEM_MOVESIZESTART, EVENT_SYSTEM_MOVESIZEEND);
    always_pass();
    g_effect_on = true;
}

void turn_off(void)
{
    UnhookWinEvent(s_create_hook);
    UnhookWinEvent(s_foreground_hook);
    UnhookWinEvent(s_movesize_hook);
    restore_pass();
    g_effect_on = false;
}

struct FocusPass {
    HWND foreground;
    LayeredQueryFn query;
};

static BOOL CALLBACK focus_window(HWND window, LPARAM data)
{
    const FocusPass *pass = (const FocusPass *)data;
    if (!IsWindow(window) || !IsWindowVisible(window))
        return TRUE;
    char path[EXE_PATH_SIZE];
    read_folded_path(window, path);
    int index = find_app_index(path);
    if (rule_is(effective_rule(index), "FOCUS")) {
        BYTE level = window == pass->foreground ? level_byte(g_settings.focus_level)
                                                : effective_level(index);
        give_level(window, level, path, pass->query);
    }
    return TRUE;
}

void focus_pass(HWND foreground)
{
    FocusPass pass = {foreground, layered_query()};
    EnumWindows(focus_window, (LPARAM)&pass);
}

void CALLBACK event_callback(HWINEVENTHOOK, DWORD event, HWND window, LONG, LONG, DWORD, DWORD)
{
    // The pass looks up every window itself, the new foreground window among them.
    if (event == EVENT_SYSTEM_FOREGROUND) {
        focus_pass(window);
        return;
    }
    char path[EXE_PATH_SIZE];
    read_folded_path(window, path);
    int index = find_app_index(path);
    const char *rule = effective_rule(index);

    switch (event) {
    case EVENT_SYSTEM_MOVESIZESTART:
        if (rule_is(rule, "MOVING"))
            apply_level(window, effective_level(index), path);
        break;
    case EVENT_SYSTEM_MOVESIZEEND:
        if (rule_is(rule, "MOVING"))
            apply_level(window, 255, path);
        break;
    case EVENT_OBJECT_CREATE:
        if (rule_is(rule, "ALWAYS"))
            apply_level(window, effective_level(index), path);
        break;
    default:
        break;
    }
}
