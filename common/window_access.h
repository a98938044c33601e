// What the plug-in needs before it may change another program's window, and Peekster
// checks when it explains one: reading the window's layered attributes, and how long the
// window's thread may take to answer.
#pragma once
#include <windows.h>

// How long a window's thread may take to answer before the window is passed over.
enum { ANSWER_TIMEOUT_MS = 200 };

// GetLayeredWindowAttributes, or NULL on a system without it (Windows 2000).
typedef BOOL(WINAPI *LayeredQueryFn)(HWND window, COLORREF *key, BYTE *alpha, DWORD *flags);
LayeredQueryFn layered_query(void);
