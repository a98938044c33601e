#include "pass_lookups.h"

#include "../common/exe_path.h"
#include "../common/text.h"

void start_lookups(PassLookups *lookups)
{
    lookups->count = 0;
}

static const ProcessDecision *find_process(const PassLookups *lookups, DWORD process_id)
{
    for (int i = 0; i < lookups->count; ++i) {
        if (lookups->slots[i].process_id == process_id)
            return &lookups->slots[i];
    }
    return NULL;
}

Decision decide_window(HWND window, PassLookups *lookups)
{
    DWORD process_id = 0;
    GetWindowThreadProcessId(window, &process_id);
    if (lookups) {
        const ProcessDecision *known = find_process(lookups, process_id);
        if (known)
            return known->decision;
    }

    char path[EXE_PATH_SIZE];
    get_process_exe_path(process_id, path);
    fold(path);
    Decision decision = decide_path(path);
    // A full table only costs the rest of the pass fresh lookups; no window is skipped.
    if (lookups && lookups->count < PASS_LOOKUP_SLOTS) {
        lookups->slots[lookups->count].process_id = process_id;
        lookups->slots[lookups->count].decision = decision;
        ++lookups->count;
    }
    return decision;
}
