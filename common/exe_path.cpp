#include "exe_path.h"

#include <psapi.h>

#include "system_function.h"

typedef BOOL(WINAPI *QueryImageNameFn)(HANDLE process, DWORD flags, LPSTR name, PDWORD size);

// A 32-bit process cannot enumerate the modules of a 64-bit one, so on 64-bit Windows the
// x86 build would see no path for most applications. Windows Vista and later can still
// name the image of such a process. It fails, rather than cuts, a name that does not fit.
static void read_image_name(HANDLE process, char *path)
{
    QueryImageNameFn query = reinterpret_cast<QueryImageNameFn>(
        find_system_function("kernel32.dll", "QueryFullProcessImageNameA"));
    DWORD size = EXE_PATH_SIZE;
    if (!query || !query(process, 0, path, &size))
        path[0] = '\0';
    path[EXE_PATH_SIZE - 1] = '\0';
}

void get_exe_path(HWND window, char *path)
{
    DWORD process_id = 0;
    GetWindowThreadProcessId(window, &process_id);
    get_process_exe_path(process_id, path);
}

void get_process_exe_path(DWORD process_id, char *path)
{
    path[0] = '\0';
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, process_id);
    if (!process)
        return;

    // Room for one module handle only: the first module is the executable.
    HMODULE executable = NULL;
    DWORD needed = 0;
    if (EnumProcessModules(process, &executable, sizeof executable, &needed) &&
        GetModuleFileNameExA(process, executable, path, EXE_PATH_SIZE)) {
        path[EXE_PATH_SIZE - 1] = '\0';
    } else {
        path[0] = '\0';
        read_image_name(process, path);
    }
    CloseHandle(process);
}
