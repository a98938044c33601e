// One baseline pass: the system calls of the plug-in's ALWAYS pass ("on LEVEL"), restore
// pass ("off") or FOCUS pass ("focus WINDOW LEVEL") over every top-level window, made for
// every window anew, and nothing else.
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
// the performance counter, the windows enumerated, those whose executable could be named,
// and the style and layered-attribute writes made. False when the command is none of
// "on LEVEL" (0 to 254), "off" and "focus WINDOW LEVEL" (WINDOW a handle in hex).
bool run_pass(const char *command);
