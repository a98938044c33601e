// The shell's exports to plug-ins, over the fake desktop's settings files.
#include <stdlib.h>
#include <string.h>

#include <algorithm>

#include "../../common/host_api.h"
#include "state.h"

namespace fake {

static const std::string *find_value(LPCSTR file, LPCSTR key)
{
    auto it = state().files.find(file);
    if (it == state().files.end())
        return nullptr;
    auto value = it->second.find(fold_key(key));
    return value == it->second.end() ? nullptr : &value->second;
}

}  // namespace fake

using namespace fake;

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
