#include "host_paths.h"

#include <windows.h>

const std::string &host_directory()
{
    static const std::string directory = [] {
        char path[MAX_PATH + 1] = "";
        DWORD length = GetModuleFileNameA(NULL, path, MAX_PATH);
        path[length < MAX_PATH ? length : MAX_PATH] = '\0';
        std::string text(path);
        size_t slash = text.find_last_of("\\/");
        text.erase(slash == std::string::npos ? 0 : slash);
        return text + '\\';
    }();
    return directory;
}

std::string path_beside_host(const std::string &path)
{
    bool absolute = (path.size() >= 2 && path[1] == ':') || path[0] == '\\' || path[0] == '/';
    return absolute ? path : host_directory() + path;
}
