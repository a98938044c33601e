// Reads from outside what windows look like, as the demo's tables show them, and waits
// until they look as expected.
//
//   window_looks.exe TIMEOUT_MS HANDLE=EXPECTED...
//
// HANDLE is a window handle in hex. EXPECTED is ALPHA (255: not layered at all) or
// ALPHA/RRGGBB for a window with a colour key of its own: layered with that key, and with
// alpha ALPHA (255 also matches a window whose alpha is switched off).
//
// One line per window: HANDLE LAYERED ALPHA KEY VERDICT, with LAYERED yes, no or gone,
// ALPHA the opacity a user sees (255 when not layered), KEY the colour key as RRGGBB or -,
// VERDICT ok or wrong. Exits 0 when every window looked as expected before the timeout,
// 1 when not, 2 on arguments it cannot read.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Look {
    bool exists = false;
    bool layered = false;
    bool keyed = false;
    COLORREF key = 0;
    int alpha = 255;
};

struct Expected {
    HWND window;
    int alpha;
    bool keyed;
    COLORREF key;
};

COLORREF from_rgb_text(const std::string &text)
{
    unsigned long rgb = strtoul(text.c_str(), NULL, 16);
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

bool read_expected(const std::string &argument, Expected *expected)
{
    size_t equals = argument.find('=');
    if (equals == std::string::npos)
        return false;
    expected->window = (HWND)(UINT_PTR)strtoull(argument.substr(0, equals).c_str(), NULL, 16);
    std::string look = argument.substr(equals + 1);
    size_t slash = look.find('/');
    expected->alpha = atoi(look.substr(0, slash).c_str());
    expected->keyed = slash != std::string::npos;
    expected->key = expected->keyed ? from_rgb_text(look.substr(slash + 1)) : 0;
    return expected->window != NULL && expected->alpha >= 0 && expected->alpha <= 255;
}

Look look_at(HWND window)
{
    Look look;
    look.exists = IsWindow(window) != FALSE;
    if (!look.exists)
        return look;
    look.layered = (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_LAYERED) != 0;
    COLORREF key = 0;
    BYTE alpha = 255;
    DWORD flags = 0;
    if (look.layered && GetLayeredWindowAttributes(window, &key, &alpha, &flags)) {
        look.keyed = (flags & LWA_COLORKEY) != 0;
        look.key = key;
        look.alpha = (flags & LWA_ALPHA) ? alpha : 255;
    }
    return look;
}

bool matches(const Look &look, const Expected &expected)
{
    if (!look.exists)
        return false;
    if (!expected.keyed)
        return expected.alpha == 255 ? !look.layered
                                     : look.layered && !look.keyed && look.alpha == expected.alpha;
    return look.layered && look.keyed && look.key == expected.key && look.alpha == expected.alpha;
}

void print_line(const Expected &expected, const Look &look)
{
    char key[16] = "-";
    if (look.keyed)
        snprintf(key, sizeof key, "%02X%02X%02X", GetRValue(look.key), GetGValue(look.key),
                 GetBValue(look.key));
    printf("%llx %s %d %s %s\n", (unsigned long long)(UINT_PTR)expected.window,
           !look.exists ? "gone" : look.layered ? "yes" : "no", look.alpha, key,
           matches(look, expected) ? "ok" : "wrong");
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: window_looks.exe TIMEOUT_MS HANDLE=ALPHA[/RRGGBB]...\n");
        return 2;
    }
    DWORD timeout = (DWORD)atol(argv[1]);
    std::vector<Expected> expected(argc - 2);
    for (int i = 2; i < argc; ++i) {
        if (!read_expected(argv[i], &expected[i - 2])) {
            fprintf(stderr, "window_looks.exe: cannot read %s\n", argv[i]);
            return 2;
        }
    }

    // The shell changes windows as it handles events, a moment after they happen.
    DWORD start = GetTickCount();
    std::vector<Look> looks(expected.size());
    bool all_match;
    for (;;) {
        all_match = true;
        for (size_t i = 0; i < expected.size(); ++i) {
            looks[i] = look_at(expected[i].window);
            all_match = all_match && matches(looks[i], expected[i]);
        }
        if (all_match || GetTickCount() - start >= timeout)
            break;
        Sleep(50);
    }
    for (size_t i = 0; i < expected.size(); ++i)
        print_line(expected[i], looks[i]);
    fflush(stdout);
    return all_match ? 0 : 1;
}
