// The executable path of the process that owns a window: the name by which settings
// entries and exclusions pick applications.
#pragma once
#include <windows.h>

// The system's path limit: a whole path and its terminator. A longer one is taken as the
// system gives it, cut to its first MAX_PATH - 1 characters.
enum { EXE_PATH_SIZE = MAX_PATH };

// Fills path (EXE_PATH_SIZE bytes) with the full file name of the executable that owns
// window, as the system spells it; empty when it cannot be read.
void get_exe_path(HWND window, char *path);

// The same for the process itself, by its id.
void get_process_exe_path(DWORD process_id, char *path);
