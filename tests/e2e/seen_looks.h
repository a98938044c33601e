// What a user would see of a window's translucency, read from another process, and the
// looks the tests expect.
#pragma once
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

// What the target app's "keyed", "own-alpha" and "keyed-alpha" windows set themselves: a
// colour key of magenta, alpha 200.
const COLORREF OWN_COLOUR_KEY = RGB(255, 0, 255);
const BYTE OWN_ALPHA = 200;

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

// A window and the look expected of it.
using Expectation = std::pair<HWND, ExpectedLook>;

// Reads every window's look until all match or timeout_ms has passed (the shell changes
// windows a moment after the events that ask for it); looks receives the last reading.
bool wait_for_looks(const std::vector<Expectation> &expected, DWORD timeout_ms,
                    std::vector<WindowLook> *looks);
