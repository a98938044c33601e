// Windows whose thread did not answer in time. Each is decided again once its thread
// answers, retried from a timer on the plug-in's own window; the shell's thread never
// waits on them meanwhile.
#pragma once
#include <windows.h>

enum {
    // Windows waiting at once. When it is full the one that has waited longest makes room:
    // a window that never answers costs a slot, never more.
    WAITING_SLOTS = 16,
    // How often the waiting windows are asked again, and how long each ask may wait: once
    // per busy thread and tick, and not at all for a thread the system counts as hung.
    RETRY_INTERVAL_MS = 250,
    RETRY_TIMEOUT_MS = 50,
};

// The plug-in's message window carries the timer; windows wait only between start_waiting
// and stop_waiting. The timer runs only while a window waits, and dies with the window.
void start_waiting(HWND timer_window);
void stop_waiting(void);

// Remembers a window until its thread answers; a window that waits already stays as it is.
// False when nothing waits for windows now (before start-up or after shut-down).
bool wait_for_answer(HWND window);

// True while the window waits: it is not asked again until the next retry.
bool is_waiting(HWND window);

// The timer's tick: each waiting window that is gone is forgotten; each that answers now is
// forgotten and handed to decide.
void retry_unanswered_windows(void (*decide)(HWND window));
