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

// Whose program decides a window.
enum Framing {
    OWN_PROGRAM,          // the program of the window's own process
    HOSTED_PROGRAM,       // a frame: the program of the content it hosts
    NO_CONTENT,           // a frame with no content
    CONTENT_UNREADABLE,   // a frame whose content's program has ended or can't be read
};

// What the settings make of one executable, or of one window.
struct Decision {
    int app_index;       // the entry that claims it, or -1
    bool left_alone;     // never touched: its path can't be read, an exclusion names it, or
                         // it is a frame without content that can be named
    bool unreadable;     // its path can't be read
    bool frame_host;     // the executable is the frame host, whose frames are named otherwise
    DWORD process_id;    // the process whose program decided
    Framing framing;
};

Decision decide_path(const char *folded_path);

// Looks up the process's executable, folds it and decides.
Decision decide_process(DWORD process_id);

// A window is decided by its own process's program; a frame of the frame host by the
// program of its content. decide gives the decision of a process, so that a pass can keep
// the ones it has made.
typedef Decision (*DecideProcessFn)(DWORD process_id, void *context);
Decision decide_window_by(HWND window, DecideProcessFn decide, void *context);
Decision decide_window(HWND window);

// True for a frame without content that can be named: it is left as it is, neither
// changed nor given back, until its content is there.
bool left_as_it_is(const Decision *decision);

// The rule word and level that decide a window with this app index: the entry's own,
// or the global ones when no entry claims it (-1).
const char *effective_rule(int app_index);
BYTE effective_level(int app_index);

// True when rule is exactly the rule word ("ALWAYS", "FOCUS", "MOVING").
bool rule_is(const char *rule, const char *word);
// True when rule is one of the three; anything else leaves a window alone.
bool is_rule_word(const char *rule);
#define RULE_WORDS "ALWAYS, FOCUS, MOVING"


// The low 8 bits of a configured level: 300 applies as 44, -1 as 255.
BYTE level_byte(int configured);
