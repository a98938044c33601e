#include "settings.h"

#include <stdio.h>
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

void read_settings(const char *path)
{
    if (path != g_settings.path)
        copy_cut(g_settings.path, path, SETTINGS_PATH_SIZE);
    const char *file = g_settings.path;
    read_text("Lumivane.plugin.global:", g_settings.global_rule, GLOBAL_RULE_SIZE);
    g_settings.global_level = ReadInt(file, "Lumivane.plugin.globallevel:", 255);
    g_settings.focus_level = ReadInt(file, "Lumivane.plugin.focuslevel:", 255);

    char key[52];
    for (int i = 0; i < MAX_APPS; ++i) {
        snprintf(key, sizeof key, "Lumivane.plugin.level%d:", i);
        g_settings.level[i] = ReadInt(file, key, 255);
        snprintf(key, sizeof key, "Lumivane.plugin.appname%d:", i);
        read_text(key, g_settings.app[i], SLOT_SIZE);
        snprintf(key, sizeof key, "Lumivane.plugin.rule%d:", i);
        read_text(key, g_settings.rule[i], SLOT_SIZE);
        snprintf(key, sizeof key, "Lumivane.plugin.exclude%d:", i);
        read_text(key, g_settings.exclude[i], SLOT_SIZE);
    }
}
