// The shell's side of the fake desktop: its exports, its settings files, the plug-in's
// module file name, and delivery of its messages to registered windows.
#include <stdlib.h>
#include <string.h>
#include <strings.h>

#include <algorithm>

#include "../../common/host_api.h"
#include "state.h"

namespace fake {

static std::string lower(std::string text)
{
    for (char &c : text)
        if (c >= 'A' && c <= 'Z')
            c = (char)(c - 'A' + 'a');
    return text;
}

void set_file(const std::string &path, const std::map<std::string, std::string> &keys)
{
    std::map<std::string, std::string> folded;
    for (auto &entry : keys)
        folded[lower(entry.first)] = entry.second;
    state().files[path] = folded;
}

void remove_file(const std::string &path) { state().files.erase(path); }
void set_plugin_path(const std::string &path) { state().plugin_path = path; }
void set_shell_dir(const std::string &dir) { state().shell_dir = dir; }

void set_pointer(LONG x, LONG y, HWND under)
{
    state().pointer = {x, y};
    state().under_pointer = under;
}

std::vector<HWND> registered_windows(UINT message) { return state().registrations[message]; }

LRESULT send(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    return SendMessageA(window, message, wparam, lparam);
}

void broadcast(const char *command)
{
    for (HWND window : registered_windows(10901))
        SendMessageA(window, 10901, 0, (LPARAM)command);
}

void reconfigure()
{
    for (HWND window : registered_windows(10103))
        SendMessageA(window, 10103, 0, 0);
}

static const std::string *find_value(LPCSTR file, LPCSTR key)
{
    auto it = state().files.find(file);
    if (it == state().files.end())
        return nullptr;
    auto value = it->second.find(lower(key));
    return value == it->second.end() ? nullptr : &value->second;
}

}  // namespace fake

using namespace fake;

DWORD GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size)
{
    if (module != plugin_module() || size == 0)
        return 0;
    // Like Windows XP: a name that does not fit is cut to size characters, unterminated.
    const std::string &path = state().plugin_path;
    if (path.size() >= size) {
        memcpy(buffer, path.data(), size);
        return size;
    }
    memcpy(buffer, path.c_str(), path.size() + 1);
    return (DWORD)path.size();
}

BOOL GetCursorPos(POINT *point)
{
    *point = state().pointer;
    return TRUE;
}

HWND WindowFromPoint(POINT) { return state().under_pointer; }

extern "C" HWND GetBBWnd(void) { return shell_window(); }

extern "C" LPCSTR ReadString(LPCSTR file, LPCSTR key, LPCSTR default_value)
{
    const std::string *value = find_value(file, key);
    if (!value)
        return default_value;
    state().read_buffer = *value;
    return state().read_buffer.c_str();
}

extern "C" int ReadInt(LPCSTR file, LPCSTR key, int default_value)
{
    const std::string *value = find_value(file, key);
    return value ? atoi(value->c_str()) : default_value;
}

extern "C" bool FileExists(LPCSTR file) { return state().files.count(file) != 0; }

extern "C" LPSTR WINAPI GetBlackboxPath(LPSTR buffer, int size)
{
    if (size <= 0)
        return buffer;
    size_t length = std::min(state().shell_dir.size(), (size_t)size - 1);
    memcpy(buffer, state().shell_dir.data(), length);
    buffer[length] = '\0';
    return buffer;
}
