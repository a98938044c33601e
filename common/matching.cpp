#include "matching.h"

#include <string.h>

#include "exe_path.h"
#include "frame_host.h"
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
    decision.unreadable = folded_path[0] == '\0';
    decision.left_alone = decision.unreadable || is_excluded(folded_path);
    decision.frame_host = is_frame_host(folded_path);
    decision.process_id = 0;
    decision.framing = OWN_PROGRAM;
    return decision;
}

// Static for its size, as the lookup's own buffer: nothing here handles a message.
Decision decide_process(DWORD process_id)
{
    static char path[EXE_PATH_SIZE];
    get_process_exe_path(process_id, path);
    fold(path);
    Decision decision = decide_path(path);
    decision.process_id = process_id;
    return decision;
}

static Decision decide_process_now(DWORD process_id, void *)
{
    return decide_process(process_id);
}

// Only windows of the frame host's process are asked for their class. An exclusion that
// names the frame host leaves every frame alone, whatever its content.
Decision decide_window_by(HWND window, DecideProcessFn decide, void *context)
{
    DWORD process_id = 0;
    GetWindowThreadProcessId(window, &process_id);
    Decision own = decide(process_id, context);
    if (!own.frame_host || own.left_alone || !is_frame(window))
        return own;
    DWORD content = content_process(window, process_id);
    if (content) {
        Decision hosted = decide(content, context);
        if (!hosted.unreadable) {
            hosted.framing = HOSTED_PROGRAM;
            return hosted;
        }
    }
    own.left_alone = true;
    own.framing = content ? CONTENT_UNREADABLE : NO_CONTENT;
    return own;
}

Decision decide_window(HWND window)
{
    return decide_window_by(window, decide_process_now, NULL);
}

bool left_as_it_is(const Decision *decision)
{
    return decision->framing == NO_CONTENT || decision->framing == CONTENT_UNREADABLE;
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

bool is_rule_word(const char *rule)
{
    return rule_is(rule, "ALWAYS") || rule_is(rule, "FOCUS") || rule_is(rule, "MOVING");
}

BYTE level_byte(int configured)
{
    return (BYTE)(configured & 0xFF);
}
