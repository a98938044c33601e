// The on/off switch and the window events that give the rules their meaning over time.
#pragma once
#include <windows.h>

// Whether the effect is on.
extern bool g_effect_on;

// Sets the flag, installs the creation, foreground, move/size and parent-change hooks, runs
// the ALWAYS pass. Does nothing while the effect is on: the hooks are never installed twice.
void turn_on(void);

// Clears the flag, removes the hooks, gives every window back what it had.
void turn_off(void);

// Turning off at quit, when nothing will ask a window again later: spends QUIT_WAIT_MS at
// most in all on programs that answer slowly. A window that could not be given back in that
// time is left opaque with its record, for the next run to give back.
void turn_off_at_quit(void);

// Gives a window the look its rule and the switch ask for now: a window whose thread did
// not answer in time, once it answers.
void decide_again(HWND window);
