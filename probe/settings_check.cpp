// <stdio.h> before <windows.h>: the other way round, MinGW's x64 headers route printf to
// MinGW's own, which is 25 KB of code.
#include <stdio.h>

#include "settings_check.h"

#include <stdarg.h>
#include <string.h>

#include "../common/matching.h"
#include "../common/rc_file.h"
#include "../common/settings.h"
#include "../common/text.h"

enum {
    COMPARED_LENGTH = 64,   // the characters of a key compared with the keys Lumivane reads
    NEAR_DISTANCE = 2,      // a key this close to one Lumivane reads is taken for a typo of it
};

// The file being checked, read twice: first as the shell reads it, then line by line.
static struct {
    const char *path;
    FILE *out;
    int problems;
    int used_line[MAX_SETTING_KEYS][MAX_APPS];   // the line the shell uses for a key, or 0
} s_check;

static void report(int line, const char *format, ...)
{
    ++s_check.problems;
    if (!s_check.out)
        return;
    fprintf(s_check.out, "%s:%d: ", s_check.path, line);
    va_list arguments;
    va_start(arguments, format);
    vfprintf(s_check.out, format, arguments);
    va_end(arguments);
    fputc('\n', s_check.out);
}

// The shell's own reading: the last line of a key wins.
static void take_line(const char *text, const char *value, int line, void *)
{
    int entry;
    const SettingKey *key = find_setting_key(text, &entry);
    if (!key)
        return;
    s_check.used_line[key - SETTING_KEYS][entry] = line;
    if (key->kind != SETTING_LEVEL)
        store_text(key, entry, value);
    else
        store_level(key, entry, level_is_number(value) ? rc_text_to_int(value)
                                                       : key->default_level);
}

static size_t compared_length(const char *text)
{
    size_t length = 0;
    while (length < COMPARED_LENGTH && text[length])
        ++length;
    return length;
}

// The fewest characters inserted, removed or replaced to make a into b, ignoring ASCII case.
static int edit_distance(const char *a, const char *b)
{
    size_t a_length = compared_length(a), b_length = compared_length(b);
    int row[COMPARED_LENGTH + 1];
    for (size_t j = 0; j <= b_length; ++j)
        row[j] = (int)j;
    for (size_t i = 1; i <= a_length; ++i) {
        int diagonal = row[0];
        row[0] = (int)i;
        for (size_t j = 1; j <= b_length; ++j) {
            int above = row[j];
            int best = diagonal + (fold_char(a[i - 1]) != fold_char(b[j - 1]));
            if (above + 1 < best)
                best = above + 1;
            if (row[j - 1] + 1 < best)
                best = row[j - 1] + 1;
            row[j] = best;
            diagonal = above;
        }
    }
    return row[b_length];
}

// Where the number a key ends with begins (its end when there is none), and that number,
// held at MAX_APPS when it is no entry's.
static size_t trailing_number(const char *text, int *number)
{
    size_t end = strlen(text), start = end;
    while (start > 0 && text[start - 1] >= '0' && text[start - 1] <= '9')
        --start;
    *number = 0;
    for (size_t i = start; i < end && *number < MAX_APPS; ++i)
        *number = *number * 10 + (text[i] - '0');
    if (*number > MAX_APPS)
        *number = MAX_APPS;
    return start;
}

// The key Lumivane reads that text is nearest to, without its colon, and how near.
static int nearest_key(const char *text, char *nearest)
{
    int number;
    trailing_number(text, &number);
    int entry = number < MAX_APPS ? number : 0;
    int best = -1;
    for (int i = 0; i < SETTING_KEY_COUNT; ++i) {
        char candidate[SETTING_KEY_SIZE];
        setting_key(&SETTING_KEYS[i], entry, candidate);
        candidate[strlen(candidate) - 1] = '\0';
        int distance = edit_distance(text, candidate);
        if (best < 0 || distance < best) {
            best = distance;
            memcpy(nearest, candidate, sizeof candidate);
        }
    }
    return best;
}

// True for an entry key whose number is beyond the last entry.
static bool beyond_last_entry(const char *text)
{
    int number;
    size_t start = trailing_number(text, &number);
    if (start == strlen(text) || number < MAX_APPS)
        return false;
    char first_entry[RC_KEY_SIZE + 1];
    memcpy(first_entry, text, start);
    memcpy(first_entry + start, "0", 2);
    int entry;
    const SettingKey *key = find_setting_key(first_entry, &entry);
    return key && key->per_entry;
}

static void check_unknown_key(const char *text, int line)
{
    char nearest[SETTING_KEY_SIZE];
    int distance = nearest_key(text, nearest);
    bool ours = folded_prefix(text, PRODUCT_KEY_PREFIX) > 0;
    if (beyond_last_entry(text))
        report(line, "Lumivane reads no key %s: entries are numbered 0 to %d", text, MAX_APPS - 1);
    else if (ours || distance <= NEAR_DISTANCE)
        report(line, "Lumivane reads no key %s; the nearest key it reads is %s", text, nearest);
}

// What follows the number a level begins with, blanks skipped.
static const char *after_number(const char *value)
{
    while (*value == ' ' || (*value >= '\t' && *value <= '\r'))
        ++value;
    if (*value == '-' || *value == '+')
        ++value;
    while (*value >= '0' && *value <= '9')
        ++value;
    while (*value == ' ')
        ++value;
    return value;
}

