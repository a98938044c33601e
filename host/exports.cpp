// The five functions a plug-in imports from BLACKBOX.EXE, as the plug-in declares them;
// host/blackbox.def.in names the exports.
#include <algorithm>
#include <cstring>

#include "../common/host_api.h"
#include "host_paths.h"
#include "main_window.h"
#include "rc_reader.h"

HWND GetBBWnd(void) { return main_window(); }

LPCSTR ReadString(LPCSTR fileName, LPCSTR key, LPCSTR defaultValue)
{
    return rc::read_string(fileName, key, defaultValue);
}

int ReadInt(LPCSTR fileName, LPCSTR key, int defaultValue)
{
    return rc::read_int(fileName, key, defaultValue);
}

bool FileExists(LPCSTR fileName) { return rc::file_exists(fileName); }

// A directory longer than the buffer is cut to fit, still ending in a NUL.
LPSTR WINAPI GetBlackboxPath(LPSTR buffer, int size)
{
    if (!buffer || size <= 0)
        return buffer;
    const std::string &directory = host_directory();
    size_t length = std::min(directory.size(), static_cast<size_t>(size) - 1);
    std::memcpy(buffer, directory.data(), length);
    buffer[length] = '\0';
    return buffer;
}
