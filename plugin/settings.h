// The settings table: everything Lumivane.rc says, read at start-up and on every
// reconfigure, never written back.
#pragma once
#include <windows.h>

enum {
    MAX_APPS = 50,           // application entries, and separately exclusions
    SLOT_SIZE = 10,          // fragment and rule slots: 9 characters and the terminator
    GLOBAL_RULE_SIZE = 12,   // the global rule: 11 characters and the terminator
    SETTINGS_PATH_SIZE = MAX_PATH,
};

struct SettingsTable {
    char path[SETTINGS_PATH_SIZE];   // the file the readers were given
    char global_rule[GLOBAL_RULE_SIZE];
    int global_level;
    int focus_level;
    int level[MAX_APPS];
    char app[MAX_APPS][SLOT_SIZE];
    char rule[MAX_APPS][SLOT_SIZE];
    char exclude[MAX_APPS][SLOT_SIZE];
};

// Texts are stored folded to upper case; levels as read (users take the low 8 bits).
extern SettingsTable g_settings;

// Finds the settings file beside the plug-in or in the shell's directory and reads every
// key into g_settings; keys that are missing take their defaults.
void load_settings(HINSTANCE module);
