// The on/off switch and the window events that give the rules their meaning over time.
#pragma once

// Whether the effect is on.
extern bool g_effect_on;

// Installs the creation, foreground and move/size hooks, runs the ALWAYS pass, sets the flag.
void turn_on(void);

// Removes the hooks, gives every window back what it had, clears the flag.
void turn_off(void);
