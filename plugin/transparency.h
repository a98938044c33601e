// Changing windows' layered-window opacity, and giving windows back what they had.
#pragma once
#include <windows.h>

#include "matching.h"

// GetLayeredWindowAttributes, or NULL on a system without it (Windows 2000).
typedef BOOL(WINAPI *LayeredQueryFn)(HWND window, COLORREF *key, BYTE *alpha, DWORD *flags);
LayeredQueryFn layered_query(void);

// Gives window the opacity level. Before the first change it records on the window what the
// window had; 255 gives that back and drops the record, and leaves a window without a record
// alone. A window's own colour key is kept. Excluded windows and windows whose path is empty
// are left alone.
void apply_level(HWND window, BYTE level, const char *folded_path);

// apply_level for a window that has just been seen to exist and whose decision lets it be
// touched, with the layered query bound once by the caller. Makes no call that would
// change nothing.
void give_level(HWND window, BYTE level, LayeredQueryFn query);

// Applies each visible window's level where its rule is "ALWAYS".
void always_pass(void);

// Gives every top-level window, visible or hidden, back what it had before Lumivane
// changed it.
void restore_pass(void);
