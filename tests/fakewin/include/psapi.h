// Fake <psapi.h> for the native build: the two process-status calls the product uses.
#pragma once
#include <windows.h>

BOOL EnumProcessModules(HANDLE process, HMODULE *modules, DWORD size_bytes, DWORD *needed);
DWORD GetModuleFileNameExA(HANDLE process, HMODULE module, LPSTR buffer, DWORD size);
