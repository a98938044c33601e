// Fake <psapi.h> for the native build: the process-status calls that the product
// (the wide name) and the conformance checks (the ANSI one) use.
#pragma once
#include <windows.h>

BOOL EnumProcessModules(HANDLE process, HMODULE *modules, DWORD size_bytes, DWORD *needed);
DWORD GetModuleFileNameExA(HANDLE process, HMODULE module, LPSTR buffer, DWORD size);
DWORD GetModuleFileNameExW(HANDLE process, HMODULE module, LPWSTR buffer, DWORD size);
