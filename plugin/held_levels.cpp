#include "held_levels.h"

#include "../common/held_level.h"
#include "../common/matching.h"
#include "../common/settings.h"
#include "../common/text.h"
#include "../common/window_access.h"
#include "window_look.h"

// The windows holding a level now. Each also carries its level in a property (held_level.h),
// which Peekster reads and which goes with the window when it closes. Only this table
// decides: a property left by a shell that ended without turning off (a crash) holds
// nothing, and costs the passes no call.
enum { HELD_SLOTS = 32 };
static HWND s_held[HELD_SLOTS];
static int s_count;

static int slot_of(HWND window)
{
    for (int i = 0; i < s_count; ++i) {
        if (s_held[i] == window)
            return i;
    }
    return -1;
}

static void drop_slot(int slot)
{
    s_held[slot] = s_held[--s_count];
}

// Windows that have closed since free their slots: their property went with them.
static void drop_closed(void)
{
    BYTE level;
    for (int i = s_count - 1; i >= 0; --i) {
        if (!read_held_level(s_held[i], &level))
            drop_slot(i);
    }
}

static bool remember(HWND window)
{
    if (slot_of(window) >= 0)
        return true;
    if (s_count == HELD_SLOTS)
        drop_closed();
    if (s_count == HELD_SLOTS)
        return false;
    s_held[s_count++] = window;
    return true;
}

bool held_level(HWND window, BYTE *level)
{
    if (s_count == 0)
        return false;
    int slot = slot_of(window);
    if (slot < 0)
        return false;
    // Once a held window has closed, its handle may be given to a new window, which
    // carries no level.
    if (read_held_level(window, level))
        return true;
    drop_slot(slot);
    return false;
}

void forget_held_levels(void)
{
    for (int i = 0; i < s_count; ++i)
        remove_held_level(s_held[i]);
    s_count = 0;
}

// The argument after the command word and its one blank; NULL for another command.
static const char *level_argument(const char *command)
{
    static const char word[] = LEVEL_COMMAND;
    size_t length = sizeof word - 1;
    // The shell matches its own commands ignoring case; this one is matched the same way.
    for (size_t i = 0; i < length; ++i) {
        // A shorter command ends here too: its terminator matches no letter.
        if (fold_char(command[i]) != fold_char(word[i]))
            return NULL;
    }
    return command[length] == ' ' ? command + length + 1 : NULL;
}

// "-N", "+N" or "N": decimal digits and nothing else after the sign. *sign receives '-',
// '+' or 0.
static bool parse_change(const char *text, char *sign, int *amount)
{
    *sign = (*text == '-' || *text == '+') ? *text++ : 0;
    if (*text < '0' || *text > '9')
        return false;
    int value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        // Any change past 255 ends at a bound all the same; the value stays small.
        if (value < 1000)
            value = value * 10 + (*text - '0');
    }
    *amount = value;
    return *text == '\0';
}

// The level Lumivane gave the window: the level it holds, or the alpha of a window that
// carries a record. 255 for a window Lumivane has not changed, and where the alpha can't be
// read (Windows 2000).
static int current_level(HWND window)
{
    BYTE level;
    if (held_level(window, &level))
        return level;
    LayeredQueryFn query = layered_query();
    WindowRecord record;
    Look look;
    if (query && read_record(window, &record) && read_look(window, query, &look) && look.layered)
        return look.alpha;
    return 255;
}

void run_level_command(const char *command)
{
    const char *argument = level_argument(command);
    char sign;
    int amount;
    if (!argument || !parse_change(argument, &sign, &amount))
        return;
    // A control in front counts as the window that holds it, and a frame-hosted program's
    // own window as its frame: the frame is its root too.
    HWND window = GetForegroundWindow();
    window = window ? GetAncestor(window, GA_ROOT) : NULL;
    if (!window || decide_window(window).left_alone)
        return;
    int level = amount;
    if (sign == '-')
        level = current_level(window) - amount;
    else if (sign == '+')
        level = current_level(window) + amount;
    int floor = level_byte(g_settings.min_level);
    level = level < floor ? floor : level > 255 ? 255 : level;
    // Held before the window changes: work run inside a wait on the window then finds the
    // level held, and so does deciding it again once it answers.
    bool was_held = slot_of(window) >= 0;
    if (!remember(window))
        return;
    if (!write_held_level(window, (BYTE)level)) {
        if (!was_held)
            drop_slot(slot_of(window));
        return;
    }
    give_level(window, (BYTE)level, layered_query());
}
