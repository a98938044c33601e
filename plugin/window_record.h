// What a window had before Lumivane first changed it, kept on the window itself in a window
// property. Because it lives on the window, it outlasts a reconfigure that removes the
// window's entry and a run of the shell that ended without giving the window back, and any
// later run of the plug-in finds it.
#pragma once
#include <windows.h>

struct WindowRecord {
    bool layered;      // WS_EX_LAYERED was set
    BYTE alpha;        // its alpha, when layered
    bool alpha_flag;   // LWA_ALPHA was among its flags, when layered
};

// False when the record could not be written: the window must then be left alone.
bool write_record(HWND window, const WindowRecord *record);

// False when the window has no record.
bool read_record(HWND window, WindowRecord *record);

void remove_record(HWND window);
