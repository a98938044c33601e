// Settings files a user could break by hand or a disk could garble: huge, binary, very long,
// keys written twice, numbers that are no bytes, lines without a colon, a directory in the
// file's place. The shell and the plug-in must keep running, and the windows must get what
// the shell's readers answer and the rules say.
#include "live_desktop.h"

#include <random>

namespace {

// Five applications whose windows every file below talks about, or leaves alone.
const char *const APPS[] = {"ALPHA", "BRAVO", "CHARLIE", "DELTA", "ECHO"};
using Looks = std::vector<ExpectedLook>;   // of the five windows, in that order
const Looks ALL_OPAQUE = {opaque(), opaque(), opaque(), opaque(), opaque()};

std::string line(const std::string &key, const std::string &value)
{
    return "Lumivane.plugin." + key + ": " + value + "\n";
}

// Any entry's lines with the level written as given, not as a number.
std::string entry_with_level(int index, const std::string &app, const std::string &level)
{
    std::string n = std::to_string(index);
    return line("appname" + n, app) + line("rule" + n, "ALWAYS") + line("level" + n, level);
}

// 10 MB: a 5 MB fragment and a 1 MB rule (each cut to 9 characters), 4 MB of other lines,
// and entries at the very end.
std::string ten_megabyte_file()
{
    std::string text = line("appname0", "ALPHA.EXE" + std::string(5u << 20, 'Q')) +
                       line("appname2", "charlie") +
                       line("rule2", "ALWAYS" + std::string(1u << 20, 'Q')) +
                       line("level2", "30");
    const std::string filler = "# nothing to see here, just a line to skip over\n"
                               "Some.other.plugin.key: with a value of its own\n";
    while (text.size() < (10u << 20) - 4096)
        text += filler;
    text += line("rule0", "ALWAYS") + line("level0", "70") +
            settings_entry(1, "bravo", "ALWAYS", 120);
    return text;
}

// 1 MB of random bytes (NULs, CRs, colons, bytes above 127) with a few good lines inside.
std::string binary_garbage_file()
{
    std::mt19937 random(20061029);
    std::string garbage(1u << 20, '\0');
    for (char &c : garbage)
        c = static_cast<char>(random() & 0xFF);
    std::string good = "\n" + settings_entry(0, "delta", "always", 150) +
                       line("appname1", std::string("\xff\xfe\x01\x7f" "echo", 8)) +
                       line("rule1", "ALWAYS") + "\n";
    return garbage.substr(0, garbage.size() / 2) + good + garbage.substr(garbage.size() / 2);
}

// 10,000 lines: entries 0 to 3332 naming nothing that runs, except entry 49, the last one
// read, and entry 50, one past it.
std::string ten_thousand_lines_file()
{
    std::string text = "# ten thousand lines\n";
    for (int i = 0; i < 3333; ++i) {
        std::string app = i == 49 ? "echo" : i == 50 ? "alpha" : "nomatch" + std::to_string(i);
        text += settings_entry(i, app, "ALWAYS", i == 49 ? 77 : 33);
    }
    return text;
}

class HostileSettings : public LiveDesktop {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(LiveDesktop::SetUp());
        for (const char *name : APPS)
            windows_.push_back(start_app(name).window("main"));
    }

    std::string settings_path() const { return directory() + "Lumivane.rc"; }

    // The effect off and on again gives the same looks; -quit restores every window and the
    // host exits 0.
    void toggle_twice_and_quit(const Looks &looks)
    {
        ASSERT_TRUE(toggle());
        EXPECT_TRUE(looks_are(paired(windows_, ALL_OPAQUE)));
        ASSERT_TRUE(toggle());
        EXPECT_TRUE(looks_are(paired(windows_, looks)));
        ASSERT_TRUE(quit_host());
        EXPECT_TRUE(looks_are(paired(windows_, ALL_OPAQUE)));
    }

    std::vector<HWND> windows_;
};

}  // namespace

TEST_F(HostileSettings, EachFileLeavesTheShellRunningAndTheWindowsAsTheReadersAnswer)
{
    struct Case {
        const char *name;
        std::string text;
        Looks looks;
    };
    const Case cases[] = {
        // A level that is no number keeps 255; the others are read like atoi, held at
        // INT_MIN and INT_MAX past int's range, and the plug-in takes the low 8 bits.
        {"levels abc, 300, -1, 99999999999, -99999999999",
         entry_with_level(0, "alpha", "abc") + entry_with_level(1, "bravo", "300") +
             entry_with_level(2, "charlie", "-1") + entry_with_level(3, "delta", "99999999999") +
             entry_with_level(4, "echo", "-99999999999"),
         {opaque(), translucent(44), opaque(), opaque(), translucent(0)}},
        {"10 MB", ten_megabyte_file(),
         {translucent(70), translucent(120), opaque(), opaque(), opaque()}},
        {"binary garbage", binary_garbage_file(),
         {opaque(), opaque(), opaque(), translucent(150), opaque()}},
        {"10,000 lines", ten_thousand_lines_file(),
         {opaque(), opaque(), opaque(), opaque(), translucent(77)}},
        // The last of two lines with one key wins, whatever the case of the key.
        {"keys written twice",
         settings_entry(0, "alpha", "ALWAYS", 100) + settings_entry(1, "charlie", "ALWAYS", 60) +
             "LUMIVANE.PLUGIN.LEVEL0: 200\n" + line("appname1", "bravo"),
         {translucent(200), translucent(60), opaque(), opaque(), opaque()}},
        // A line without a colon is no line: neither the global rule nor entry 0's rule exists.
        {"lines without a colon",
         "Lumivane.plugin.global ALWAYS\nLumivane.plugin.globallevel 50\n" +
             line("appname0", "alpha") + "Lumivane.plugin.rule0 ALWAYS\n" + line("level0", "40") +
             settings_entry(1, "bravo", "ALWAYS", 140) + "just some words\n",
         {opaque(), translucent(140), opaque(), opaque(), opaque()}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        write_settings(c.text);
        ASSERT_NO_FATAL_FAILURE(start_host());
        EXPECT_TRUE(looks_are(paired(windows_, c.looks)));
        ASSERT_NO_FATAL_FAILURE(toggle_twice_and_quit(c.looks));
    }
}

TEST_F(HostileSettings, DirectoryInPlaceOfTheFileCountsAsNoFile)
{
    write_settings(settings_entry(0, "alpha", "ALWAYS", 100));
    ASSERT_NO_FATAL_FAILURE(start_host());
    ASSERT_TRUE(
        looks_are(paired(windows_, {translucent(100), opaque(), opaque(), opaque(), opaque()})));

    // Reconfigured with a directory there: every setting is back at its default, so the
    // next ALWAYS pass leaves every window alone.
    ASSERT_TRUE(DeleteFileA(settings_path().c_str()));
    ASSERT_TRUE(CreateDirectoryA(settings_path().c_str(), NULL));
    ASSERT_TRUE(reconfigure());
    ASSERT_NO_FATAL_FAILURE(toggle_twice_and_quit(ALL_OPAQUE));

    // Starting with the directory there: nothing at start-up, nothing for a new window.
    ASSERT_NO_FATAL_FAILURE(start_host());
    TargetApp &later = start_app("ALPHA", {{"visible", "later"}});
    EXPECT_TRUE(looks_are({{later.window("later"), opaque()}}));
    EXPECT_TRUE(looks_are(paired(windows_, ALL_OPAQUE)));
    ASSERT_NO_FATAL_FAILURE(toggle_twice_and_quit(ALL_OPAQUE));
}
