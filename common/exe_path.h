// The executable path of the process that owns a window: the name by which settings
// entries and exclusions pick applications.
#pragma once
#include <windows.h>

enum {
    // The longest path Windows holds, in UTF-16 units with the terminator: the \\?\ form
    // reaches past MAX_PATH.
    WIDE_PATH_SIZE = 32768,
    // The same path in the system's ANSI code page. No code page, UTF-8 included, takes more
    // than three bytes for one UTF-16 unit, so a whole path always fits.
    EXE_PATH_SIZE = 3 * (WIDE_PATH_SIZE - 1) + 1,
};

// Fills path (EXE_PATH_SIZE bytes) with the whole file name of the executable that owns
// window, as the system spells it, in the system's ANSI code page; empty when it cannot be
// read.
void get_exe_path(HWND window, char *path);

// The same for the process itself, by its id.
void get_process_exe_path(DWORD process_id, char *path);
