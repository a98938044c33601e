// Peekster on a live desktop: the pointer over a window of a known executable, the output
// compared byte for byte with what a user's console shows.
#include "live_desktop.h"

namespace {

// Brings the app's window "main" to the top of the desktop and rests the pointer on the
// middle of target, that window or a control inside it; answers Peekster's first lines.
std::string point_at(const TargetApp &app, HWND target)
{
    SetWindowPos(app.window("main"), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    RECT rect = {};
    GetWindowRect(target, &rect);
    POINT point = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    EXPECT_TRUE(SetCursorPos(point.x, point.y));
    return "\r\nX:" + std::to_string(point.x) + ", Y:" + std::to_string(point.y) + "\r\n" +
           app.module() + "\r\n";
}

}  // namespace

TEST_F(LiveDesktop, PeeksterPrintsThePointerAndTheExecutableUnderIt)
{
    // The second app lives deep enough for its path to pass 60 characters.
    std::string deep;
    for (const char *folder : {"peekster-test", "a-folder-deep-enough", "for-a-long-path"}) {
        deep += std::string(folder) + "\\";
        CreateDirectoryA((directory() + deep).c_str(), NULL);
    }
    // The third app is of the other bitness: on 64-bit Windows the x86 Peekster cannot read
    // a 64-bit process's modules and names its image instead.
    struct Case {
        std::string name;
        size_t min_length;
        Bitness bitness;
    } cases[] = {{"POINTED", 0, Bitness::same},
                 {deep + "LONGNAMED", 61, Bitness::same},
                 {"OTHERKIND", 0, Bitness::other}};

    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TargetApp &app = start_app(c.name, {{"visible", "main"}}, c.bitness);
        ASSERT_FALSE(HasFailure());
        ASSERT_GE(app.module().size(), c.min_length);
        std::string expected = point_at(app, app.window("main"));
        ASSERT_FALSE(HasFailure());

        DWORD exit_code = 1;
        std::string output;
        ASSERT_TRUE(run_program("\"" + directory() + "Peekster.exe\"", &exit_code, &output));
        ASSERT_EQ(exit_code, 0u);
        EXPECT_EQ(output, expected);
    }
}

// Peekster given a settings file: today's lines first, then what Lumivane would do with the
// window, read from that file as the plug-in reads it, and how many lines --check would
// name; over an app of each bitness.
TEST_F(LiveDesktop, PeeksterExplainsWhatLumivaneWouldDoWithTheWindow)
{
    struct Case {
        const char *name;
        std::string settings;
        std::string explanation;   // the lines after "Settings: FILE"
        int problems = 0;
    } cases[] = {
        {"entry", settings_entry(0, "POINTED", "ALWAYS", 180),
         "Decided by: entry 0 (appname0: POINTED, rule0: ALWAYS, level0: 180)\r\n"
         "Lumivane: translucent at 180 always\r\n"},
        {"hidden later entry",
         settings_entry(0, "pointe", "FOCUS", 90) + settings_entry(1, "POINTED", "ALWAYS", 120),
         "Decided by: entry 0 (appname0: POINTE, rule0: FOCUS, level0: 90)\r\n"
         "Hidden: entry 1 (appname1: POINTED, rule1: ALWAYS, level1: 120) also matches, but "
         "entry 0 comes first\r\n"
         "Lumivane: translucent at 90 while not in front, at the focus level 255 when in "
         "front\r\n", 1},
        {"exclusion",
         settings_entry(3, "POINTED", "MOVING", 100) + "Lumivane.plugin.exclude7: inted\n",
         "Decided by: exclusion 7 (exclude7: INTED)\r\n"
         "Hidden: entry 3 (appname3: POINTED, rule3: MOVING, level3: 100) also matches, but "
         "exclusion 7 wins over every entry\r\n"
         "Lumivane: never touches this window\r\n", 1},
        {"global rule",
         "Lumivane.plugin.global: moving\nLumivane.plugin.globallevel: 300\n" +
             settings_entry(0, "elsewhere", "ALWAYS", 10),
         "Decided by: the global rule (global: MOVING, globallevel: 300), as no entry names "
         "the program\r\n"
         "Lumivane: translucent at 44 while moved or sized\r\n", 1},
        {"nothing", "",
         "Decided by: nothing: no entry, exclusion or global rule names the program\r\n"
         "Lumivane: leaves this window alone\r\n"},
    };
    std::string peekster = "\"" + directory() + "Peekster.exe\" ";
    for (Bitness bitness : {Bitness::same, Bitness::other}) {
        TargetApp &app = start_app(bitness == Bitness::same ? "POINTED" : "POINTED2",
                                   {{"visible", "main"}}, bitness);
        ASSERT_FALSE(HasFailure());
        // The pointer rests on a control inside the window: its top-level window is explained.
        HWND control = app.open_child("main", "edit");
        ASSERT_TRUE(control);
        std::string first_lines = point_at(app, control);
        ASSERT_FALSE(HasFailure());
        for (const Case &c : cases) {
            SCOPED_TRACE(std::string(c.name) + (bitness == Bitness::same ? "" : ", other bitness"));
            std::string file = directory() + "explained.rc";
            ASSERT_TRUE(write_file(file, c.settings));
            DWORD exit_code = 1;
            std::string output;
            ASSERT_TRUE(run_program(peekster + "\"" + file + "\"", &exit_code, &output));
            ASSERT_EQ(exit_code, 0u);
            std::string quote = file.find(' ') == std::string::npos ? "" : "\"";
            std::string count = c.problems == 0 ? "" : "Settings: " + std::to_string(c.problems) +
                                (c.problems == 1 ? " problem" : " problems") + " in this file; "
                                "Peekster --check " + quote + file + quote + " lists them\r\n";
            EXPECT_EQ(output, first_lines + "Settings: " + file + "\r\n" + c.explanation + count);
        }
    }
}

