// Finding and reading Lumivane.rc.
#include <algorithm>

#include "desktop_fixture.h"

using Settings = Desktop;

TEST_F(Settings, SearchOrderPluginDirectoryThenShellDirectoryFirstNameFirst)
{
    struct Case {
        std::vector<std::string> present;
        std::string chosen;
    } cases[] = {
        {{}, PLUGIN_DIR + "Lumivane.rc"},
        {{SHELL_DIR + "Lumivane.rc"}, SHELL_DIR + "Lumivane.rc"},
        {{SHELL_DIR + "Lumivane.rc", SHELL_DIR + "Lumivanerc"}, SHELL_DIR + "Lumivanerc"},
        {{SHELL_DIR + "Lumivane.rc", PLUGIN_DIR + "Lumivane.rc"}, PLUGIN_DIR + "Lumivane.rc"},
        {{PLUGIN_DIR + "Lumivane.rc", PLUGIN_DIR + "Lumivanerc"}, PLUGIN_DIR + "Lumivanerc"},
        {{SHELL_DIR + "Lumivanerc", PLUGIN_DIR + "Lumivane.rc"}, PLUGIN_DIR + "Lumivane.rc"},
    };
    for (const Case &c : cases) {
        fake::reset();
        // Each file names itself through its global level, so the level read shows which won.
        for (size_t i = 0; i < c.present.size(); ++i)
            write_settings({{"globallevel", std::to_string(100 + i)}}, c.present[i]);
        load_settings(fake::plugin_module());
        EXPECT_EQ(g_settings.path, c.chosen);
        auto chosen = std::find(c.present.begin(), c.present.end(), c.chosen);
        int expected = chosen == c.present.end() ? 255 : 100 + (int)(chosen - c.present.begin());
        EXPECT_EQ(g_settings.global_level, expected) << c.chosen;
    }
}

TEST_F(Settings, TextsAreFoldedAndLevelsKeptAsWritten)
{
    use_settings({{"global", "Focus"}, {"globallevel", "-1"}, {"focuslevel", "300"},
                  {"appname0", "Notepad"}, {"rule0", "always"}, {"level0", "180"},
                  {"rule1", "FOCUSED"}, {"exclude7", "explorer"}, {"appname49", "\xe4-\xfc.exe"}});
    EXPECT_STREQ(g_settings.global_rule, "FOCUS");
    EXPECT_EQ(g_settings.global_level, -1);
    EXPECT_EQ(g_settings.focus_level, 300);
    EXPECT_STREQ(g_settings.app[0], "NOTEPAD");
    EXPECT_STREQ(g_settings.rule[0], "ALWAYS");
    EXPECT_EQ(g_settings.level[0], 180);
    EXPECT_STREQ(g_settings.rule[1], "FOCUSED");
    EXPECT_STREQ(g_settings.exclude[7], "EXPLORER");
    EXPECT_STREQ(g_settings.app[49], "\xe4-\xfc.EXE");   // bytes from 0x80 up are left alone
}

// The shell's ReadInt gives 0 for a value that is no number, which would hide the windows.
TEST_F(Settings, LevelsWrittenWrongKeepTheirDefaultAndNumbersReadAsAtoiDoes)
{
    const struct {
        const char *value;
        int level;
    } cases[] = {
        {"", 255}, {"half", 255}, {"- 3", 255}, {"#5", 255},
        {"150 # a note", 150}, {"80%", 80}, {" +5", 5}, {"-1", -1}, {"0", 0},
    };
    for (const auto &c : cases) {
        use_settings({{"globallevel", c.value}, {"focuslevel", c.value}, {"level7", c.value}});
        EXPECT_EQ(g_settings.global_level, c.level) << c.value;
        EXPECT_EQ(g_settings.focus_level, c.level) << c.value;
        EXPECT_EQ(g_settings.level[7], c.level) << c.value;
    }
}

