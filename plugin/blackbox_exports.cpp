// The shell's five exports as the shell itself declares them, compiled only to make the MSVC
// import library of BLACKBOX.EXE: lib.exe takes the exported names from these dllexport
// definitions. Nothing here is linked into the plug-in.
#include <windows.h>

extern "C" {

__declspec(dllexport) HWND GetBBWnd(void) { return NULL; }
__declspec(dllexport) LPCSTR ReadString(LPCSTR fileName, LPCSTR key, LPCSTR defaultValue)
{
    (void)fileName;
    (void)key;
    return defaultValue;
}
__declspec(dllexport) int ReadInt(LPCSTR fileName, LPCSTR key, int defaultValue)
{
    (void)fileName;
    (void)key;
    return defaultValue;
}
__declspec(dllexport) bool FileExists(LPCSTR fileName)
{
    (void)fileName;
    return false;
}
__declspec(dllexport) LPSTR WINAPI GetBlackboxPath(LPSTR buffer, int size)
{
    (void)size;
    return buffer;
}
}
