#include "events.h"

#include <windows.h>

#include "../common/frame_host.h"
#include "held_levels.h"
#include "passes.h"
#include "shell_waits.h"
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

// The window brought forward last (a frame for its content), and the one being moved or
// sized now, for deciding a window again once it answers.
static HWND s_foreground;
static HWND s_moving;

// The frames decided by their content's process: a frame is decided again only for new
// content, not for every window its application makes inside. A full table only costs a
// frame a decision more.
enum { DECIDED_FRAME_SLOTS = 8 };
struct DecidedFrame {
    HWND frame;
    HWND content;
    DWORD content_process;
};
static DecidedFrame s_decided_frames[DECIDED_FRAME_SLOTS];
static int s_next_decided_frame;

// Creation events come for every kind of object: child windows and controls, carets,
// scroll bars. Rules speak only of top-level windows (owned pop-ups among them). Child
// windows can be layered since Windows 8, so acting on a control's event would fade it a
// second time inside its already translucent frame.
static bool is_top_level_window(HWND window, LONG object_id, LONG child_id)
{
    return object_id == OBJID_WINDOW && child_id == CHILDID_SELF &&
           (GetWindowLongA(window, GWL_STYLE) & WS_CHILD) == 0;
}

static void give_as_asked(HWND window, const Decision *decision)
{
    Moment now = {NULL, s_foreground, s_moving};
    int level = level_asked(window, decision, &now);
    if (level != LEAVE_AS_IT_IS)
        give_level(window, (BYTE)level, layered_query());
}

// The road of a window to its look from a retry, or for a frame whose content came. A
// window that is a child by now (a frame's content attached again), or a frame's content
// taken out, only gets back what it had: its own process does not decide it.
void decide_again(HWND window)
{
    if (!IsWindow(window))
        return;
    if (!g_effect_on || !is_own_top_level(window)) {
        give_level(window, 255, layered_query());
        return;
    }
    Decision decision = decide_window(window);
    give_as_asked(window, &decision);
}

// What a window event asks of its window, when the window's rule is the given word and
// Lumivane may touch it.
static void decide_under(HWND window, const char *word)
{
    Decision decision = decide_window(window);
    if (IsWindow(window) && !decision.left_alone &&
        rule_is(effective_rule(decision.app_index), word))
        give_as_asked(window, &decision);
}

// True, and noted, when content is new to its frame: the first window of another process.
static bool new_content(HWND frame, HWND content)
{
    DWORD process_id = 0;
    GetWindowThreadProcessId(content, &process_id);
    int slot = s_next_decided_frame;
    for (int i = 0; i < DECIDED_FRAME_SLOTS; ++i) {
        if (s_decided_frames[i].frame == frame) {
            if (s_decided_frames[i].content_process == process_id)
                return false;
            slot = i;
        }
    }
    if (slot == s_next_decided_frame)
        s_next_decided_frame = (s_next_decided_frame + 1) % DECIDED_FRAME_SLOTS;
    DecidedFrame decided = {frame, content, process_id};
    s_decided_frames[slot] = decided;
    return true;
}

// Taken out of its frame (the application minimized), the content's return is new again.
static void content_taken_out(HWND window)
{
    for (int i = 0; i < DECIDED_FRAME_SLOTS; ++i) {
        if (s_decided_frames[i].content == window)
            s_decided_frames[i].frame = NULL;
    }
}

// An application's window is attached to its frame after the frame is made, and again each
// time it is restored: made inside the frame (Windows raises a creation event for it) or
// moved into it (a parent-change event). The frame is then named by that application. The
// content, a child now, gets back what it had if it was changed as a top-level window.
static void content_moved(HWND window, LONG object_id, LONG child_id)
{
    if (object_id != OBJID_WINDOW || child_id != CHILDID_SELF)
        return;
    HWND frame = frame_of_content(window);
    if (!frame) {
        content_taken_out(window);
        return;
    }
    give_level(window, 255, layered_query());
    if (new_content(frame, window))
        decide_again(frame);
}

static void CALLBACK event_callback(HWINEVENTHOOK, DWORD event, HWND window,
                                    LONG object_id, LONG child_id, DWORD, DWORD)
{
    if (!g_effect_on)
        return;
    switch (event) {
    case EVENT_SYSTEM_FOREGROUND:
        s_foreground = frame_or_self(window);
        // The pass looks up every window itself, the new foreground window among them.
        focus_pass(s_foreground, s_moving);
        break;
    case EVENT_SYSTEM_MOVESIZESTART:
    case EVENT_SYSTEM_MOVESIZEEND:
        if (event == EVENT_SYSTEM_MOVESIZESTART)
            s_moving = window;
        else if (window == s_moving)
            s_moving = NULL;
        decide_under(window, "MOVING");
        break;
    case EVENT_OBJECT_CREATE:
        // Told apart before any lookup: other objects cost none, and a child window costs
        // one only as the content of a frame.
        if (!is_top_level_window(window, object_id, child_id))
            content_moved(window, object_id, child_id);
        else
            decide_under(window, "ALWAYS");
        break;
    case EVENT_OBJECT_PARENTCHANGE:
        content_moved(window, object_id, child_id);
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
    for (int i = 0; i < DECIDED_FRAME_SLOTS; ++i)
        s_decided_frames[i].frame = NULL;
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

// The first restore pass passes over the windows already known to wait; the second asks
// them too, with what is left of the quit's time.
void turn_off_at_quit(void)
{
    begin_quit();
    turn_off();
    begin_last_chance();
    restore_pass();
    end_quit();
}
