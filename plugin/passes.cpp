#include "passes.h"

#include "../common/frame_host.h"
#include "../common/settings.h"
#include "held_levels.h"
#include "shell_waits.h"
#include "window_look.h"

// A pass looks up each process's executable once, however many windows the process has.
// That holds for the length of a pass: a window never changes process, a process id is not
// reused while windows of the process exist, and EnumWindows hands out the windows of a
// list taken when it starts. Nothing is kept between passes or events.
enum { PASS_LOOKUP_SLOTS = 64 };

struct ProcessDecision {
    DWORD process_id;
    Decision decision;
};

// A pass may be overtaken inside one of its waits (see shell_waits.h) by work that decides
// the windows it has not reached yet: switching on or off, shut-down, or, for a FOCUS pass,
// a newer foreground change. It then stops. A reconfigure decides no window, so a pass goes
// on through it, deciding the windows still to come by the new settings.
static unsigned s_sweeps;         // ALWAYS and restore passes begun
static unsigned s_focus_passes;   // FOCUS passes begun

// What a pass carries from window to window.
struct Pass {
    void (*visit)(Pass *pass, HWND window);
    Moment moment;   // its rule: "ALWAYS" or "FOCUS"
    LayeredQueryFn query;
    // As when the pass began. Only a FOCUS pass is overtaken by another FOCUS pass: one
    // changes no window that the ALWAYS or the restore pass decides.
    bool focus;
    unsigned sweeps, focus_passes, shell_calls;
    int lookups;
    ProcessDecision known[PASS_LOOKUP_SLOTS];
};

static Decision decide_process_in_pass(DWORD process_id, void *context)
{
    Pass *pass = (Pass *)context;
    for (int i = 0; i < pass->lookups; ++i) {
        if (pass->known[i].process_id == process_id)
            return pass->known[i].decision;
    }
    Decision decision = decide_process(process_id);
    // A full table only costs the rest of the pass fresh lookups; no window is skipped.
    if (pass->lookups < PASS_LOOKUP_SLOTS) {
        pass->known[pass->lookups].process_id = process_id;
        pass->known[pass->lookups].decision = decision;
        ++pass->lookups;
    }
    return decision;
}

// A frame is decided by its content's process, which is looked up once in the pass too.
static Decision decide_in_pass(Pass *pass, HWND window)
{
    return decide_window_by(window, decide_process_in_pass, pass);
}

int level_asked(HWND window, const Decision *decision, const Moment *moment)
{
    if (left_as_it_is(decision))
        return LEAVE_AS_IT_IS;
    // A level set with @LumivaneLevel replaces the rule, whatever the moment.
    BYTE held;
    if (!decision->left_alone && held_level(window, &held))
        return held;
    const char *rule = decision->left_alone ? "" : effective_rule(decision->app_index);
    bool focus = rule_is(rule, "FOCUS");
    if (focus || rule_is(rule, "ALWAYS")) {
        if (moment->pass_rule && !rule_is(rule, moment->pass_rule))
            return LEAVE_AS_IT_IS;
        if (focus && window == moment->foreground)
            return level_byte(g_settings.focus_level);
        return effective_level(decision->app_index);
    }
    if (rule_is(rule, "MOVING") && window == moment->moving)
        return moment->pass_rule ? (int)LEAVE_AS_IT_IS : effective_level(decision->app_index);
    return 255;
}

// A visible window gets the level its settings ask; every other window that Lumivane
// changed before (in a run that ended without giving it back, or under settings that have
// stopped asking a level of it since) gets back what it had. A hidden window is looked up
// only when it carries a record: reading one costs less than a lookup.
static void visit_ruled(Pass *pass, HWND window)
{
    bool visible = IsWindowVisible(window) != FALSE;
    WindowRecord record;
    bool recorded = false;
    if (!visible && !(recorded = read_record(window, &record)))
        return;
    Decision decision = decide_in_pass(pass, window);
    int level = level_asked(window, &decision, &pass->moment);
    if (level == LEAVE_AS_IT_IS || (level < 255 && !visible))
        return;
    if (level < 255)
        give_level(window, (BYTE)level, pass->query);
    else if (recorded || read_record(window, &record))
        give_back_recorded(window, pass->query, &record);
}

static void give_back_if_recorded(Pass *pass, HWND window)
{
    WindowRecord record;
    if (read_record(window, &record))
        give_back_recorded(window, pass->query, &record);
}

// Everything Lumivane changed is given back, whatever the settings say now and whether or
// not the window's path can be read. Only a window with a record has anything to be given
// back, and none needs a lookup. A frame's content is a child window, which EnumWindows
// does not hand out: a frame's first children are looked at too.
static void visit_restore(Pass *pass, HWND window)
{
    if (!IsWindow(window))
        return;
    give_back_if_recorded(pass, window);
    if (!is_frame(window))
        return;
    HWND child = GetWindow(window, GW_CHILD);
    for (int i = 0; child && i < FRAME_CHILDREN_LOOKED_AT; ++i) {
        give_back_if_recorded(pass, child);
        child = GetWindow(child, GW_HWNDNEXT);
    }
}

static bool overtaken(const Pass *pass)
{
    return s_sweeps != pass->sweeps || (pass->focus && s_focus_passes != pass->focus_passes);
}

static BOOL CALLBACK visit_window(HWND window, LPARAM data)
{
    Pass *pass = (Pass *)data;
    pass->visit(pass, window);
    if (overtaken(pass))
        return FALSE;
    if (pass->shell_calls != g_shell_calls) {
        // The settings may have changed: what the pass has looked up is forgotten.
        pass->shell_calls = g_shell_calls;
        pass->lookups = 0;
    }
    return TRUE;
}

static void run_pass(void (*visit)(Pass *, HWND), const char *rule, HWND foreground,
                     HWND moving)
{
    Pass pass;
    pass.focus = rule_is(rule, "FOCUS");
    if (pass.focus)
        ++s_focus_passes;
    else
        ++s_sweeps;
    pass.visit = visit;
    pass.moment.pass_rule = rule;
    pass.moment.foreground = foreground;
    pass.moment.moving = moving;
    pass.query = layered_query();
    pass.sweeps = s_sweeps;
    pass.focus_passes = s_focus_passes;
    pass.shell_calls = g_shell_calls;
    pass.lookups = 0;
    EnumWindows(visit_window, (LPARAM)&pass);
}

void always_pass(void)
{
    run_pass(visit_ruled, "ALWAYS", NULL, NULL);
}

void focus_pass(HWND foreground, HWND moving)
{
    run_pass(visit_ruled, "FOCUS", foreground, moving);
}

void restore_pass(void)
{
    run_pass(visit_restore, "", NULL, NULL);
}
