// One window's layered look: giving it a level, and giving it back what it had.
#pragma once
#include <windows.h>

#include "../common/window_access.h"
#include "window_record.h"

// Gives a window that exists, and that its decision lets Lumivane touch, the opacity level.
// Before the first change it records on the window what the window had; 255 gives that
// back and drops the record, and leaves a window without a record alone. A window's own
// colour key is kept. Makes no call that would change nothing.
void give_level(HWND window, BYTE level, LayeredQueryFn query);

// Level 255 for a window whose record the caller has just read.
void give_back_recorded(HWND window, LayeredQueryFn query, const WindowRecord *record);

// At quit nothing asks a window again later. Between these calls an answer check may wait
// longer than usual, for as long as is left of the given milliseconds, shared by every
// window asked; once they are used up, a window that must answer is passed over at once.
void begin_last_chance(DWORD milliseconds);
void end_last_chance(void);
