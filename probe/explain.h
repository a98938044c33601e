// What Lumivane would do with the window under the pointer, from the settings in g_settings
// and by the plug-in's own matching.
#pragma once
#include <windows.h>

#include "../common/matching.h"

struct Explanation {
    Decision decision;
    int exclusion;   // the exclusion that names the path, or -1
};

Explanation explain_path(const char *folded_path);

// Prints, for the top-level window that holds under_pointer: the settings file, the line
// that decides ("Decided by: ..."), the later entries it hides ("Hidden: ..."), what that
// means over time, or the level the window holds in place of its rule ("Lumivane: ..."),
// and why Lumivane cannot act on the window where that is so ("Cannot act: ...").
void print_explanation(HWND under_pointer);
