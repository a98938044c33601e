// The three passes over every top-level window. A pass stops when work run inside one of
// its waits (a toggle, shut-down, or for a FOCUS pass a newer foreground change) has
// decided the windows it has not reached yet.
#pragma once
#include <windows.h>

#include "../common/matching.h"

// Turning on: each visible window under an "ALWAYS" rule gets its level; every window that
// carries a record and whose settings now ask nothing of it (no rule, an exclusion, a rule
// word that is none or "MOVING", a path that can't be read) gets back what it had.
void always_pass(void);

// After a foreground change: every visible window under a "FOCUS" rule gets its level,
// the new foreground window the focus level; every window that carries a record and whose
// settings now ask nothing of it gets back what it had, as at turning on, except the window
// being moved under a "MOVING" rule.
void focus_pass(HWND foreground, HWND moving);

// Turning off: every top-level window, visible or hidden, and every frame's content gets
// back what it had before Lumivane changed it, whatever the settings say now.
void restore_pass(void);

// What is known of the moment in which a window is decided.
struct Moment {
    const char *pass_rule;   // a pass's rule: only its windows get their level; NULL: all do
    HWND foreground;         // the window brought forward last (a frame for its content)
    HWND moving;             // the window being moved or sized now
};

enum { LEAVE_AS_IT_IS = -1 };

// The level a window holds (set with @LumivaneLevel), or else the level its settings ask of
// it at this moment, 255 to get back what it had, or
// LEAVE_AS_IT_IS: a frame without content that can be named; in a pass, a window that
// another rule holds (an "ALWAYS" window keeps its level, a "FOCUS" one waits for the next
// foreground change, the window being moved keeps its "MOVING" level). Every pass, event
// and retry asks this one place.
int level_asked(HWND window, const Decision *decision, const Moment *moment);
