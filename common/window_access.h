// What the plug-in needs before it may change another program's window, and Peekster
// checks when it explains one: reading the window's layered attributes, and whether the
// window's thread answers in time.
#pragma once
#include <windows.h>

// How long a window's thread may take to answer before the window is passed over.
enum { ANSWER_TIMEOUT_MS = 200 };

// GetLayeredWindowAttributes, or NULL on a system without it (Windows 2000).
typedef BOOL(WINAPI *LayeredQueryFn)(HWND window, COLORREF *key, BYTE *alpha, DWORD *flags);
LayeredQueryFn layered_query(void);

// A window's layered state as it is now.
struct Look {
    LONG ex_style;
    bool layered;
    bool has_key;   // a colour key of its own, black included
    COLORREF key;
    BYTE alpha;
    DWORD flags;
};

// False for a layered window whose attributes can't be read: it draws itself with per-pixel
// alpha (UpdateLayeredWindow), or its owner has not set it up yet. Setting attributes would
// stop its drawing and clearing the style would make it vanish, so Lumivane cannot act on it.
bool read_look(HWND window, LayeredQueryFn query, Look *look);

// True when the window's thread answers a message within ANSWER_TIMEOUT_MS. A hung thread
// is not waited for at all.
bool answers_in_time(HWND window);

// The same with a wait of the caller's choosing.
bool answers_within(HWND window, UINT timeout_ms);
