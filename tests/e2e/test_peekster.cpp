// Peekster on a live desktop: the pointer over a window of a known executable, the output
// compared byte for byte with what a user's console shows.
#include "live_desktop.h"

#include <string>

namespace {

// The middle of a window, in screen coordinates.
POINT middle_of(HWND window)
{
    RECT rect = {};
    GetWindowRect(window, &rect);
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

}  // namespace

TEST_F(LiveDesktop, PeeksterPrintsThePointerAndTheExecutableUnderIt)
{
    // The second app lives deep enough for its path to pass 60 characters.
    std::string deep = "peekster-test\\a-folder-deep-enough\\for-a-long-path";
    std::string made = directory();
    for (size_t start = 0; start <= deep.size();) {
        size_t end = deep.find('\\', start);
        if (end == std::string::npos)
            end = deep.size();
        made += deep.substr(start, end - start) + "\\";
        CreateDirectoryA(made.c_str(), NULL);
        start = end + 1;
    }
    // The third app is of the other bitness: on 64-bit Windows the x86 Peekster cannot read
    // a 64-bit process's modules and names its image instead.
    struct Case {
        std::string name;
        size_t min_length;
        Bitness bitness;
    } cases[] = {{"POINTED", 0, Bitness::same},
                 {deep + "\\LONGNAMED", 61, Bitness::same},
                 {"OTHERKIND", 0, Bitness::other}};

    std::string peekster = directory() + "Peekster.exe";
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TargetApp &app = start_app(c.name, {{"visible", "main"}}, c.bitness);
        ASSERT_FALSE(HasFailure());
        ASSERT_GE(app.module().size(), c.min_length);
        HWND window = app.window("main");
        SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        POINT point = middle_of(window);
        ASSERT_TRUE(SetCursorPos(point.x, point.y));

        ChildProcess probe("\"" + peekster + "\"", directory());
        ASSERT_TRUE(probe.started());
        ASSERT_EQ(probe.wait_for_exit(SETTLE_MS), std::optional<DWORD>(0));
        std::string expected = "\r\nX:" + std::to_string(point.x) + ", Y:" +
                               std::to_string(point.y) + "\r\n" + app.module().substr(0, 49) +
                               "\r\n";
        EXPECT_EQ(probe.raw_output(), expected);
    }
}
