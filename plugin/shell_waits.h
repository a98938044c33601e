// The shell's thread waiting on another program's window for Lumivane: asking whether the
// window's thread answers, and changing its style. The shell's thread handles the messages
// sent to it meanwhile, so an event, a toggle, a reconfigure or shut-down may run inside such
// a wait. That work leaves the window waited on alone, as it cannot tell whether a style
// change has landed, and notes that it wanted it. What the wait read or decided before is
// then stale: the window is decided again from the retry timer, back in the shell's message
// loop, or, once the plug-in has ended, not at all.
//
// A window whose thread does not answer in time waits: it is retried from a timer on the
// plug-in's own window, and the shell's thread never waits on it meanwhile.
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
    // How long, in all, the shell waits on other programs at quit, whatever they do.
    QUIT_WAIT_MS = 2000,
};

// Counts the shell's calls into the plug-in that may change what any window should look
// like: toggles, reconfigures, shut-down. (An event changes the windows it acts on only.)
extern unsigned g_shell_calls;

// True, and noted, while a wait on this window is under way further up the stack: the
// caller must leave the window alone.
bool waited_on(HWND window);

enum Answer {
    ANSWERED,
    SILENT,              // not in time, or the window waits already: it waits for its thread
    ANSWERED_TOO_LATE,   // but work run inside the check made it stale
};

// Whether the window's thread answers now. Changing the extended style of another thread's
// window waits until that thread has handled the style-change messages, with no limit: a
// hung program would freeze the shell's only thread, so such a window must answer first.
Answer window_answers(HWND window);

// Sets or clears WS_EX_LAYERED in the style the window has now, keeping its other bits.
// False when work run inside the change made it stale; the window then waits, unless the
// plug-in has ended meanwhile.
bool change_layered_style(HWND window, bool layered);

// True while the window waits: it is not asked again until the next retry.
bool is_waiting(HWND window);

// The plug-in's message window carries the retry timer; windows wait only between
// start_waiting and stop_waiting. The timer runs only while a window waits.
void start_waiting(HWND timer_window);
void stop_waiting(void);

// The timer's tick: each waiting window that is gone is forgotten; each that answers now is
// forgotten and handed to decide.
void retry_unanswered_windows(void (*decide)(HWND window));

// Quit: nothing asks a window again later, and the shell waits QUIT_WAIT_MS at most in all.
// From begin_quit on, each answer check waits what is left of that, up to the usual
// timeout, and a window that waits already is passed over. From begin_last_chance on, the
// windows that wait are asked too, for as long as is left; a program that answers only after
// the usual timeout is slow, and its window's style is changed only if it then answers in
// the usual time again. A window passed over keeps its record, for a later run.
void begin_quit(void);
void begin_last_chance(void);
void end_quit(void);