static void check_level(const SettingKey *key, int entry, const char *value, int line)
{
    if (!level_is_number(value)) {
        if (value[0] == '\0')
            report(line, "the level is blank: Lumivane uses %d, its default", key->default_level);
        else
            report(line, "the level \"%s\" is not a number: Lumivane uses %d, its default",
                   value, key->default_level);
        return;
    }
    int level = *setting_level(key, entry);
    const char *rest = after_number(value);
    if (*rest != '\0' && *rest != '#')
        report(line, "the level \"%s\" is read as %d, the number it begins with%s", value, level,
               *rest == '%' ? ", on the scale of 0 to 255, not a percentage" : "");
    int applied = level_byte(level);
    if (level < 0 || level > 255)
        report(line, "the level %d is outside 0-255: Lumivane uses its low 8 bits, %d%s", level,
               applied, applied == 0 ? ", at which windows cannot be seen" : "");
    else if (level == 0)
        report(line, "at level 0 the windows it applies to cannot be seen");
}

static void check_rule(int entry, int line)
{
    const char *rule = g_settings.rule[entry];
    if (g_settings.app[entry][0] == '\0') {
        if (rule[0] != '\0')
            report(line, "entry %d has a rule but no appname%d: it names no program", entry, entry);
    } else if (!is_rule_word(rule)) {
        report(line, "the rule \"%s\" is none of " RULE_WORDS ": entry %d still claims its "
               "programs and leaves them alone, so neither a later entry nor the global rule "
               "decides them", rule, entry);
    }
}

// Every path that holds the entry's fragment also holds the one named here.
static void check_fragment(int entry, int line)
{
    const char *fragment = g_settings.app[entry];
    int first = find_entry_from(fragment, 0);
    if (first >= 0 && first < entry)
        report(line, "entry %d can never decide: every path holding \"%s\" holds entry %d's "
               "\"%s\", and entry %d comes first", entry, fragment, first,
               g_settings.app[first], first);
    int exclusion = find_exclusion(fragment);
    if (exclusion >= 0)
        report(line, "entry %d can never decide: every path holding \"%s\" holds exclusion "
               "%d's \"%s\", and an exclusion wins over every entry", entry, fragment,
               exclusion, g_settings.exclude[exclusion]);
}

static void check_text(const SettingKey *key, int entry, const char *value, int line)
{
    const char *kept = setting_text(key, entry);
    if (strlen(value) > key->size - 1)
        report(line, "the value is longer than %d characters: Lumivane keeps \"%s\"",
               (int)key->size - 1, kept);
    if (key->kind == SETTING_GLOBAL_RULE && kept[0] != '\0' && !is_rule_word(kept))
        report(line, "the global rule \"%s\" is none of " RULE_WORDS ": Lumivane leaves alone "
               "the programs that no entry names", kept);
    if (key->kind == SETTING_RULE)
        check_rule(entry, line);
    if (kept == g_settings.app[entry] && kept[0] != '\0')
        check_fragment(entry, line);
}

static void check_line(const char *text, const char *value, int line, void *)
{
    if (strchr(text, '*') || strchr(text, '?')) {
        report(line, "%s is a wildcard key: the shell may give its value to every key of "
               "Lumivane it matches that has no line of its own, and Peekster does not follow "
               "it", text);
        return;
    }
    int entry;
    const SettingKey *key = find_setting_key(text, &entry);
    if (!key) {
        check_unknown_key(text, line);
        return;
    }
    int used = s_check.used_line[key - SETTING_KEYS][entry];
    if (used != line) {
        report(line, "%s is written again on line %d, which the shell uses: Lumivane ignores "
               "this line", text, used);
        return;
    }
    if (strchr(value, '#'))
        report(line, "a '#' inside a value starts no comment: it and what follows are part of "
               "the value");
    if (key->kind == SETTING_LEVEL)
        check_level(key, entry, value, line);
    else
        check_text(key, entry, value, line);
}

int check_settings(const char *path, FILE *out)
{
    s_check.path = path;
    s_check.out = out;
    s_check.problems = 0;
    memset(s_check.used_line, 0, sizeof s_check.used_line);
    clear_settings();
    if (!rc_scan_file(path, NULL, take_line, NULL) || !rc_scan_file(path, NULL, check_line, NULL))
        return -1;
    return s_check.problems;
}

int run_check(const char *path)
{
    int problems = check_settings(path, stdout);
    if (problems < 0) {
        fprintf(stderr, "Peekster: the settings file %s cannot be read\n", path);
        return CANNOT_CHECK;
    }
    if (problems == 0)
        printf("No problems in %s: Lumivane reads every line as written\n", path);
    else
        printf("%d problem%s in %s\n", problems, problems == 1 ? "" : "s", path);
    fflush(stdout);
    return problems == 0 ? CHECKED_CLEAN : PROBLEMS_FOUND;
}

void print_problem_count(const char *path)
{
    int problems = check_settings(path, NULL);
    if (problems <= 0)
        return;
    // Quoted when it holds a blank, so that the command can be typed as it stands.
    const char *quote = strchr(path, ' ') ? "\"" : "";
    printf("Settings: %d problem%s in this file; Peekster " CHECK_OPTION " %s%s%s lists them\n",
           problems, problems == 1 ? "" : "s", quote, path, quote);
    fflush(stdout);
}
