// What Peekster prints: the pointer position and the executable under it.
#pragma once
#include <windows.h>

// Prints "\nX:<x>, Y:<y>\n<path>\n" to standard output: the pointer's screen position and
// the whole executable path (as the system spells it) of the window under it; the path
// line is empty when no window or no readable process is there.
// Answers that window, or NULL.
HWND print_pointer_report(void);
