// The three passes over every top-level window.
#pragma once
#include <windows.h>

// Turning on: each visible window under an "ALWAYS" rule gets its level; every window that
// carries a record and whose settings now ask nothing of it (no rule, an exclusion, a rule
// word that is none or "MOVING", a path that can't be read) gets back what it had.
void always_pass(void);

// After a foreground change: every visible window under a "FOCUS" rule gets its level,
// the new foreground window the focus level.
void focus_pass(HWND foreground);

// Turning off: every top-level window, visible or hidden, gets back what it had before
// Lumivane changed it, whatever the settings say now.
void restore_pass(void);
