// The shell's thread waiting on another thread for Lumivane: an answer check, or a style
// change. The shell's thread handles the messages sent to it meanwhile, so an event, a
// toggle, a reconfigure or shut-down may run inside such a wait. That work leaves the window
// waited on alone, as it cannot tell whether a style change has landed, and notes that it
// wanted it. What the wait read or decided before is then stale: the window is decided again
// from the retry timer, back in the shell's message loop, or, once the plug-in has ended,
// not at all.
#pragma once
#include <windows.h>

// Counts the shell's calls into the plug-in that may change what any window should look
// like: toggles, reconfigures, shut-down. (An event changes the windows it acts on only.)
extern unsigned g_shell_calls;

// One wait under way, kept on the waiting function's stack.
struct Wait {
    HWND window;
    bool wanted_meanwhile;
    unsigned shell_calls;
    Wait *outer;
};

void begin_wait(Wait *wait, HWND window);

// True when the wait went stale; the window then waits for the retry timer.
bool end_wait(Wait *wait);

// True, and noted, while a wait on this window is under way further up the stack: the
// caller must leave the window alone.
bool waited_on(HWND window);
