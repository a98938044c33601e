#include "plugins.h"

#include <windows.h>

#include <fstream>
#include <vector>

#include "../plugin/exports.h"
#include "host_paths.h"
#include "output.h"

typedef decltype(&beginPlugin) BeginPlugin;
typedef decltype(&endPlugin) EndPlugin;

struct Plugin {
    std::string path;
    HMODULE module;
    EndPlugin end;
};

static std::vector<Plugin> s_plugins;

// GetProcAddress answers a generic function pointer; going through void (*)(void) tells the
// compiler the cast to the real type is meant.
template <typename Function>
static Function find_function(HMODULE module, const char *name)
{
    return reinterpret_cast<Function>(
        reinterpret_cast<void (*)(void)>(GetProcAddress(module, name)));
}

static std::string trim_line(const std::string &text)
{
    size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return std::string();
    size_t last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

static void start_plugin(const std::string &path)
{
    HMODULE module = LoadLibraryA(path.c_str());
    if (!module) {
        say("cannot load %s (error %lu)", path.c_str(), GetLastError());
        return;
    }
    say("loaded %s", path.c_str());
    auto begin = find_function<BeginPlugin>(module, "beginPlugin");
    if (!begin) {
        say("no beginPlugin in %s", path.c_str());
        FreeLibrary(module);
        return;
    }
    int result = begin(module);
    say("beginPlugin %s = %d", path.c_str(), result);
    if (result != 0) {
        FreeLibrary(module);
        say("freed %s", path.c_str());
        return;
    }
    auto end = find_function<EndPlugin>(module, "endPlugin");
    s_plugins.push_back(Plugin{path, module, end});
}

void load_plugins(const std::string &list_path)
{
    std::ifstream list(list_path, std::ios::binary);
    if (!list) {
        say("no plug-in list at %s", list_path.c_str());
        return;
    }
    for (std::string line; std::getline(list, line);) {
        std::string entry = trim_line(line);
        if (!entry.empty() && entry[0] != '#')
            start_plugin(path_beside_host(entry));
    }
}

void unload_plugins()
{
    while (!s_plugins.empty()) {
        Plugin plugin = s_plugins.back();
        s_plugins.pop_back();
        if (plugin.end) {
            plugin.end(plugin.module);
            say("endPlugin %s", plugin.path.c_str());
        }
        FreeLibrary(plugin.module);
        say("freed %s", plugin.path.c_str());
    }
}
