#include "settings_file.h"

#include <string.h>

#include "../common/host_api.h"
#include "../common/settings.h"

// Replaces everything after the last backslash of path with name. A result that would not
// fit the buffer is not written, and the candidate counts as missing.
static bool put_file_name(char *path, const char *name)
{
    size_t end = strlen(path);
    while (end > 0 && path[end - 1] != '\\')
        --end;
    size_t length = strlen(name);
    if (end + length >= SETTINGS_PATH_SIZE)
        return false;
    memcpy(path + end, name, length + 1);
    return true;
}

// Tries "Lumivanerc", then "Lumivane.rc", in the directory of path.
static bool find_in_directory(char *path)
{
    static const char *const names[] = {"Lumivanerc", "Lumivane.rc"};
    for (size_t i = 0; i < sizeof names / sizeof names[0]; ++i) {
        if (put_file_name(path, names[i]) && FileExists(path))
            return true;
    }
    return false;
}

// The plug-in's own directory first, then the shell's. When neither holds a file, the
// plug-in directory's Lumivane.rc is kept: every read then gives its default.
static void locate_settings_file(HINSTANCE module)
{
    char *path = g_settings.path;
    path[0] = '\0';
    GetModuleFileNameA(module, path, SETTINGS_PATH_SIZE);
    path[SETTINGS_PATH_SIZE - 1] = '\0';   // Windows XP leaves a cut name unterminated
    if (find_in_directory(path))
        return;

    // Without room for the name, no file is named at all rather than a wrong one.
    char fallback[SETTINGS_PATH_SIZE];
    memcpy(fallback, path, sizeof fallback);
    if (!put_file_name(fallback, "Lumivane.rc"))
        fallback[0] = '\0';
    path[0] = '\0';
    GetBlackboxPath(path, SETTINGS_PATH_SIZE);
    path[SETTINGS_PATH_SIZE - 1] = '\0';
    if (find_in_directory(path))
        return;
    memcpy(path, fallback, sizeof fallback);
}

void load_settings(HINSTANCE module)
{
    locate_settings_file(module);
    read_settings(g_settings.path);
}
