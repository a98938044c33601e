// Levels set on the fly: "@LumivaneLevel -N", "+N" or "N" changes the level of the window in
// front by N, or to N. The window then holds that level in place of its rule, through
// foreground changes, moves and reconfigures, until it closes, another such command changes
// it, or the effect is switched off.
#pragma once
#include <windows.h>

// Carries out command when it is "@LumivaneLevel" (in any case), one blank and a level
// change; any other text changes nothing. Only while the effect is on.
void run_level_command(const char *command);

// True when window holds a level, which *level receives. Makes no call while no window
// holds one.
bool held_level(HWND window, BYTE *level);

// Turning off: every window forgets the level it held, and follows its rule after the next
// turning on.
void forget_held_levels(void);
