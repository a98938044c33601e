#include "seen_looks.h"

#include <cstdio>

WindowLook look_at(HWND window)
{
    WindowLook look;
    look.exists = IsWindow(window) != FALSE;
    if (!look.exists)
        return look;
    look.layered = (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_LAYERED) != 0;
    look.has_attributes =
        GetLayeredWindowAttributes(window, &look.key, &look.alpha, &look.flags) != FALSE;
    return look;
}

std::string describe(const WindowLook &look)
{
    if (!look.exists)
        return "no such window";
    if (!look.layered)
        return "not layered";
    if (!look.has_attributes)
        return "layered without attributes";
    char text[96];
    snprintf(text, sizeof text, "layered, key %06lx, alpha %u, flags %lu", look.key, look.alpha,
             look.flags);
    return text;
}

ExpectedLook opaque() { return {ExpectedLook::opaque, 255, 0}; }
ExpectedLook translucent(BYTE alpha) { return {ExpectedLook::translucent, alpha, 0}; }
ExpectedLook keyed(COLORREF key, BYTE alpha) { return {ExpectedLook::keyed, alpha, key}; }

bool matches(const WindowLook &look, const ExpectedLook &expected)
{
    if (!look.exists)
        return false;
    switch (expected.kind) {
    case ExpectedLook::opaque:
        return !look.layered;
    case ExpectedLook::translucent:
        return look.layered && look.has_attributes && look.flags == LWA_ALPHA &&
               look.alpha == expected.alpha;
    case ExpectedLook::keyed: {
        if (!look.layered || !look.has_attributes || !(look.flags & LWA_COLORKEY) ||
            look.key != expected.key)
            return false;
        bool alpha_on = (look.flags & LWA_ALPHA) != 0;
        return alpha_on ? look.alpha == expected.alpha : expected.alpha == 255;
    }
    }
    return false;
}

std::string describe(const ExpectedLook &expected)
{
    char text[96];
    switch (expected.kind) {
    case ExpectedLook::opaque:
        return "not layered";
    case ExpectedLook::translucent:
        snprintf(text, sizeof text, "layered, alpha %u", expected.alpha);
        return text;
    case ExpectedLook::keyed:
        snprintf(text, sizeof text, "layered, key %06lx, alpha %u", expected.key, expected.alpha);
        return text;
    }
    return "?";
}

bool wait_for_looks(const std::vector<Expectation> &expected, DWORD timeout_ms,
                    std::vector<WindowLook> *looks)
{
    DWORD start = GetTickCount();
    for (;;) {
        bool all_match = true;
        looks->clear();
        for (const auto &[window, look] : expected) {
            looks->push_back(look_at(window));
            all_match = all_match && matches(looks->back(), look);
        }
        if (all_match || GetTickCount() - start >= timeout_ms)
            return all_match;
        Sleep(20);
    }
}
