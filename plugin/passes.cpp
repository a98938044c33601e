#include "passes.h"

#include "../common/matching.h"
#include "../common/settings.h"
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

// What a pass carries from window to window.
struct Pass {
    void (*visit)(Pass *pass, HWND window);
    HWND foreground;
    LayeredQueryFn query;
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

// The visible window's app index when Lumivane may touch it and its rule is word.
// IsWindowVisible answers FALSE for a window that is gone as well.
static bool visible_under_rule(Pass *pass, HWND window, const char *word, int *app_index)
{
    if (!IsWindowVisible(window))
        return false;
    Decision decision = decide_in_pass(pass, window);
    *app_index = decision.app_index;
    return !decision.left_alone && rule_is(effective_rule(decision.app_index), word);
}

// Turning on: a window under "ALWAYS" gets its level; one under "FOCUS" waits for the first
// foreground change. Every other window that Lumivane changed before (in a run that ended
// without giving it back, or under settings that have stopped naming it since) gets back
// what it had. A hidden window is looked up only when it carries a record: reading one
// costs less than a lookup.
static void visit_always(Pass *pass, HWND window)
{
    bool visible = IsWindowVisible(window) != FALSE;
    WindowRecord record;
    bool recorded = false;
    if (!visible && !(recorded = read_record(window, &record)))
        return;
    Decision decision = decide_in_pass(pass, window);
    if (left_as_it_is(&decision))
        return;
    const char *rule = decision.left_alone ? "" : effective_rule(decision.app_index);
    if (rule_is(rule, "FOCUS"))
        return;
    if (rule_is(rule, "ALWAYS")) {
        if (visible)
            give_level(window, effective_level(decision.app_index), pass->query);
        return;
    }
    if (recorded || read_record(window, &record))
        give_back_recorded(window, pass->query, &record);
}

static void visit_focus(Pass *pass, HWND window)
{
    int index;
    if (visible_under_rule(pass, window, "FOCUS", &index)) {
        BYTE level = window == pass->foreground ? level_byte(g_settings.focus_level)
                                                : effective_level(index);
        give_level(window, level, pass->query);
    }
}

// Everything Lumivane changed is given back, whatever the settings say now and whether or
// not the window's path can be read. Only a window with a record has anything to be given
// back, and none needs a lookup.
static void visit_restore(Pass *pass, HWND window)
{
    WindowRecord record;
    if (IsWindow(window) && read_record(window, &record))
        give_back_recorded(window, pass->query, &record);
}

static BOOL CALLBACK visit_window(HWND window, LPARAM data)
{
    Pass *pass = (Pass *)data;
    pass->visit(pass, window);
    return TRUE;
}

static void run_pass(void (*visit)(Pass *, HWND), HWND foreground)
{
    Pass pass;
    pass.visit = visit;
    pass.foreground = foreground;
    pass.query = layered_query();
    pass.lookups = 0;
    EnumWindows(visit_window, (LPARAM)&pass);
}

void always_pass(void)
{
    run_pass(visit_always, NULL);
}

void focus_pass(HWND foreground)
{
    run_pass(visit_focus, foreground);
}

void restore_pass(void)
{
    run_pass(visit_restore, NULL);
}
