// The shell's five exports, compiled only to make the MSVC import library of BLACKBOX.EXE:
// lib.exe takes the exported names from these dllexport definitions. Nothing here is
// linked into the plug-in.
#define SHELL_EXPORT __declspec(dllexport)
#include "../common/host_api.h"

HWND GetBBWnd(void) { return NULL; }
LPCSTR ReadString(LPCSTR, LPCSTR, LPCSTR defaultValue) { return defaultValue; }
int ReadInt(LPCSTR, LPCSTR, int defaultValue) { return defaultValue; }
bool FileExists(LPCSTR) { return false; }
LPSTR WINAPI GetBlackboxPath(LPSTR buffer, int) { return buffer; }
