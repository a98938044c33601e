// A system older than Windows 2000: Wine reports Windows NT 4.0 to BLACKBOX.EXE, and the
// plug-in must refuse to start with its error box and leave every window alone.
#include "live_desktop.h"

namespace {

struct ErrorBox {
    HWND window = NULL;
    std::string caption;
    std::string text;
};

// The text of a window of another process, asked of its own thread.
std::string window_text(HWND window)
{
    char text[512] = "";
    DWORD_PTR length = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                        SMTO_ABORTIFHUNG, 5000, &length);
    return std::string(text, length < sizeof text ? length : 0);
}

// A dialog-class window (a message box) shown by process_id, waiting up to timeout_ms; its
// text is that of the Static control that has one (the other holds the icon).
ErrorBox wait_for_message_box(DWORD process_id, DWORD timeout_ms)
{
    ErrorBox box;
    DWORD start = GetTickCount();
    do {
        for (HWND window : top_level_windows("#32770", process_id)) {
            if (!IsWindowVisible(window))
                continue;
            box.window = window;
            box.caption = window_text(window);
            for (HWND child = NULL; (child = FindWindowExA(window, child, "Static", NULL));) {
                if (!window_text(child).empty())
                    box.text = window_text(child);
            }
            return box;
        }
        Sleep(50);
    } while (GetTickCount() - start < timeout_ms);
    return box;
}

}  // namespace

TEST_F(LiveDesktop, SystemOlderThanWindows2000GetsTheErrorBoxAndNoWindowIsTouched)
{
    ASSERT_NO_FATAL_FAILURE(report_windows_version("nt40"));
    write_settings("Lumivane.plugin.global: ALWAYS\n"
                   "Lumivane.plugin.globallevel: 90\n" +
                   settings_entry(0, "STEADY", "ALWAYS", 180));
    TargetApp &steady = start_app("STEADY");
    ASSERT_FALSE(HasFailure());
    HWND main = steady.window("main");

    ASSERT_NO_FATAL_FAILURE(launch_host());
    ErrorBox box = wait_for_message_box(host().id(), 3 * SETTLE_MS);
    ASSERT_TRUE(box.window) << "no message box from the host\n" << host().transcript();
    EXPECT_EQ(box.caption, "Lumivane - ERROR!");
    EXPECT_EQ(box.text, "Lumivane needs Win2000/XP!\n\nSorry :(");
    EXPECT_TRUE(looks_are({{main, opaque()}}));

    PostMessageA(box.window, WM_COMMAND, IDOK, 0);
    std::string line;
    ASSERT_TRUE(host_says("beginPlugin ", &line));
    EXPECT_EQ(line.substr(line.size() - 4), " = 1") << line;
    EXPECT_TRUE(looks_are({{main, opaque()}}));

    // Nothing of the refused plug-in is left: no window of its class, none registered with
    // the host, which goes on running.
    ASSERT_TRUE(host_says("freed "));
    EXPECT_EQ(FindWindowA("Lumivane", NULL), static_cast<HWND>(NULL));
    ASSERT_TRUE(deliver("-exec @LumivaneTog", "delivered @LumivaneTog to 0 window(s)"));
    EXPECT_TRUE(looks_are({{main, opaque()}}));
}
