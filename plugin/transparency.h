// Matching windows to settings entries and changing their layered-window opacity.
#pragma once
#include <windows.h>

// Looks up the executable path of window's process (EXE_PATH_SIZE bytes) and folds it.
void read_folded_path(HWND window, char *path);

// The first entry whose application fragment occurs in the folded path, or -1.
int find_app_index(const char *folded_path);

// True when one of the exclusion fragments occurs in the folded path.
bool is_excluded(const char *folded_path);

// The rule word and level that decide a window with this app index: the entry's own,
// or the global ones when no entry claims it (-1).
const char *effective_rule(int app_index);
BYTE effective_level(int app_index);

// True when rule is exactly the rule word ("ALWAYS", "FOCUS", "MOVING").
bool rule_is(const char *rule, const char *word);

// The low 8 bits of a configured level: 300 applies as 44, -1 as 255.
BYTE level_byte(int configured);

// Gives window the opacity level; 255 makes it an ordinary window again unless it has a
// colour key of its own. Excluded windows and windows whose path is empty are left alone.
void apply_level(HWND window, BYTE level, const char *folded_path);

// GetLayeredWindowAttributes, or NULL on a system without it (Windows 2000).
typedef BOOL(WINAPI *LayeredQueryFn)(HWND window, COLORREF *key, BYTE *alpha, DWORD *flags);
LayeredQueryFn layered_query(void);

// apply_level for a pass that has just seen window exist and bound the query once for all
// its windows: a pass makes no system call per window beyond those the change needs.
void give_level(HWND window, BYTE level, const char *folded_path, LayeredQueryFn query);

// Applies each visible window's level where its rule is "ALWAYS".
void always_pass(void);

// Returns every top-level window, visible or hidden, to opaque.
void restore_pass(void);
