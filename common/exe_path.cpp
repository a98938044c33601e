#include "exe_path.h"

#include <psapi.h>

#include "system_function.h"

typedef BOOL(WINAPI *QueryImageNameFn)(HANDLE process, DWORD flags, LPWSTR name, PDWORD size);

// The name as Windows holds it. Static rather than on the stack, for its size: nothing in a
// lookup handles a message, so the shell's thread never enters a second lookup meanwhile.
static WCHAR s_name[WIDE_PATH_SIZE];

// Room for one module handle only: the first module is the executable.
static bool read_module_name(HANDLE process)
{
    HMODULE executable = NULL;
    DWORD needed = 0;
    if (!EnumProcessModules(process, &executable, sizeof executable, &needed))
        return false;
    // Windows XP leaves a name that fills the buffer unterminated; none fills this one.
    DWORD length = GetModuleFileNameExW(process, executable, s_name, WIDE_PATH_SIZE);
    return length > 0 && length < WIDE_PATH_SIZE;
}

// A 32-bit process cannot enumerate the modules of a 64-bit one, so on 64-bit Windows the
// x86 build would see no path for most applications. Windows Vista and later can still
// name the image of such a process, whole, as the x64 build reads it.
static bool read_image_name(HANDLE process)
{
    QueryImageNameFn query = reinterpret_cast<QueryImageNameFn>(
        find_system_function("kernel32.dll", "QueryFullProcessImageNameW"));
    DWORD size = WIDE_PATH_SIZE;
    return query && query(process, 0, s_name, &size);
}

void get_exe_path(HWND window, char *path)
{
    DWORD process_id = 0;
    GetWindowThreadProcessId(window, &process_id);
    get_process_exe_path(process_id, path);
}

// Read wide and given in the ANSI code page whole: the ANSI calls would cut a long name at
// MAX_PATH - 1 bytes, which a double-byte code page reaches at about 150 characters, or fail
// on it.
void get_process_exe_path(DWORD process_id, char *path)
{
    path[0] = '\0';
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, process_id);
    if (!process)
        return;
    bool read = read_module_name(process) || read_image_name(process);
    CloseHandle(process);
    if (!read)
        return;
    s_name[WIDE_PATH_SIZE - 1] = 0;
    if (!WideCharToMultiByte(CP_ACP, 0, s_name, -1, path, EXE_PATH_SIZE, NULL, NULL))
        path[0] = '\0';
}
