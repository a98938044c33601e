// The floor under the plug-in's passes: for the same windows, exactly the system calls the
// ALWAYS pass ("on LEVEL"), the restore pass ("off") or the FOCUS pass ("focus WINDOW LEVEL")
// makes when every window is looked at on its own, with no settings and no decisions. "on"
// gives every visible window whose executable can be named LEVEL; "off" returns every window
// whose executable can be named to opaque; "focus" gives every visible named window LEVEL,
// except WINDOW, the new foreground window, which becomes opaque.
#pragma once
#include <windows.h>

// Also time each system call and print, per function, how often it was called and how long
// it took (the timing adds its own).
extern bool g_profiling;
// Also do what the plug-in's switch does around its pass: install its three window event
// hooks before the ALWAYS pass, remove them before the restore pass.
extern bool g_hooking;
// Print nothing.
extern bool g_quiet;

// Runs the pass the command names and prints
// "baseline on|off|focus MS ms windows N named N styled N attributes N": the time taken with
// the performance counter around it (as the shell times its delivery), the windows
// enumerated, those whose executable could be named, and the style and layered-attribute
// writes made. False when the command is none of
// "on LEVEL" (0 to 254), "off" and "focus WINDOW LEVEL" (WINDOW a handle in hex).
bool run_pass(const char *command);
