#include "window_look.h"

#include "shell_waits.h"
#include "unanswered_windows.h"

enum Answer {
    ANSWERED,
    SILENT,              // not in time, or the window waits already
    ANSWERED_TOO_LATE,   // but work run inside the check made it stale
};

static bool s_last_chance;
static DWORD s_last_chance_end;   // GetTickCount's value when it is over

void begin_last_chance(DWORD milliseconds)
{
    s_last_chance = true;
    s_last_chance_end = GetTickCount() + milliseconds;
}

void end_last_chance(void)
{
    s_last_chance = false;
}

// How long an answer check may wait now; 0 when the last chance is used up.
static UINT answer_timeout(void)
{
    if (!s_last_chance)
        return ANSWER_TIMEOUT_MS;
    LONG left = (LONG)(s_last_chance_end - GetTickCount());
    return left > 0 ? (UINT)left : 0;
}

// Changing the extended style of another thread's window waits until that thread has
// handled the style-change messages. A hung application would freeze the shell's only
// thread, so such a window must prove it answers first. One that does not waits for its
// thread to answer, and is not asked again meanwhile.
static Answer window_answers(HWND window)
{
    if (GetWindowThreadProcessId(window, NULL) == GetCurrentThreadId())
        return ANSWERED;
    UINT timeout = answer_timeout();
    if (is_waiting(window) || timeout == 0)
        return SILENT;
    Wait wait;
    begin_wait(&wait, window);
    bool answered = answers_within(window, timeout);
    if (end_wait(&wait))
        return answered ? ANSWERED_TOO_LATE : SILENT;
    if (!answered)
        wait_for_answer(window);
    return answered ? ANSWERED : SILENT;
}

// False when work run inside the change made it stale.
static bool change_style(HWND window, LONG ex_style)
{
    Wait wait;
    begin_wait(&wait, window);
    SetWindowLongA(window, GWL_EXSTYLE, ex_style);
    return !end_wait(&wait);
}

// A window read_look fails on is left alone, unless it was not layered before Lumivane made
// it so: Lumivane's own change, cut short between the style and the attributes when the
// shell ran other work of the plug-in inside the style change. It counts as layered with no
// attributes, so that it can be given its level or given back.
static bool cut_short(const WindowRecord *record, Look *look)
{
    if (record->layered)
        return false;
    look->has_key = false;
    return true;
}

// Sets the attributes unless the window has them already: each call recomposes the window.
static void set_attributes(HWND window, const Look *look, BYTE alpha, DWORD alpha_flag)
{
    DWORD flags = (look->has_key ? LWA_COLORKEY : 0) | alpha_flag;
    if (look->layered && look->alpha == alpha && look->flags == flags)
        return;
    SetLayeredWindowAttributes(window, look->has_key ? look->key : 0, alpha, flags);
}

// What the record says the window had. The record goes only once the window has it back,
// so a hung window is given back at a later event or pass.
static void give_back(HWND window, const Look *look, const WindowRecord *record)
{
    if (record->layered) {
        // A window whose owner has ended its layered state since needs nothing back.
        if (look->layered)
            set_attributes(window, look, record->alpha, record->alpha_flag ? LWA_ALPHA : 0);
    } else if (look->has_key) {
        // Its owner gave it a colour key of its own meanwhile: kept, and opaque.
        set_attributes(window, look, 255, LWA_ALPHA);
    } else if (look->layered) {
        Answer answer = window_answers(window);
        // Shut down inside the check, nothing would give an answering window back later.
        if (answer == SILENT || (answer == ANSWERED_TOO_LATE && is_waiting(window))) {
            // Given back once it answers; meanwhile at least opaque, as setting attributes
            // does not wait on the window's thread.
            set_attributes(window, look, 255, LWA_ALPHA);
            return;
        }
        // Plain again as it was: the record goes even when the change went stale.
        change_style(window, look->ex_style & ~WS_EX_LAYERED);
    }
    remove_record(window);
}

void give_back_recorded(HWND window, LayeredQueryFn query, const WindowRecord *record)
{
    Look look;
    if (waited_on(window))
        return;
    if (read_look(window, query, &look) || cut_short(record, &look))
        give_back(window, &look, record);
}

void give_level(HWND window, BYTE level, LayeredQueryFn query)
{
    WindowRecord record;
    if (waited_on(window))
        return;
    if (level == 255) {
        // Without a record Lumivane never changed the window, or has given it back already.
        if (read_record(window, &record))
            give_back_recorded(window, query, &record);
        return;
    }

    Look look;
    if (!read_look(window, query, &look) &&
        !(read_record(window, &record) && cut_short(&record, &look)))
        return;
    DWORD wanted_flags = (look.has_key ? LWA_COLORKEY : 0) | LWA_ALPHA;
    if (look.layered && query && look.alpha == level && look.flags == wanted_flags)
        return;
    if (!look.layered && window_answers(window) != ANSWERED)
        return;
    if (!read_record(window, &record)) {
        // Without the query (Windows 2000) a window's own attributes can't be read: it is
        // recorded, and so given back, as an ordinary window.
        record.layered = look.layered && query != NULL;
        record.alpha = look.alpha;
        record.alpha_flag = (look.flags & LWA_ALPHA) != 0;
        if (!write_record(window, &record))
            return;
    }
    if (!look.layered && !change_style(window, look.ex_style | WS_EX_LAYERED)) {
        // Not waiting: the plug-in ended inside the change, and the window goes back at once.
        if (!is_waiting(window))
            give_level(window, 255, query);
        return;
    }
    SetLayeredWindowAttributes(window, look.has_key ? look.key : 0, level, wanted_flags);
}