TEST_F(Settings, GapsInTheNumberingAreEmptyEntries)
{
    use_settings({{"appname10", "ten"}, {"rule10", "moving"}, {"level10", "10"},
                  {"appname20", "twenty"}, {"rule20", "focus"}, {"level20", "20"}});
    for (int i = 0; i < MAX_APPS; ++i) {
        if (i == 10 || i == 20)
            continue;
        EXPECT_STREQ(g_settings.app[i], "") << i;
        EXPECT_STREQ(g_settings.rule[i], "") << i;
        EXPECT_EQ(g_settings.level[i], 255) << i;
    }
    EXPECT_STREQ(g_settings.app[20], "TWENTY");
    EXPECT_EQ(g_settings.level[10], 10);
}

TEST_F(Settings, ReloadAfterTheFileIsDeletedResetsEveryField)
{
    Keys keys = {{"global", "always"}, {"globallevel", "1"}, {"focuslevel", "2"}};
    for (int i = 0; i < MAX_APPS; ++i) {
        keys["appname" + std::to_string(i)] = "app" + std::to_string(i);
        keys["rule" + std::to_string(i)] = "focus";
        keys["level" + std::to_string(i)] = "7";
        keys["exclude" + std::to_string(i)] = "ex" + std::to_string(i);
    }
    use_settings(keys);
    ASSERT_STREQ(g_settings.exclude[49], "EX49");

    fake::remove_file(PLUGIN_DIR + "Lumivane.rc");
    load_settings(fake::plugin_module());
    EXPECT_STREQ(g_settings.global_rule, "");
    EXPECT_EQ(g_settings.global_level, 255);
    EXPECT_EQ(g_settings.focus_level, 255);
    for (int i = 0; i < MAX_APPS; ++i) {
        EXPECT_STREQ(g_settings.app[i], "");
        EXPECT_STREQ(g_settings.rule[i], "");
        EXPECT_STREQ(g_settings.exclude[i], "");
        EXPECT_EQ(g_settings.level[i], 255);
    }
}

TEST_F(Settings, LongValuesAreCutToTheirSlotAndLeaveNeighboursIntact)
{
    std::string huge(5000, 'x');
    use_settings({{"global", "alwaysalwaysalways"}, {"appname3", "notepad.exe.long"},
                  {"rule3", "movingmovingmoving"}, {"exclude3", huge}, {"appname4", "next"},
                  {"rule4", "focus"}});
    EXPECT_STREQ(g_settings.global_rule, "ALWAYSALWAY");   // 11 characters
    EXPECT_STREQ(g_settings.app[3], "NOTEPAD.E");          // 9 characters
    EXPECT_STREQ(g_settings.rule[3], "MOVINGMOV");
    EXPECT_STREQ(g_settings.exclude[3], "XXXXXXXXX");
    EXPECT_STREQ(g_settings.app[4], "NEXT");
    EXPECT_STREQ(g_settings.rule[4], "FOCUS");
    EXPECT_EQ(g_settings.global_level, 255);
}

TEST_F(Settings, PluginPathNearTheBufferSizeNeverOverflows)
{
    // Directory plus "Lumivanerc" fits in 259 characters, "Lumivane.rc" does not.
    std::string dir = "C:\\" + std::string(259 - 3 - 10 - 1, 'd') + "\\";
    ASSERT_EQ(dir.size() + 10, 259u);
    struct Case {
        std::string plugin, file;
        int level;
    } cases[] = {
        {dir + "Lumivane.dll", dir + "Lumivanerc", 11},
        {dir + "Lumivane.dll", SHELL_DIR + "Lumivane.rc", 12},
        // Longer than the buffer: the name arrives cut and unterminated, as on Windows XP.
        {"C:\\" + std::string(400, 'p') + "\\Lumivane.dll", SHELL_DIR + "Lumivanerc", 13},
        // Neither name fits and the shell has none: no file is read, every value is default.
        {"C:\\" + std::string(250, 'q') + "\\Lumivane.dll", "", 255},
    };
    for (const Case &c : cases) {
        fake::reset();
        fake::set_plugin_path(c.plugin);
        if (!c.file.empty())
            write_settings({{"globallevel", std::to_string(c.level)}}, c.file);
        write_settings({{"globallevel", "99"}}, dir + "Lumivane.rc");
        load_settings(fake::plugin_module());
        EXPECT_EQ(g_settings.path, c.file);
        EXPECT_EQ(g_settings.global_level, c.level);
    }
}