// And --check: the problems named, with the exit code that says whether there were any.
TEST_F(LiveDesktop, PeeksterRefusesWhatIsNoSettingsFileWithAMessageAndAnExitCode)
{
    std::string peekster = "\"" + directory() + "Peekster.exe\"";
    std::string folder = directory() + "a-folder";
    CreateDirectoryA(folder.c_str(), NULL);
    DWORD attributes = GetFileAttributesA(folder.c_str());
    ASSERT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY));
    std::string locked = directory() + "locked.rc";
    ASSERT_TRUE(write_file(locked, "Lumivane.plugin.global: ALWAYS\n"));
    // Opened without sharing, as an editor may hold it: nobody else can read it meanwhile.
    HANDLE lock = CreateFileA(locked.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    std::string binary = directory() + "binary.rc";
    std::string bytes;
    for (int i = 0; i < 200000; ++i)
        bytes += (char)((i * 7919) >> 3);
    ASSERT_TRUE(write_file(binary, bytes));
    // Hundreds of megabytes, sparse, so the test writes almost nothing.
    std::string huge = directory() + "huge.rc";
    HANDLE file = CreateFileA(huge.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    LONG high = 0;
    SetFilePointer(file, 300 << 20, &high, FILE_BEGIN);
    ASSERT_TRUE(SetEndOfFile(file));
    CloseHandle(file);
    std::string empty = directory() + "empty.rc";
    ASSERT_TRUE(write_file(empty, ""));
    std::string halved = directory() + "halved.rc";
    ASSERT_TRUE(write_file(halved, "Lumivane.plugin.appname1: x\nLumivane.plugin.level1: half\n"));

    struct Case {
        const char *name;
        std::string arguments;
        DWORD exit_code;
        std::string message;   // a line of its output
    } cases[] = {
        {"no such file", "\"" + directory() + "missing.rc\"", 1,
         "Peekster: there is no settings file " + directory() + "missing.rc"},
        {"a folder", "\"" + folder + "\"", 1,
         "Peekster: " + folder + " is a folder, not a settings file"},
        {"unreadable", "\"" + locked + "\"", 1,
         "Peekster: the settings file " + locked + " cannot be read"},
        {"two arguments", "\"" + empty + "\" \"" + empty + "\"", 2,
         "Peekster: give one settings file, or --check and one settings file"},
        {"check without a file", "--check", 2, "Peekster: --check takes one settings file"},
        {"check, no such file", "--check \"" + directory() + "missing.rc\"", 2,
         "Peekster: there is no settings file " + directory() + "missing.rc"},
        {"check, a level not a number", "--check \"" + halved + "\"", 1,
         halved + ":2: the level \"half\" is not a number: Lumivane uses 255, its default"},
        {"check, nothing to name", "--check \"" + empty + "\"", 0,
         "No problems in " + empty + ": Lumivane reads every line as written"},
        {"longer than a path", std::string(300, 'x'), 1,
         "Peekster: the settings file's name is longer than a path can be (259 characters "
         "at most)"},
        {"huge", "\"" + huge + "\"", 1,
         "Peekster: " + huge + " is too big for a settings file (more than 1 MB)"},
        {"binary", "\"" + binary + "\"", 0, "Settings: " + binary},
        {"empty", "\"" + empty + "\"", 0,
         "Decided by: nothing: no entry, exclusion or global rule names the program"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        DWORD exit_code = 0;
        std::string output;
        ASSERT_TRUE(run_program(peekster + " " + c.arguments, &exit_code, &output));
        EXPECT_EQ(exit_code, c.exit_code);
        EXPECT_NE(output.find(c.message + "\r\n"), std::string::npos) << ::testing::PrintToString(output);
        if (c.exit_code != 0) {
            EXPECT_EQ(output.find("X:"), std::string::npos) << output;
        }
    }
    CloseHandle(lock);
}
