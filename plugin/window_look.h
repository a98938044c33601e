// One window's layered look: giving it a level, and giving it back what it had before
// Lumivane first changed it. That is recorded on the window itself, in a window property:
// because it lives on the window, it outlasts a reconfigure that removes the window's entry
// and a run of the shell that ended without giving the window back, and any later run of
// the plug-in finds it.
#pragma once
#include <windows.h>

#include "../common/window_access.h"

struct WindowRecord {
    bool layered;      // WS_EX_LAYERED was set
    BYTE alpha;        // its alpha, when layered
    bool alpha_flag;   // LWA_ALPHA was among its flags, when layered
};

// False when the window has no record: Lumivane never changed it, or has given it back.
bool read_record(HWND window, WindowRecord *record);

// Gives a window that exists, and that its decision lets Lumivane touch, the opacity level.
// Before the first change it records on the window what the window had; 255 gives that
// back and drops the record, and leaves a window without a record alone. A window that is
// not a top-level window of its own (see is_own_top_level) is only given back what it had.
// A window's own colour key is kept. Makes no call that would change nothing.
void give_level(HWND window, BYTE level, LayeredQueryFn query);

// Level 255 for a window whose record the caller has just read.
void give_back_recorded(HWND window, LayeredQueryFn query, const WindowRecord *record);
