// The settings table: everything Lumivane.rc says, read by the plug-in at start-up and on
// every reconfigure, and by Peekster from the file it is given; never written back.
#pragma once
#include <windows.h>

enum {
    MAX_APPS = 50,           // application entries, and separately exclusions
    SLOT_SIZE = 10,          // fragment and rule slots: 9 characters and the terminator
    GLOBAL_RULE_SIZE = 12,   // the global rule: 11 characters and the terminator
    SETTINGS_PATH_SIZE = MAX_PATH,
    DEFAULT_MIN_LEVEL = 32,   // a window at the floor can still be seen and found
};

struct SettingsTable {
    char path[SETTINGS_PATH_SIZE];   // the file the readers were given
    char global_rule[GLOBAL_RULE_SIZE];
    int global_level;
    int focus_level;
    int min_level;   // the floor of @LumivaneLevel; the settings' own levels go lower
    int level[MAX_APPS];
    char app[MAX_APPS][SLOT_SIZE];
    char rule[MAX_APPS][SLOT_SIZE];
    char exclude[MAX_APPS][SLOT_SIZE];
};

// Texts are stored folded to upper case; levels as read (users take the low 8 bits).
extern SettingsTable g_settings;

// Reads every key of the settings file into g_settings through the shell's readers; keys
// that are missing take their defaults. The file's name, cut to the path's size, is kept in
// g_settings.path.
void read_settings(const char *path);
