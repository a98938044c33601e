// One baseline pass: the system calls of the plug-in's ALWAYS pass ("on LEVEL") or restore
// pass ("off") over every top-level window, and nothing else.
#pragma once
#include <windows.h>

// Also time each kind of call and print where the time went (the timing adds its own).
extern bool g_profiling;
// Also do what the plug-in's switch does around its pass: install its three window event
// hooks before the ALWAYS pass, remove them before the restore pass.
extern bool g_hooking;
// Print nothing.
extern bool g_quiet;

// Runs the pass the command names and prints
// "baseline on|off MS ms windows N named N changed N", the time taken with the performance
// counter. False when the command is neither "on LEVEL" (0 to 254) nor "off".
bool run_pass(const char *command);
