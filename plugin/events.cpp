#include "events.h"

#include <windows.h>

#include "../common/frame_host.h"
#include "../common/matching.h"
#include "held_levels.h"
#include "passes.h"
#include "../common/settings.h"
#include "window_look.h"

// Out-of-context events are queued for the shell's thread: those raised before the hooks
// went are still delivered after UnhookWinEvent, and inside any wait of that thread, the
// restore pass's answer checks included. With the effect off they must not make windows
// translucent again behind the restore pass.
bool g_effect_on;

// Set while installed only: a handle is never installed over, nor removed twice.
static HWINEVENTHOOK s_create_hook;
static HWINEVENTHOOK s_foreground_hook;
static HWINEVENTHOOK s_movesize_hook;
static HWINEVENTHOOK s_parent_hook;

// The window brought forward last, and the one being moved or sized now, for deciding a
// window again once it answers.
static HWND s_foreground;
static HWND s_moving;

// Creation events come for every kind of object: child windows and controls, carets,
// scroll bars. Rules speak only of top-level windows (owned pop-ups among them). Child
// windows can be layered since Windows 8, so acting on a control's event would fade it a
// second time inside its already translucent frame.
static bool is_top_level_window(HWND window, LONG object_id, LONG child_id)
{
    return object_id == OBJID_WINDOW && child_id == CHILDID_SELF &&
           (GetWindowLongA(window, GWL_STYLE) & WS_CHILD) == 0;
}

// True when window's rule is the given word, no level it holds replaces the rule, and
// Lumivane may touch the window; app_index receives the entry that claims it.
static bool under_rule(HWND window, const char *word, int *app_index)
{
    Decision decision = decide_window(window);
    *app_index = decision.app_index;
    BYTE held;
    return !decision.left_alone && !held_level(window, &held) &&
           rule_is(effective_rule(decision.app_index), word);
}

static void give_window(HWND window, BYTE level)
{
    if (IsWindow(window))
        give_level(window, level, layered_query());
}

// An application's window is attached to its frame after the frame is made, and again each
// time it is restored: made inside the frame (Windows raises a creation event for it) or
// moved into it (a parent-change event). The frame is then named by that application. The
// content, a child now, gets back what it had if it was changed as a top-level window.
static void content_attached(HWND window, LONG object_id, LONG child_id)
{
    if (object_id != OBJID_WINDOW || child_id != CHILDID_SELF)
        return;
    HWND frame = frame_of_content(window);
    if (!frame)
        return;
    give_window(window, 255);
    decide_again(frame);
}

static void CALLBACK event_callback(HWINEVENTHOOK, DWORD event, HWND window,
                                    LONG object_id, LONG child_id, DWORD, DWORD)
{
    if (!g_effect_on)
        return;
    int index = -1;
    switch (event) {
    case EVENT_SYSTEM_FOREGROUND:
        s_foreground = window;
        // The pass looks up every window itself, the new foreground window among them.
        focus_pass(window, s_moving);
        break;
    case EVENT_SYSTEM_MOVESIZESTART:
        s_moving = window;
        if (under_rule(window, "MOVING", &index))
            give_window(window, effective_level(index));
        break;
    case EVENT_SYSTEM_MOVESIZEEND:
        if (window == s_moving)
            s_moving = NULL;
        if (under_rule(window, "MOVING", &index))
            give_window(window, 255);
        break;
    case EVENT_OBJECT_CREATE:
        // Told apart before any lookup: other objects cost none, and a child window costs
        // one only as the content of a frame.
        if (!is_top_level_window(window, object_id, child_id))
            content_attached(window, object_id, child_id);
        else if (under_rule(window, "ALWAYS", &index))
            give_window(window, effective_level(index));
        break;
    case EVENT_OBJECT_PARENTCHANGE:
        content_attached(window, object_id, child_id);
        break;
    default:
        break;
    }
}

// Out of context, the events arrive on the shell's thread inside its message loop, so the
// plug-in needs no locks. Events that thread raises itself are skipped.
static HWINEVENTHOOK install_hook(DWORD first_event, DWORD last_event)
{
    return SetWinEventHook(first_event, last_event, GetModuleHandleA(NULL), event_callback, 0,
                           0, WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNTHREAD);
}

static void remove_hook(HWINEVENTHOOK *hook)
{
    if (*hook)
        UnhookWinEvent(*hook);
    *hook = NULL;
}

// The switch turns before the pass, which may wait: a toggle handled inside that wait
// finds the effect on and turns it off again, and the pass then stops.
void turn_on(void)
{
    if (g_effect_on)
        return;
    g_effect_on = true;
    s_foreground = NULL;
    s_moving = NULL;
    s_create_hook = install_hook(EVENT_OBJECT_CREATE, EVENT_OBJECT_CREATE);
    s_foreground_hook = install_hook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND);
    s_movesize_hook = install_hook(EVENT_SYSTEM_MOVESIZESTART, EVENT_SYSTEM_MOVESIZEEND);
    // A hook of its own: the events between creation and parent change are busy ones
    // (location and name changes).
    s_parent_hook = install_hook(EVENT_OBJECT_PARENTCHANGE, EVENT_OBJECT_PARENTCHANGE);
    always_pass();
}

void turn_off(void)
{
    g_effect_on = false;
    remove_hook(&s_create_hook);
    remove_hook(&s_foreground_hook);
    remove_hook(&s_movesize_hook);
    remove_hook(&s_parent_hook);
    forget_held_levels();
    restore_pass();
}

// The level a window holds, or the one its rule asks for now; 255 for none.
static BYTE level_now(HWND window, int app_index)
{
    BYTE held;
    if (held_level(window, &held))
        return held;
    const char *rule = effective_rule(app_index);
    if (rule_is(rule, "ALWAYS") || (rule_is(rule, "MOVING") && window == s_moving))
        return effective_level(app_index);
    if (rule_is(rule, "FOCUS"))
        return window == s_foreground ? level_byte(g_settings.focus_level)
                                      : effective_level(app_index);
    return 255;
}

void decide_again(HWND window)
{
    if (!IsWindow(window))
        return;
    BYTE level = 255;
    if (g_effect_on) {
        Decision decision = decide_window(window);
        if (left_as_it_is(&decision))
            return;
        if (!decision.left_alone)
            level = level_now(window, decision.app_index);
    }
    give_level(window, level, layered_query());
}
