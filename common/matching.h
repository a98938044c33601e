// Which settings entry claims a window, and whether Lumivane may touch it at all: the one
// decision of the plug-in, and of Peekster when it explains a window.
#pragma once
#include <windows.h>

// The first entry whose application fragment occurs in the folded path, or -1.
int find_app_index(const char *folded_path);
// The same among the entries from number first on: the later entries that also match.
int find_entry_from(const char *folded_path, int first);

// True when one of the exclusion fragments occurs in the folded path.
bool is_excluded(const char *folded_path);
// The first exclusion whose fragment occurs in the folded path, or -1.
int find_exclusion(const char *folded_path);

// What the settings make of one executable.
struct Decision {
    int app_index;     // the entry that claims it, or -1
    bool left_alone;   // its path can't be read or an exclusion names it: never touched
};

Decision decide_path(const char *folded_path);

// Looks up the process's executable, folds it and decides.
Decision decide_process(DWORD process_id);
Decision decide_window(HWND window);

// The rule word and level that decide a window with this app index: the entry's own,
// or the global ones when no entry claims it (-1).
const char *effective_rule(int app_index);
BYTE effective_level(int app_index);

// True when rule is exactly the rule word ("ALWAYS", "FOCUS", "MOVING").
bool rule_is(const char *rule, const char *word);

// The low 8 bits of a configured level: 300 applies as 44, -1 as 255.
BYTE level_byte(int configured);
