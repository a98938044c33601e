#include "settings.h"

#include <string.h>

#include "text.h"
#include "host_api.h"

SettingsTable g_settings;

// Values longer than the slot are cut to its width.
static void read_text(const char *key, char *slot, size_t size)
{
    const char *value = ReadString(g_settings.path, key, "");
    copy_cut(slot, value ? value : "", size);
    fold(slot);
}

// "Lumivane.plugin.<name><index>:". Built by hand: snprintf would link MinGW's own printf
// into the x64 files, msvcrt having none.
static void entry_key(char *key, const char *name, int index)
{
    static_assert(MAX_APPS <= 100, "entry numbers have at most two digits");
    static const char PREFIX[] = "Lumivane.plugin.";
    size_t length = sizeof PREFIX - 1;
    memcpy(key, PREFIX, length);
    for (; *name; ++name)
        key[length++] = *name;
    if (index >= 10)
        key[length++] = (char)('0' + index / 10);
    key[length++] = (char)('0' + index % 10);
    key[length++] = ':';
    key[length] = '\0';
}

void read_settings(const char *path)
{
    if (path != g_settings.path)
        copy_cut(g_settings.path, path, SETTINGS_PATH_SIZE);
    const char *file = g_settings.path;
    read_text("Lumivane.plugin.global:", g_settings.global_rule, GLOBAL_RULE_SIZE);
    g_settings.global_level = ReadInt(file, "Lumivane.plugin.globallevel:", 255);
    g_settings.focus_level = ReadInt(file, "Lumivane.plugin.focuslevel:", 255);
    g_settings.min_level = ReadInt(file, "Lumivane.plugin.minlevel:", DEFAULT_MIN_LEVEL);

    char key[40];   // the longest, "Lumivane.plugin.appname49:", and room to spare
    for (int i = 0; i < MAX_APPS; ++i) {
        entry_key(key, "level", i);
        g_settings.level[i] = ReadInt(file, key, 255);
        entry_key(key, "appname", i);
        read_text(key, g_settings.app[i], SLOT_SIZE);
        entry_key(key, "rule", i);
        read_text(key, g_settings.rule[i], SLOT_SIZE);
        entry_key(key, "exclude", i);
        read_text(key, g_settings.exclude[i], SLOT_SIZE);
    }
}
