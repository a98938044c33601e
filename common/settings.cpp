#include "settings.h"

#include <string.h>

#include "text.h"
#include "host_api.h"

SettingsTable g_settings;

// A new key is one row here: the plug-in reads it and Peekster checks it from this table.
extern const SettingKey SETTING_KEYS[] = {
    {"global", SETTING_GLOBAL_RULE, false, g_settings.global_rule, GLOBAL_RULE_SIZE, 0},
    {"globallevel", SETTING_LEVEL, false, &g_settings.global_level, sizeof(int), DEFAULT_LEVEL},
    {"focuslevel", SETTING_LEVEL, false, &g_settings.focus_level, sizeof(int), DEFAULT_LEVEL},
    {"minlevel", SETTING_LEVEL, false, &g_settings.min_level, sizeof(int), DEFAULT_MIN_LEVEL},
    {"level", SETTING_LEVEL, true, g_settings.level, sizeof(int), DEFAULT_LEVEL},
    {"appname", SETTING_FRAGMENT, true, g_settings.app, SLOT_SIZE, 0},
    {"rule", SETTING_RULE, true, g_settings.rule, SLOT_SIZE, 0},
    {"exclude", SETTING_FRAGMENT, true, g_settings.exclude, SLOT_SIZE, 0},
};
extern const int SETTING_KEY_COUNT = sizeof SETTING_KEYS / sizeof SETTING_KEYS[0];
static_assert(sizeof SETTING_KEYS / sizeof SETTING_KEYS[0] <= MAX_SETTING_KEYS,
              "MAX_SETTING_KEYS has room for every key");

static_assert(MAX_APPS <= 100, "entry numbers have at most two digits");

// Built by hand: snprintf would link MinGW's own printf into the x64 files, msvcrt having
// none.
void setting_key(const SettingKey *key, int entry, char *text)
{
    size_t length = sizeof SETTING_KEY_PREFIX - 1;
    memcpy(text, SETTING_KEY_PREFIX, length);
    for (const char *name = key->name; *name && length < SETTING_KEY_SIZE - 4; ++name)
        text[length++] = *name;
    if (key->per_entry) {
        if (entry >= 10)
            text[length++] = (char)('0' + entry / 10);
        text[length++] = (char)('0' + entry % 10);
    }
    text[length++] = ':';
    text[length] = '\0';
}

// "0" to "49" as Lumivane writes entry numbers; -1 for anything else.
static int entry_number(const char *digits)
{
    if (digits[0] < '0' || digits[0] > '9' || (digits[0] == '0' && digits[1] != '\0'))
        return -1;
    int number = 0;
    for (; *digits; ++digits) {
        if (*digits < '0' || *digits > '9' || number >= MAX_APPS)
            return -1;
        number = number * 10 + (*digits - '0');
    }
    return number < MAX_APPS ? number : -1;
}

const SettingKey *find_setting_key(const char *text, int *entry)
{
    size_t prefix = folded_prefix(text, SETTING_KEY_PREFIX);
    if (prefix == 0)
        return NULL;
    const char *rest = text + prefix;
    for (int i = 0; i < SETTING_KEY_COUNT; ++i) {
        const SettingKey *key = &SETTING_KEYS[i];
        size_t name = folded_prefix(rest, key->name);
        if (name == 0)
            continue;
        *entry = key->per_entry ? entry_number(rest + name) : 0;
        if (key->per_entry ? *entry >= 0 : rest[name] == '\0')
            return key;
    }
    return NULL;
}

int *setting_level(const SettingKey *key, int entry)
{
    return (int *)((char *)key->field + entry * key->size);
}

char *setting_text(const SettingKey *key, int entry)
{
    return (char *)key->field + entry * key->size;
}

bool level_is_number(const char *value)
{
    if (!value)
        return false;
    // The blanks atoi skips.
    while (*value == ' ' || (*value >= '\t' && *value <= '\r'))
        ++value;
    if (*value == '-' || *value == '+')
        ++value;
    return *value >= '0' && *value <= '9';
}

void store_text(const SettingKey *key, int entry, const char *value)
{
    char *slot = setting_text(key, entry);
    copy_cut(slot, value ? value : "", key->size);
    fold(slot);
}

void store_level(const SettingKey *key, int entry, int level)
{
    *setting_level(key, entry) = level;
}

static int entries_of(const SettingKey *key)
{
    return key->per_entry ? MAX_APPS : 1;
}

void clear_settings(void)
{
    for (int i = 0; i < SETTING_KEY_COUNT; ++i) {
        const SettingKey *key = &SETTING_KEYS[i];
        for (int entry = 0; entry < entries_of(key); ++entry) {
            if (key->kind == SETTING_LEVEL)
                store_level(key, entry, key->default_level);
            else
                store_text(key, entry, "");
        }
    }
}

// Values longer than the slot are cut to its width. The text the shell answers is its own
// until its next read, so it is looked at before ReadInt reads again.
static void read_key(const SettingKey *key, int entry)
{
    char name[SETTING_KEY_SIZE];
    setting_key(key, entry, name);
    const char *value = ReadString(g_settings.path, name, "");
    if (key->kind != SETTING_LEVEL)
        store_text(key, entry, value);
    else if (level_is_number(value))
        store_level(key, entry, ReadInt(g_settings.path, name, key->default_level));
    else
        store_level(key, entry, key->default_level);
}

void read_settings(const char *path)
{
    if (path != g_settings.path)
        copy_cut(g_settings.path, path, SETTINGS_PATH_SIZE);
    for (int i = 0; i < SETTING_KEY_COUNT; ++i) {
        if (!SETTING_KEYS[i].per_entry)
            read_key(&SETTING_KEYS[i], 0);
    }
    for (int entry = 0; entry < MAX_APPS; ++entry) {
        for (int i = 0; i < SETTING_KEY_COUNT; ++i) {
            if (SETTING_KEYS[i].per_entry)
                read_key(&SETTING_KEYS[i], entry);
        }
    }
}
