#include "matching.h"

#include <string.h>

#include "exe_path.h"
#include "settings.h"
#include "text.h"

int find_entry_from(const char *folded_path, int first)
{
    if (folded_path[0] == '\0')
        return -1;
    for (int i = first; i < MAX_APPS; ++i) {
        if (g_settings.app[i][0] != '\0' && strstr(folded_path, g_settings.app[i]))
            return i;
    }
    return -1;
}

int find_app_index(const char *folded_path)
{
    return find_entry_from(folded_path, 0);
}

int find_exclusion(const char *folded_path)
{
    for (int i = 0; i < MAX_APPS; ++i) {
        if (g_settings.exclude[i][0] != '\0' && strstr(folded_path, g_settings.exclude[i]))
            return i;
    }
    return -1;
}

bool is_excluded(const char *folded_path)
{
    return find_exclusion(folded_path) >= 0;
}

Decision decide_path(const char *folded_path)
{
    Decision decision;
    decision.app_index = find_app_index(folded_path);
    decision.left_alone = folded_path[0] == '\0' || is_excluded(folded_path);
    return decision;
}

Decision decide_process(DWORD process_id)
{
    char path[EXE_PATH_SIZE];
    get_process_exe_path(process_id, path);
    fold(path);
    return decide_path(path);
}

Decision decide_window(HWND window)
{
    DWORD process_id = 0;
    GetWindowThreadProcessId(window, &process_id);
    return decide_process(process_id);
}

const char *effective_rule(int app_index)
{
    return app_index >= 0 ? g_settings.rule[app_index] : g_settings.global_rule;
}

BYTE effective_level(int app_index)
{
    return level_byte(app_index >= 0 ? g_settings.level[app_index] : g_settings.global_level);
}

bool rule_is(const char *rule, const char *word)
{
    return strcmp(rule, word) == 0;
}

BYTE level_byte(int configured)
{
    return (BYTE)(configured & 0xFF);
}
