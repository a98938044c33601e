// <stdio.h> before <windows.h>: the other way round, MinGW's x64 headers route printf to
// MinGW's own, which is 25 KB of code.
#include <stdio.h>

#include "pointer_report.h"

#include <windows.h>

#include "../common/exe_path.h"

HWND print_pointer_report(void)
{
    POINT pointer = {0, 0};
    GetCursorPos(&pointer);
    // The window may be a child control; only its owning process matters here.
    HWND window = WindowFromPoint(pointer);
    char path[EXE_PATH_SIZE];
    get_exe_path(window, path);
    printf("\nX:%d, Y:%d\n%s\n", (int)pointer.x, (int)pointer.y, path);
    fflush(stdout);
    return window;
}
