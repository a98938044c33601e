// The settings table: everything Lumivane.rc says, read by the plug-in at start-up and on
// every reconfigure, and by Peekster from the file it is given; never written back.
#pragma once
#include <windows.h>

enum {
    MAX_APPS = 50,           // application entries, and separately exclusions
    SLOT_SIZE = 10,          // fragment and rule slots: 9 characters and the terminator
    GLOBAL_RULE_SIZE = 12,   // the global rule: 11 characters and the terminator
    SETTINGS_PATH_SIZE = MAX_PATH,
    DEFAULT_LEVEL = 255,
    DEFAULT_MIN_LEVEL = 32,   // a window at the floor can still be seen and found
    SETTING_KEY_SIZE = 52,   // a key as Lumivane looks it up, colon and terminator included
    MAX_SETTING_KEYS = 16,   // rows of SETTING_KEYS, with room for more
};

// Every key Lumivane reads starts so; the first part names the product.
#define PRODUCT_KEY_PREFIX "Lumivane."
#define SETTING_KEY_PREFIX PRODUCT_KEY_PREFIX "plugin."

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

// How a key's value is taken.
enum SettingKind {
    SETTING_LEVEL,         // the number the value begins with, else the key's default
    SETTING_FRAGMENT,      // a fragment of a program's path, folded and cut to its slot
    SETTING_RULE,          // an entry's rule word, folded and cut to its slot
    SETTING_GLOBAL_RULE,   // the rule word for the programs no entry names, the same way
};

// One key of the settings file, or with per_entry one for each entry: SETTING_KEY_PREFIX,
// the name, the entry's number 0 to MAX_APPS - 1 when per_entry, and a colon.
struct SettingKey {
    const char *name;
    SettingKind kind;
    bool per_entry;
    void *field;         // where the value goes in g_settings, entry 0's for per_entry keys
    size_t size;         // of one value there: a text's slot with its terminator, or an int
    int default_level;   // a level's value when the file gives it no number
};

// Every key Lumivane reads, in the order it reads them; entry keys are read entry by entry.
extern const SettingKey SETTING_KEYS[];
extern const int SETTING_KEY_COUNT;

// The key of entry (ignored unless per_entry) as Lumivane looks it up, colon included, into
// a buffer of SETTING_KEY_SIZE bytes.
void setting_key(const SettingKey *key, int entry, char *text);

// The key that text names as a file line spells it (no colon), ignoring ASCII case, with the
// entry it names in *entry (0 for a key that is not per entry); NULL for a key Lumivane never
// reads, an entry number with leading zeros or beyond the last entry included.
const SettingKey *find_setting_key(const char *text, int *entry);

// The value's place in g_settings.
int *setting_level(const SettingKey *key, int entry);
char *setting_text(const SettingKey *key, int entry);

// True when a level's value begins with a decimal number (after blanks, with an optional
// sign), which is read as atoi reads it; a value that does not keeps the key's default,
// where the shell's ReadInt would give 0 and hide the windows.
bool level_is_number(const char *value);

// Stores a text value (cut to its slot and folded) or a level into its field.
void store_text(const SettingKey *key, int entry, const char *value);
void store_level(const SettingKey *key, int entry, int level);

// Every field at its default: empty texts, levels at their keys' defaults.
void clear_settings(void);

// Reads every key of the settings file into g_settings through the shell's readers; keys
// that are missing take their defaults. The file's name, cut to the path's size, is kept in
// g_settings.path.
void read_settings(const char *path);
