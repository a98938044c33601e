// Start-up and shut-down under the shell, the message window, and the info texts.
#include "../../plugin/exports.h"
#include "../../plugin/passes.h"
#include "../../plugin/shell_waits.h"
#include "desktop_fixture.h"

class Plugin : public Desktop {
protected:
    HWND notepad = nullptr;

    void SetUp() override
    {
        Desktop::SetUp();
        write_settings(entry0("notepad", "always", "150"));
        notepad = app_window("C:\\Windows\\notepad.exe");
    }

    static HWND message_window()
    {
        std::vector<HWND> found = fake::windows_of_class("Lumivane");
        return found.size() == 1 ? found[0] : nullptr;
    }

    static bool registered(HWND window)
    {
        auto has = [&](UINT message) {
            std::vector<HWND> list = fake::registered_windows(message);
            return std::find(list.begin(), list.end(), window) != list.end();
        };
        return window && has(10103) && has(10901);
    }

    static bool nothing_left_behind()
    {
        return !message_window() && !fake::class_registered("Lumivane") &&
               fake::registered_windows(10103).empty() && fake::registered_windows(10901).empty();
    }
};

TEST_F(Plugin, StartsRegisteredWithTheEffectOnAndEndsWithEveryWindowRestored)
{
    ASSERT_EQ(beginPlugin(fake::plugin_module()), 0);
    HWND window = message_window();
    EXPECT_TRUE(registered(window));
    EXPECT_EQ(fake::window(window).ex_style, WS_EX_TOOLWINDOW | WS_EX_LAYERED);
    EXPECT_FALSE(fake::window(window).visible);
    EXPECT_TRUE(has_alpha(notepad, 150));
    EXPECT_EQ(fake::active_hooks(), HOOKS);
    EXPECT_TRUE(fake::message_boxes().empty());

    // Hung while the effect goes off, so it is only made opaque and keeps its record...
    fake::set_hung(notepad, true);
    fake::broadcast("@LumivaneTog");
    EXPECT_TRUE(has_alpha(notepad, 255));
    // ...and quitting gives it back, even with the effect already off.
    fake::set_hung(notepad, false);
    endPlugin(fake::plugin_module());
    EXPECT_TRUE(is_plain(notepad));
    EXPECT_TRUE(nothing_left_behind());
    EXPECT_EQ(fake::active_hooks(), 0);
}

// At quit nothing will ask again later: a program busy for a while gets its window back,
// and the shell waits a bounded time in all. A program that answers only slowly, or not at
// all, may hold a style change without limit: its window is left opaque with its record,
// and the next start gives it back.
TEST_F(Plugin, QuitWaitsABoundedWhileForSlowProgramsToGiveTheirWindowsBack)
{
    HWND hung = app_window("C:\\Windows\\notepad.exe");
    HWND slow = app_window("C:\\Windows\\notepad.exe");
    HWND busy = app_window("C:\\Windows\\notepad.exe");
    ASSERT_EQ(beginPlugin(fake::plugin_module()), 0);
    fake::set_answer_time(slow, QUIT_WAIT_MS / 2);
    fake::set_busy_for(busy, 3 * ANSWER_TIMEOUT_MS);
    fake::set_hung(hung, true);
    DWORD waited_before = fake::waited_ms();
    endPlugin(fake::plugin_module());
    EXPECT_LE(fake::waited_ms() - waited_before, (DWORD)QUIT_WAIT_MS);
    EXPECT_TRUE(is_plain(busy));
    EXPECT_TRUE(is_plain(notepad));
    for (HWND w : {slow, hung}) {
        EXPECT_TRUE(has_alpha(w, 255));
        EXPECT_EQ(fake::window(w).properties, 1);
    }
    fake::set_answer_time(slow, 0);
    fake::set_hung(hung, false);
    ASSERT_EQ(beginPlugin(fake::plugin_module()), 0);
    fake::broadcast("@LumivaneTog");
    EXPECT_TRUE(is_plain(slow) && is_plain(hung));
    endPlugin(fake::plugin_module());
}

