// <stdio.h> before <windows.h>: the other way round, MinGW's x64 headers route printf to
// MinGW's own, which is 25 KB of code.
#include <stdio.h>

#include "explain.h"


#include "../common/exe_path.h"
#include "../common/frame_host.h"
#include "../common/held_level.h"
#include "../common/matching.h"
#include "../common/settings.h"
#include "../common/text.h"
#include "../common/window_access.h"

static void print_entry(int index)
{
    printf("entry %d (appname%d: %s, rule%d: %s, level%d: %d)", index, index,
           g_settings.app[index], index, g_settings.rule[index], index,
           g_settings.level[index]);
}

static void print_global_rule(void)
{
    printf("the global rule (global: %s, globallevel: %d)", g_settings.global_rule,
           g_settings.global_level);
}

// Which settings line decides, and which lines it hides: the ones users miss most.
static void print_deciding_lines(const char *path, const Explanation *why)
{
    printf("Decided by: ");
    if (path[0] == '\0') {
        printf("nothing, as the program's path cannot be read");
    } else if (why->exclusion >= 0) {
        printf("exclusion %d (exclude%d: %s)", why->exclusion, why->exclusion,
               g_settings.exclude[why->exclusion]);
    } else if (why->decision.app_index >= 0) {
        print_entry(why->decision.app_index);
    } else if (g_settings.global_rule[0] != '\0') {
        print_global_rule();
        printf(", as no entry names the program");
    } else {
        printf("nothing: no entry, exclusion or global rule names the program");
    }
    printf("\n");

    for (int i = find_entry_from(path, 0); i >= 0; i = find_entry_from(path, i + 1)) {
        if (why->exclusion < 0 && i == why->decision.app_index)
            continue;
        printf("Hidden: ");
        print_entry(i);
        if (why->exclusion >= 0)
            printf(" also matches, but exclusion %d wins over every entry\n", why->exclusion);
        else
            printf(" also matches, but entry %d comes first\n", why->decision.app_index);
    }
    if (why->exclusion >= 0 && why->decision.app_index < 0 && g_settings.global_rule[0] != '\0') {
        printf("Hidden: ");
        print_global_rule();
        printf(" would apply, but exclusion %d wins over it\n", why->exclusion);
    }
}

// A level set with @LumivaneLevel that the window still shows. One left by a shell that
// ended without switching off is not held by the next run, which gives the window its rule.
static bool shows_held_level(HWND window, BYTE *level)
{
    Look look;
    if (!read_held_level(window, level) || !read_look(window, layered_query(), &look))
        return false;
    // 255 gives the window back whatever it had of its own.
    return *level == 255 || (look.layered && look.alpha == *level);
}

// What the decision means over time, or the level the window holds in place of its rule;
// false when Lumivane never changes the window.
static bool print_outcome(const Decision *decision, HWND window)
{
    printf("Lumivane: ");
    if (decision->left_alone) {
        printf("never touches this window\n");
        return false;
    }
    BYTE held;
    if (shows_held_level(window, &held)) {
        printf("level %d, set with " LEVEL_COMMAND "; it stays until the window closes or "
               "Lumivane is switched off\n", held);
        return true;
    }
    const char *rule = effective_rule(decision->app_index);
    int level = effective_level(decision->app_index);
    if (rule_is(rule, "ALWAYS")) {
        printf("translucent at %d always\n", level);
    } else if (rule_is(rule, "FOCUS")) {
        printf("translucent at %d while not in front, at the focus level %d when in front\n",
               level, level_byte(g_settings.focus_level));
    } else if (rule_is(rule, "MOVING")) {
        printf("translucent at %d while moved or sized\n", level);
    } else {
        if (decision->app_index >= 0 || rule[0] != '\0')
            printf("leaves this window alone: the rule \"%s\" is none of " RULE_WORDS "\n", rule);
        else
            printf("leaves this window alone\n");
        return false;
    }
    return true;
}

static void print_frame_left_as_it_is(Framing framing)
{
    if (framing == NO_CONTENT)
        printf("Decided by: nothing yet: the window is a frame of " FRAME_HOST_NAME
               " that shows no program's window now (its program is minimized, or has not "
               "shown its window yet)\n");
    else
        printf("Decided by: nothing: the window is a frame of " FRAME_HOST_NAME
               " whose program's path cannot be read (an administrator's or another user's "
               "program, or a program that has ended)\n");
    printf("Lumivane: leaves this frame as it is, neither changed nor given back, until a "
           "program it can name shows its window in it\n");
}

Explanation explain_path(const char *folded_path)
{
    Explanation why;
    why.decision = decide_path(folded_path);
    why.exclusion = find_exclusion(folded_path);
    return why;
}

void print_explanation(HWND under_pointer)
{
    printf("Settings: %s\n", g_settings.path);
    // The pointer may rest on a control; rules speak of the window that holds it. The
    // desktop has no root of its own.
    HWND window = under_pointer ? GetAncestor(under_pointer, GA_ROOT) : NULL;
    if (!window)
        window = under_pointer;
    if (!window) {
        printf("Lumivane: there is no window under the pointer\n");
        fflush(stdout);
        return;
    }
    // A frame is named by the program whose window it shows, as the plug-in names it.
    Decision decision = decide_window(window);
    if (left_as_it_is(&decision)) {
        print_frame_left_as_it_is(decision.framing);
        fflush(stdout);
        return;
    }
    char path[EXE_PATH_SIZE];
    get_process_exe_path(decision.process_id, path);
    if (decision.framing == HOSTED_PROGRAM)
        printf("Program: %s, whose window is shown in a frame of " FRAME_HOST_NAME "\n", path);
    fold(path);
    Explanation why = explain_path(path);
    print_deciding_lines(path, &why);
    if (print_outcome(&why.decision, window)) {
        Look look;
        if (!read_look(window, layered_query(), &look))
            printf("Cannot act: the window draws its own per-pixel translucency\n");
        if (!answers_in_time(window))
            printf("Cannot act: its program answers no messages\n");
    }
    if (path[0] == '\0')
        printf("Cannot act: the program's path cannot be read (an administrator's or another "
               "user's program, or a program that has ended)\n");
    fflush(stdout);
}
