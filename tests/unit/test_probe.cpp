// Peekster's output on the fake desktop.
#include "../../probe/pointer_report.h"
#include "desktop_fixture.h"

using Probe = Desktop;

TEST_F(Probe, PrintsPositionAndTheExecutableUnderThePointer)
{
    std::string long_path = "C:\\Program Files\\" + std::string(33, 'L') + "\\app.exe";
    ASSERT_EQ(long_path.size(), 58u);
    struct Case {
        const char *name;
        LONG x, y;
        std::string exe;   // empty: no window under the pointer
        fake::ProcessOptions process;
        std::string expected;
    } cases[] = {
        {"known process", 512, 384, "c:\\windows\\notepad.exe", {},
         "\nX:512, Y:384\nc:\\windows\\notepad.exe\n"},
        {"long path cut at 49", 3, 4, long_path, {}, "\nX:3, Y:4\n" + long_path.substr(0, 49) + "\n"},
        {"no window", 0, 0, "", {}, "\nX:0, Y:0\n\n"},
        {"locked process", 10, 20, "C:\\admin.exe", {.can_open = false}, "\nX:10, Y:20\n\n"},
        {"left monitor", -1280, -5, "C:\\Apps\\App.exe", {}, "\nX:-1280, Y:-5\nC:\\Apps\\App.exe\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        HWND under = c.exe.empty() ? nullptr : app_window(c.exe, {}, c.process);
        fake::set_pointer(c.x, c.y, under);
        testing::internal::CaptureStdout();
        print_pointer_report();
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.expected);
        EXPECT_EQ(fake::open_handles(), 0);
    }
}
