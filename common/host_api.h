// The Blackbox shell's exports that the plug-in uses. They live in BLACKBOX.EXE and are
// imported by name when the plug-in's DLL is loaded: the four cdecl functions undecorated,
// GetBlackboxPath as _GetBlackboxPath@8 on x86 and undecorated on x64 (plugin/CMakeLists.txt).
// The source of the MSVC import library defines SHELL_EXPORT to export them; BLACKBOX.EXE
// exports them through its .def file.
#pragma once
#include <windows.h>

#ifndef SHELL_EXPORT
#define SHELL_EXPORT
#endif

extern "C" {

// The shell's main window: the receiver of the plug-in's registration messages.
SHELL_EXPORT HWND GetBBWnd(void);

// The value text of key in fileName, or defaultValue when the key is absent. The text
// belongs to the shell and stays valid only until its next read: copy it at once.
SHELL_EXPORT LPCSTR ReadString(LPCSTR fileName, LPCSTR key, LPCSTR defaultValue);

// The value of key in fileName as an integer, or defaultValue when the key is absent.
SHELL_EXPORT int ReadInt(LPCSTR fileName, LPCSTR key, int defaultValue);

// True when a file (not a directory) of that name exists.
SHELL_EXPORT bool FileExists(LPCSTR fileName);

// Fills buffer with the shell's directory, ending in a backslash. The only stdcall export:
// on x86 the callee pops its arguments. Shells differ in what it returns, so only the
// buffer is used.
SHELL_EXPORT LPSTR WINAPI GetBlackboxPath(LPSTR buffer, int size);
}