// The shell frees the library after endPlugin; events still queued then must find it loaded,
// whatever letters its folder's name has and however long it is.
TEST_F(Plugin, TheLibraryStaysLoadedAfterQuitWhereverItLies)
{
    const std::string cyrillic = "C:\\\u0411\u043b\u044d\u043a\\plugins\\Lumivane\\Lumivane.dll";
    const std::string deep = "C:\\Blackbox\\" + std::string(280, 'p') + "\\Lumivane.dll";
    struct Case {
        std::string path;
        DWORD minor_version;   // 0: Windows 2000, 1: Windows XP
    } cases[] = {{cyrillic, 1}, {deep, 1}, {cyrillic, 0}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.path + (c.minor_version ? " on XP" : " on 2000"));
        SetUp();
        fake::set_plugin_path(c.path);
        fake::set_version(VER_PLATFORM_WIN32_NT, 5, c.minor_version);
        ASSERT_EQ(beginPlugin(fake::plugin_module()), 0);
        fake::queue_event(EVENT_OBJECT_CREATE, app_window("C:\\Windows\\notepad.exe"));
        endPlugin(fake::plugin_module());
        fake::free_plugin();
        fake::deliver_queued_events();
        EXPECT_EQ(fake::calls_into_freed_plugin(), 0);
    }
}

TEST_F(Plugin, ToggleCommandMustMatchExactly)
{
    ASSERT_EQ(beginPlugin(fake::plugin_module()), 0);
    for (const char *ignored : {"@lumivanetog", "@LumivaneTog ", " @LumivaneTog", "@LumivaneTo",
                                "@LumivaneToggle", ""}) {
        fake::broadcast(ignored);
        EXPECT_TRUE(has_alpha(notepad, 150)) << '"' << ignored << '"';
    }
    SendMessageA(message_window(), 10901, 0, 0);   // no command text at all
    EXPECT_TRUE(has_alpha(notepad, 150));

    fake::broadcast("@LumivaneTog");
    EXPECT_TRUE(is_plain(notepad));
    EXPECT_EQ(fake::active_hooks(), 0);
    fake::broadcast("@LumivaneTog");
    EXPECT_TRUE(has_alpha(notepad, 150));
    EXPECT_EQ(fake::active_hooks(), HOOKS);
    endPlugin(fake::plugin_module());
}

// @LumivaneLevel changes the level of the window in front, between the floor and 255; a
// frame's content in front counts as its frame. Any other text, an excluded window, or the
// effect off change nothing, and no box shows.
TEST_F(Plugin, LevelCommandChangesTheWindowInFrontWithinTheFloor)
{
    enum Front { MAIN, CONTENT, EXCLUDED, EFFECT_OFF };
    struct Case {
        std::vector<const char *> commands;
        Front front;
        const char *floor;   // minlevel; null: not in the file
        int level;           // of the top-level window in front; -1: never changed
    } cases[] = {
        {{"@LumivaneLevel -16"}, MAIN, nullptr, 134},
        {{"@lumivanelevel +16", "@LUMIVANELEVEL +16"}, MAIN, nullptr, 182},
        {{"@LumivaneLevel 100", "@LumivaneLevel -16"}, MAIN, nullptr, 84},
        {{"@LumivaneLevel -200"}, MAIN, nullptr, 32},
        {{"@LumivaneLevel 0"}, MAIN, "60", 60},
        {{"@LumivaneLevel +300"}, MAIN, nullptr, 255},
        {{"@LumivaneLevel", "@LumivaneLevel ", "@LumivaneLevel  -16", "@LumivaneLevel -",
          "@LumivaneLevel half", "@LumivaneLevel -16 ", "@LumivaneLevel--16", "@LumivaneLevel 1 6",
          "@LumivaneLevels -16", "@LumivaneLeve -16"}, MAIN, nullptr, 150},
        {{"@LumivaneLevel -16"}, CONTENT, nullptr, 134},
        {{"@LumivaneLevel -16"}, EXCLUDED, nullptr, -1},
        {{"@LumivaneLevel -16"}, EFFECT_OFF, nullptr, 255},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.commands[0]) + ", front " + std::to_string(c.front));
        SetUp();
        Keys keys = entry0("notepad", "always", "150");
        keys["exclude0"] = "shunned";
        if (c.floor)
            keys["minlevel"] = c.floor;
        write_settings(keys);
        HWND top = notepad, front = notepad;
        if (c.front == CONTENT)
            front = add_content(top = frame_window(), "C:\\Windows\\notepad.exe");
        if (c.front == EXCLUDED)
            top = front = app_window("C:\\Apps\\shunned.exe");
        ASSERT_EQ(beginPlugin(fake::plugin_module()), 0);
        fake::raise_event(EVENT_SYSTEM_FOREGROUND, front);
        if (c.front == EFFECT_OFF)
            fake::broadcast("@LumivaneTog");
        for (const char *command : c.commands)
            fake::broadcast(command);
        if (c.level < 0)
            EXPECT_EQ(writes(top), 0);
        else
            EXPECT_TRUE(c.level == 255 ? is_plain(top) : has_alpha(top, (BYTE)c.level));
        EXPECT_TRUE(is_plain(front) || front == top);
        EXPECT_TRUE(fake::message_boxes().empty());
        endPlugin(fake::plugin_module());
        EXPECT_TRUE(is_plain(top));
    }
}

