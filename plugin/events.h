// The on/off switch and the window events that give the rules their meaning over time.
#pragma once
#include <windows.h>

// Whether the effect is on.
extern bool g_effect_on;

// Installs the creation, foreground and move/size hooks, runs the ALWAYS pass, sets the flag.
void turn_on(void);

// Removes the hooks, gives every window back what it had, clears the flag.
void turn_off(void);

// Where the system's window events enter the plug-in.
void CALLBACK event_callback(HWINEVENTHOOK hook, DWORD event, HWND window, LONG object_id,
                             LONG child_id, DWORD event_thread, DWORD event_time);

// After a foreground change: every visible window under a "FOCUS" rule gets its level,
// the new foreground window the focus level.
void focus_pass(HWND foreground);
