#include "settings_argument.h"

#include <stdio.h>
#include <string.h>
#include <windows.h>

#include "../common/settings.h"

bool settings_file_usable(const char *path)
{
    if (strlen(path) >= SETTINGS_PATH_SIZE) {
        fprintf(stderr, "Peekster: the settings file's name is longer than a path can be "
                        "(%d characters at most)\n", SETTINGS_PATH_SIZE - 1);
        return false;
    }
    WIN32_FILE_ATTRIBUTE_DATA file;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &file)) {
        fprintf(stderr, "Peekster: there is no settings file %s\n", path);
        return false;
    }
    if (file.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        fprintf(stderr, "Peekster: %s is a folder, not a settings file\n", path);
        return false;
    }
    if (file.nFileSizeHigh != 0 || file.nFileSizeLow > MAX_SETTINGS_FILE_BYTES) {
        fprintf(stderr, "Peekster: %s is too big for a settings file (more than %d MB)\n", path,
                MAX_SETTINGS_FILE_BYTES >> 20);
        return false;
    }
    FILE *stream = fopen(path, "rb");
    if (!stream) {
        fprintf(stderr, "Peekster: the settings file %s cannot be read\n", path);
        return false;
    }
    fclose(stream);
    return true;
}
