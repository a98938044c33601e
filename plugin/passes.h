// The three passes over every top-level window. A pass stops when work run inside one of
// its waits (a toggle, shut-down, or for a FOCUS pass a newer foreground change) has
// decided the windows it has not reached yet.
#pragma once
#include <windows.h>

// Turning on: each visible window under an "ALWAYS" rule gets its level; every window that
// carries a record and whose settings now ask nothing of it (no rule, an exclusion, a rule
// word that is none or "MOVING", a path that can't be read) gets back what it had.
void always_pass(void);

// After a foreground change: every visible window under a "FOCUS" rule gets its level,
// the new foreground window the focus level; every window that carries a record and whose
// settings now ask nothing of it gets back what it had, as at turning on, except the window
// being moved under a "MOVING" rule.
void focus_pass(HWND foreground, HWND moving);

// Turning off: every top-level window, visible or hidden, gets back what it had before
// Lumivane changed it, whatever the settings say now.
void restore_pass(void);

// How long, in all, the shell waits at quit for the programs that did not answer the
// restore pass in time. A program that is only slow (a loaded machine, a program busy
// for a moment) gets its windows back; one the system counts as hung costs no wait.
enum { LAST_CHANCE_MS = 2000 };

// After the restore pass at quit: the windows it left opaque, because their programs did
// not answer in time, are asked again, waiting up to LAST_CHANCE_MS in all.
void last_restore_pass(void);
