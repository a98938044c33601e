// Matching windows to entries and the layered state that apply level leaves behind.
#include <vector>

#include "desktop_fixture.h"

using Transparency = Desktop;

TEST_F(Transparency, ApplyLevelKeepsTheWindowsOwnKeyGivesBackWhatItFoundAndLeavesSelfDrawnWindowsAlone)
{
    enum Start { PLAIN, OWN_ALPHA, OWN_KEY, KEY_AND_ALPHA, BLACK_KEY, STALE_KEY, SELF_DRAWN };
    struct Expect {
        bool layered;
        BYTE alpha;
        COLORREF key;
        DWORD flags;
    };
    struct Case {
        const char *name;
        Start start;
        std::vector<BYTE> levels;
        Expect expect;
    } cases[] = {
        {"plain at 128", PLAIN, {128}, {true, 128, 0, LWA_ALPHA}},
        {"plain at 0", PLAIN, {0}, {true, 0, 0, LWA_ALPHA}},
        {"plain at 255 stays plain", PLAIN, {255}, {false, 0, 0, 0}},
        {"plain given back", PLAIN, {128, 255}, {false, 0, 0, 0}},
        {"own alpha at 128", OWN_ALPHA, {128}, {true, 128, 0, LWA_ALPHA}},
        {"own alpha at 255 untouched", OWN_ALPHA, {255}, {true, 200, 0, LWA_ALPHA}},
        {"own alpha given back", OWN_ALPHA, {128, 255}, {true, 200, 0, LWA_ALPHA}},
        {"own alpha given back after two levels", OWN_ALPHA, {128, 60, 255},
         {true, 200, 0, LWA_ALPHA}},
        {"own key at 128", OWN_KEY, {128}, {true, 128, KEY, BOTH}},
        {"own key at 255 untouched", OWN_KEY, {255}, {true, 255, KEY, LWA_COLORKEY}},
        {"own key given back", OWN_KEY, {128, 255}, {true, 255, KEY, LWA_COLORKEY}},
        {"own key and alpha given back", KEY_AND_ALPHA, {128, 255}, {true, 200, KEY, BOTH}},
        {"black key at 128", BLACK_KEY, {128}, {true, 128, 0, BOTH}},
        {"black key given back", BLACK_KEY, {128, 255}, {true, 255, 0, LWA_COLORKEY}},
        {"stale key at 128 is no key", STALE_KEY, {128}, {true, 128, 0, LWA_ALPHA}},
        {"stale key given back its alpha", STALE_KEY, {128, 255}, {true, 200, 0, LWA_ALPHA}},
        {"self-drawn at 128 untouched", SELF_DRAWN, {128}, {true, 0, 0, 0}},
        {"self-drawn at 255 untouched", SELF_DRAWN, {255}, {true, 0, 0, 0}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        use_settings({});
        HWND w = app_window("C:\\Apps\\paint.exe");
        switch (c.start) {
        case PLAIN: break;
        case OWN_ALPHA: fake::set_own_layered(w, 0, 200, LWA_ALPHA); break;
        case OWN_KEY: fake::set_own_layered(w, KEY, 255, LWA_COLORKEY); break;
        case KEY_AND_ALPHA: fake::set_own_layered(w, KEY, 200, BOTH); break;
        case BLACK_KEY: fake::set_own_layered(w, 0, 255, LWA_COLORKEY); break;
        case STALE_KEY: fake::set_own_layered(w, KEY, 200, LWA_ALPHA); break;
        case SELF_DRAWN: SetWindowLongA(w, GWL_EXSTYLE, WS_EX_LAYERED); break;
        }
        for (BYTE level : c.levels)
            apply(w, level);
        fake::WindowState s = fake::window(w);
        EXPECT_EQ(s.layered, c.expect.layered);
        if (c.expect.layered && c.start != SELF_DRAWN)
            EXPECT_TRUE(has_alpha(w, c.expect.alpha, c.expect.key, c.expect.flags));
        if (c.start == SELF_DRAWN)
            EXPECT_FALSE(s.attributes_set);
        // Once given back, or never changed, the window carries nothing of Lumivane's.
        if (c.levels.back() == 255)
            EXPECT_EQ(s.properties, 0);
    }
}

TEST_F(Transparency, WithoutTheLayeredQueryNoWindowHasAColourKey)
{
    fake::set_layered_query_available(false);   // Windows 2000
    use_settings({});
    HWND keyed = app_window("C:\\Apps\\paint.exe");
    fake::set_own_layered(keyed, KEY, 255, LWA_COLORKEY);
    apply(keyed, 128);
    EXPECT_TRUE(has_alpha(keyed, 128));
    apply(keyed, 255);
    EXPECT_TRUE(is_plain(keyed));
}

TEST_F(Transparency, HungWindowsOfOtherThreadsAreNeverWaitedOn)
{
    use_settings({});
    HWND hung = app_window("C:\\Apps\\hung.exe", {.hung = true});
    apply(hung, 128);
    EXPECT_TRUE(is_plain(hung));
    EXPECT_EQ(fake::window(hung).style_writes, 0);

    // Already translucent: a new level needs no style write and reaches it at once.
    HWND was_fine = app_window("C:\\Apps\\late.exe");
    apply(was_fine, 100);
    fake::set_hung(was_fine, true);
    int writes = fake::window(was_fine).style_writes;
    apply(was_fine, 50);
    EXPECT_TRUE(has_alpha(was_fine, 50));
    apply(was_fine, 255);   // would need a style write: only made opaque for now
    EXPECT_TRUE(has_alpha(was_fine, 255));
    EXPECT_EQ(fake::window(was_fine).style_writes, writes);

    fake::set_hung(was_fine, false);
    apply(was_fine, 255);
    EXPECT_TRUE(is_plain(was_fine));
}

TEST_F(Transparency, StyleIsWrittenOnlyWhenTheLayeredBitChanges)
{
    use_settings({});
    HWND w = app_window("C:\\Apps\\edit.exe");
    apply(w, 255);
    EXPECT_EQ(fake::window(w).style_writes, 0);
    apply(w, 100);
    apply(w, 120);
    apply(w, 140);
    EXPECT_EQ(fake::window(w).style_writes, 1);
    EXPECT_TRUE(has_alpha(w, 140));
}

TEST_F(Transparency, MatchingFirstEntryWinsEmptyFragmentsNeverMatchAndExclusionsAlwaysApply)
{
    use_settings({{"appname0", ""}, {"rule0", "always"}, {"level0", "10"},
                  {"appname1", "word"}, {"rule1", "always"}, {"level1", "20"},
                  {"appname2", "winword"}, {"rule2", "always"}, {"level2", "30"},
                  {"appname3", "notepad"}, {"rule3", "always"}, {"level3", "40"},
                  {"exclude40", "secret"}, {"global", "always"}, {"globallevel", "50"}});
    HWND word = app_window("C:\\Office\\WINWORD.EXE");
    HWND note = app_window("c:\\windows\\notepad.exe");
    HWND secret = app_window("C:\\secret\\notepad.exe");
    HWND other = app_window("C:\\Apps\\calc.exe");
    HWND nothing = app_window("");
    always_pass();
    EXPECT_TRUE(has_alpha(word, 20));   // entry 1 shadows entry 2
    EXPECT_TRUE(has_alpha(note, 40));
    EXPECT_TRUE(is_plain(secret));
    EXPECT_TRUE(has_alpha(other, 50));
    EXPECT_TRUE(is_plain(nothing));
    EXPECT_EQ(find_app_index(""), -1);
}

// A fragment matches anywhere in the whole path, however long, in any code page.
TEST_F(Transparency, TheWholePathTakesPart)
{
    // "TAILFRAG" starts at character 45 of 60, across where paths were once cut.
    std::string across = "C:\\" + std::string(42, 'a') + "TAILFRAGx.exe";
    across.resize(60, 'z');
    std::string long_install = "C:\\Users\\" + std::string(93, 'u') + "\\Programs\\Code.exe";
    ASSERT_EQ(long_install.size(), 120u);
    std::string beyond = "C:\\" + std::string(245, 'b') + "TAILFRAG" + std::string(40, 'c');
    std::string japanese;
    for (int i = 0; i < 150; ++i)
        japanese += "\u65e5";
    struct Case {
        const char *name;
        std::string exe;
        BYTE level;   // 255: no entry's fragment occurs
        bool double_byte = false;   // the system's code page
    } cases[] = {
        {"60 characters, fragment across character 49", across, 1},
        {"120 characters, fragment at the end", long_install, 3},
        {"beyond 260, fragment within the first 259", beyond, 1},
        {"beyond 260, fragment past the first 259", "C:\\" + std::string(260, 'b') + "TAILFRAG.exe",
         1},
        {"exactly 259 characters, fragment at the end",
         std::string(259 - 8, 'd') + "code.exe", 3},
        {"the longest path, fragment at the end",
         "\\\\?\\C:\\" + std::string(WIDE_PATH_SIZE - 1 - 7 - 9, 'e') + "\\code.exe", 3},
        {"150 double-byte characters, then the name", "C:\\" + japanese + "\\Code.exe", 3, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        fake::set_double_byte_code_page(c.double_byte);
        use_settings({{"appname0", "tailfrag"}, {"rule0", "always"}, {"level0", "1"},
                      {"appname1", "tail"}, {"rule1", "always"}, {"level1", "2"},
                      {"appname2", "CODE.EXE"}, {"rule2", "always"}, {"level2", "3"}});
        HWND w = app_window(c.exe);
        // The path the lookup reads: all of it, terminated, in the system's code page.
        static char path[EXE_PATH_SIZE + 8];
        memset(path, 'X', sizeof path);
        get_exe_path(w, path);
        if (!c.double_byte)
            EXPECT_EQ(std::string(path), c.exe);
        EXPECT_TRUE(std::string(path).ends_with(c.exe.substr(c.exe.size() - 8)));
        EXPECT_EQ(std::string(path + EXE_PATH_SIZE, 8), "XXXXXXXX");
        always_pass();
        if (c.level == 255)
            EXPECT_TRUE(is_plain(w));
        else
            EXPECT_TRUE(has_alpha(w, c.level));
    }
}

TEST_F(Transparency, LevelsUseTheirLowEightBits)
{
    struct {
        const char *configured;
        BYTE applied;
    } cases[] = {{"300", 44}, {"256", 0}, {"-1", 255}, {"-255", 1}, {"128", 128}};
    for (auto &c : cases) {
        SetUp();
        use_settings(entry0("app", "always", c.configured));
        HWND w = app_window("C:\\app.exe");
        always_pass();
        if (c.applied == 255)
            EXPECT_TRUE(is_plain(w)) << c.configured;
        else
            EXPECT_TRUE(has_alpha(w, c.applied)) << c.configured;
    }
}

TEST_F(Transparency, UnreadableProcessesAreNeverTouchedAndOtherBitnessFallsBackToTheImageName)
{
    use_settings({{"global", "always"}, {"globallevel", "90"}});
    HWND locked = app_window("C:\\Apps\\admin.exe", {}, {.can_open = false});
    // A 64-bit program at a path longer than MAX_PATH: read whole, as the x64 build reads it.
    std::string long64 = "C:\\Program Files\\" + std::string(280, 'w') + "\\app64.exe";
    HWND other_bitness = app_window(long64, {}, {.modules_readable = false});
    HWND unnamed = app_window("C:\\Apps\\ghost.exe", {},
                              {.modules_readable = false, .image_readable = false});
    always_pass();
    EXPECT_TRUE(is_plain(locked));
    EXPECT_TRUE(has_alpha(other_bitness, 90));
    EXPECT_TRUE(is_plain(unnamed));
    EXPECT_EQ(fake::open_handles(), 0);

    static char path[EXE_PATH_SIZE];
    get_exe_path(other_bitness, path);
    EXPECT_EQ(std::string(path), long64);

    // Before Windows Vista there is no fallback.
    fake::set_image_name_query_available(false);
    get_exe_path(other_bitness, path);
    EXPECT_STREQ(path, "");
    EXPECT_EQ(fake::open_handles(), 0);
}
