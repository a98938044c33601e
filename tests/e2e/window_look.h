// What a user would see of a window's translucency, read from another process, and the
// looks the tests expect.
#pragma once
#include <windows.h>

#include <string>

struct WindowLook {
    bool exists = false;
    bool layered = false;          // WS_EX_LAYERED in the extended style
    bool has_attributes = false;   // GetLayeredWindowAttributes answered
    COLORREF key = 0;
    BYTE alpha = 0;
    DWORD flags = 0;
};

WindowLook look_at(HWND window);
std::string describe(const WindowLook &look);

struct ExpectedLook {
    enum Kind { opaque, translucent, keyed } kind;
    BYTE alpha;
    COLORREF key;
};

// An ordinary window: not layered at all (what level 255 leaves without a colour key).
ExpectedLook opaque();
// Layered at alpha with no colour key.
ExpectedLook translucent(BYTE alpha);
// Layered with its own colour key; alpha 255 also matches a window whose alpha flag is off.
ExpectedLook keyed(COLORREF key, BYTE alpha);

bool matches(const WindowLook &look, const ExpectedLook &expected);
std::string describe(const ExpectedLook &expected);
