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
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "seen_looks.h"

namespace {

bool read_expected(const char *argument, Expectation *expected)
{
    unsigned long long handle = 0;
    unsigned long rgb = 0;
    int alpha = -1;
    int read = sscanf(argument, "%llx=%d/%lx", &handle, &alpha, &rgb);
    auto &[window, look] = *expected;
    window = (HWND)(UINT_PTR)handle;
    if (read == 3)
        look = keyed(RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF), (BYTE)alpha);
    else
        look = alpha == 255 ? opaque() : translucent((BYTE)alpha);
    return read >= 2 && window != NULL && alpha >= 0 && alpha <= 255;
}

void print_line(const Expectation &expected, const WindowLook &look)
{
    bool keyed = look.layered && look.has_attributes && (look.flags & LWA_COLORKEY);
    bool alpha_on = look.layered && look.has_attributes && (look.flags & LWA_ALPHA);
    char key[16] = "-";
    if (keyed)
        snprintf(key, sizeof key, "%02X%02X%02X", GetRValue(look.key), GetGValue(look.key),
                 GetBValue(look.key));
    printf("%llx %s %d %s %s\n", (unsigned long long)(UINT_PTR)expected.first,
           !look.exists ? "gone" : look.layered ? "yes" : "no", alpha_on ? look.alpha : 255, key,
           matches(look, expected.second) ? "ok" : "wrong");
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: window_looks.exe TIMEOUT_MS HANDLE=ALPHA[/RRGGBB]...\n");
        return 2;
    }
    DWORD timeout = (DWORD)atol(argv[1]);
    std::vector<Expectation> expected(argc - 2);
    for (int i = 2; i < argc; ++i) {
        if (!read_expected(argv[i], &expected[i - 2])) {
            fprintf(stderr, "window_looks.exe: cannot read %s\n", argv[i]);
            return 2;
        }
    }
    std::vector<WindowLook> looks;
    bool all_match = wait_for_looks(expected, timeout, &looks);
    for (size_t i = 0; i < expected.size(); ++i)
        print_line(expected[i], looks[i]);
    fflush(stdout);
    return all_match ? 0 : 1;
}