TEST_F(Plugin, ReconfigureChangesNoWindowAtOnceButTheNextOne)
{
    ASSERT_EQ(beginPlugin(fake::plugin_module()), 0);
    write_settings(entry0("notepad", "always", "60"));
    fake::reconfigure();
    EXPECT_TRUE(has_alpha(notepad, 150));
    HWND second = app_window("C:\\Windows\\notepad.exe");
    fake::raise_event(EVENT_OBJECT_CREATE, second);
    EXPECT_TRUE(has_alpha(second, 60));
    endPlugin(fake::plugin_module());
}

TEST_F(Plugin, CloseRequestLeavesTheMessageWindowAliveAndRegistered)
{
    ASSERT_EQ(beginPlugin(fake::plugin_module()), 0);
    HWND window = message_window();
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(fake::window(window).exists);
    EXPECT_TRUE(registered(window));
    fake::broadcast("@LumivaneTog");
    EXPECT_TRUE(is_plain(notepad));
    endPlugin(fake::plugin_module());
}

TEST_F(Plugin, UnsupportedSystemsAndFailedStartsShowTheirBoxAndLeaveNothingBehind)
{
    struct Case {
        const char *name;
        DWORD platform, major;
        bool fail_class, fail_window;
        const char *text, *caption;
        UINT flags;
        bool owned;
    } cases[] = {
        {"NT 4", VER_PLATFORM_WIN32_NT, 4, false, false, "Lumivane needs Win2000/XP!\n\nSorry :(",
         "Lumivane - ERROR!", MB_ICONERROR, false},
        {"Windows 98", 1, 4, false, false, "Lumivane needs Win2000/XP!\n\nSorry :(",
         "Lumivane - ERROR!", MB_ICONERROR, false},
        {"class fails", VER_PLATFORM_WIN32_NT, 5, true, false, "Error registering window class",
         "Lumivane v0.7b", MB_ICONERROR | MB_TOPMOST, true},
        {"window fails", VER_PLATFORM_WIN32_NT, 6, false, true, "Error creating window",
         "Lumivane v0.7b", MB_ICONERROR | MB_TOPMOST, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        fake::set_version(c.platform, c.major, 0);
        fake::fail_register_class(c.fail_class);
        fake::fail_create_window(c.fail_window);
        EXPECT_EQ(beginPlugin(fake::plugin_module()), 1);
        std::vector<fake::MessageBox> boxes = fake::message_boxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, c.text);
        EXPECT_EQ(boxes[0].caption, c.caption);
        EXPECT_EQ(boxes[0].flags, c.flags);
        EXPECT_EQ(boxes[0].owner, c.owned ? fake::shell_window() : nullptr);
        EXPECT_TRUE(nothing_left_behind());
        EXPECT_EQ(fake::active_hooks(), 0);
        EXPECT_TRUE(is_plain(notepad));
    }
}

TEST_F(Plugin, InfoTexts)
{
    std::map<int, std::string> answers = {
        {1, "Lumivane"}, {2, "v0.7b"}, {3, "Lumivane contributors"}, {4, "2006-07-29"},
        {5, "https://lumivane.example.org/"}, {6, "lumivane@example.org"},
        {8, "https://lumivane.example.org/plugin.xml"}, {0, "Lumivane v0.7b"},
        {7, "Lumivane v0.7b"}, {9, "Lumivane v0.7b"}, {-1, "Lumivane v0.7b"},
        {-2147483647 - 1, "Lumivane v0.7b"}};
    for (auto &entry : answers)
        EXPECT_STREQ(pluginInfo(entry.first), entry.second.c_str()) << entry.first;
}
