// The decisions of one pass over the windows, by process: a pass looks up each process's
// executable once, however many windows the process has. The table lives on the pass's
// stack and ends with it; nothing is kept between passes or events.
//
// This holds for the length of a pass: a window never changes process, a process id is
// not reused while windows of the process exist, and EnumWindows hands out the windows of
// a list taken when it starts.
#pragma once
#include <windows.h>

#include "matching.h"

enum { PASS_LOOKUP_SLOTS = 64 };

struct ProcessDecision {
    DWORD process_id;
    Decision decision;
};

struct PassLookups {
    int count;
    ProcessDecision slots[PASS_LOOKUP_SLOTS];
};

void start_lookups(PassLookups *lookups);

// The decision for window's process: from the table when the pass has already looked the
// process up, otherwise by a lookup, kept while the table has room. With no table (NULL),
// always by a lookup.
Decision decide_window(HWND window, PassLookups *lookups);
