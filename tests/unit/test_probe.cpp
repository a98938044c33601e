// Peekster's output on the fake desktop.
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "../../plugin/held_levels.h"
#include "../../probe/explain.h"
#include "../../probe/pointer_report.h"
#include "../../probe/settings_check.h"
#include "desktop_fixture.h"

using Probe = Desktop;

TEST_F(Probe, PrintsPositionAndTheExecutableUnderThePointer)
{
    std::string long_path = "C:\\Program Files\\WindowsApps\\" + std::string(83, 'L') + "\\app.exe";
    ASSERT_EQ(long_path.size(), 120u);
    std::string too_long = "C:\\" + std::string(300, 'T') + "\\app.exe";
    struct Case {
        const char *name;
        LONG x, y;
        std::string exe;   // empty: no window under the pointer
        fake::ProcessOptions process;
        std::string expected;
    } cases[] = {
        {"known process", 512, 384, "c:\\windows\\notepad.exe", {},
         "\nX:512, Y:384\nc:\\windows\\notepad.exe\n"},
        {"long path whole", 3, 4, long_path, {}, "\nX:3, Y:4\n" + long_path + "\n"},
        {"path beyond MAX_PATH whole", 3, 4, too_long, {}, "\nX:3, Y:4\n" + too_long + "\n"},
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

// Peekster given a settings file: which line decides the top-level window under the pointer,
// what that means over time and why Lumivane cannot act on it. The plug-in then does with
// the window exactly what the explanation says.
TEST_F(Probe, ExplainsWhatThePluginDoesWithTheWindowUnderThePointer)
{
    const Keys always180 = {{"appname0", "fader"}, {"rule0", "always"}, {"level0", "180"}};
    const std::string entry0 = "Decided by: entry 0 (appname0: FADER, rule0: ALWAYS, level0: 180)\n";
    const std::string shown_in_frame =
        "Program: C:\\Apps\\Fader.exe, whose window is shown in a frame of "
        "ApplicationFrameHost.exe\n";
    const std::string frame_left = "Lumivane: leaves this frame as it is, neither changed nor "
                                   "given back, until a program it can name shows its window in it\n";
    // The window under the pointer is a frame whose content runs the program; the pointer
    // rests on the frame's title bar, or, over_control, on the content.
    enum Frame { NOT_A_FRAME, FRAME, EMPTY_FRAME };
    const Keys host_always = {{"appname0", "fader"}, {"rule0", "always"}, {"level0", "180"},
                              {"appname1", "framehost"}, {"rule1", "always"}, {"level1", "30"}};
    struct Case {
        const char *name;
        Keys keys;
        fake::WindowOptions window;
        fake::ProcessOptions process;
        bool over_control;   // the pointer rests on a control inside the window
        std::string explanation;
        Frame frame = NOT_A_FRAME;
        bool held = false;   // in front, it was given 196 with @LumivaneLevel
    } cases[] = {
        {"entry", always180, {}, {}, false,
         entry0 + "Lumivane: translucent at 180 always\n"},
        {"later entry hidden",
         {{"appname0", "fad"}, {"rule0", "Focus"}, {"level0", "90"}, {"appname1", "fader"},
          {"rule1", "always"}, {"level1", "120"}},
         {}, {}, false,
         "Decided by: entry 0 (appname0: FAD, rule0: FOCUS, level0: 90)\n"
         "Hidden: entry 1 (appname1: FADER, rule1: ALWAYS, level1: 120) also matches, but entry "
         "0 comes first\n"
         "Lumivane: translucent at 90 while not in front, at the focus level 255 when in front\n"},
        {"exclusion hides an entry",
         {{"appname1", "fader"}, {"rule1", "moving"}, {"level1", "60"}, {"exclude2", "der"}},
         {}, {}, false,
         "Decided by: exclusion 2 (exclude2: DER)\n"
         "Hidden: entry 1 (appname1: FADER, rule1: MOVING, level1: 60) also matches, but "
         "exclusion 2 wins over every entry\n"
         "Lumivane: never touches this window\n"},
        {"exclusion hides the global rule",
         {{"global", "always"}, {"globallevel", "100"}, {"exclude0", "apps"}}, {}, {}, false,
         "Decided by: exclusion 0 (exclude0: APPS)\n"
         "Hidden: the global rule (global: ALWAYS, globallevel: 100) would apply, but exclusion "
         "0 wins over it\n"
         "Lumivane: never touches this window\n"},
        {"global rule", {{"global", "moving"}, {"globallevel", "300"}}, {}, {}, false,
         "Decided by: the global rule (global: MOVING, globallevel: 300), as no entry names the "
         "program\n"
         "Lumivane: translucent at 44 while moved or sized\n"},
        {"nothing", {}, {}, {}, false,
         "Decided by: nothing: no entry, exclusion or global rule names the program\n"
         "Lumivane: leaves this window alone\n"},
        {"no rule word", {{"appname0", "fader"}, {"rule0", "sometimes"}}, {}, {}, false,
         "Decided by: entry 0 (appname0: FADER, rule0: SOMETIMES, level0: 255)\n"
         "Lumivane: leaves this window alone: the rule \"SOMETIMES\" is none of ALWAYS, FOCUS, "
         "MOVING\n"},
        {"path cannot be read", always180, {}, {.can_open = false}, false,
         "Decided by: nothing, as the program's path cannot be read\n"
         "Lumivane: never touches this window\n"
         "Cannot act: the program's path cannot be read (an administrator's or another user's "
         "program, or a program that has ended)\n"},
        {"per-pixel window, pointer on a control", always180, {.ex_style = WS_EX_LAYERED}, {},
         true,
         entry0 + "Lumivane: translucent at 180 always\n"
                  "Cannot act: the window draws its own per-pixel translucency\n"},
        {"hung window", always180, {.hung = true}, {}, true,
         entry0 + "Lumivane: translucent at 180 always\n"
                  "Cannot act: its program answers no messages\n"},
        {"frame, pointer on its title bar", host_always, {}, {}, false,
         shown_in_frame + entry0 + "Lumivane: translucent at 180 always\n", FRAME},
        {"frame, pointer on its content, an exclusion", {{"appname1", "framehost"},
          {"rule1", "always"}, {"exclude3", "fader"}}, {}, {}, true,
         shown_in_frame + "Decided by: exclusion 3 (exclude3: FADER)\n"
                          "Lumivane: never touches this window\n", FRAME},
        {"frame without content", host_always, {}, {}, false,
         "Decided by: nothing yet: the window is a frame of ApplicationFrameHost.exe that shows "
         "no program's window now (its program is minimized, or has not shown its window yet)\n" +
             frame_left, EMPTY_FRAME},
        {"a level set on the fly", always180, {}, {}, false,
         entry0 + "Lumivane: level 196, set with @LumivaneLevel; it stays until the window closes "
                  "or Lumivane is switched off\n", NOT_A_FRAME, true},
        {"frame whose program has ended", host_always, {}, {.can_open = false}, true,
         "Decided by: nothing: the window is a frame of ApplicationFrameHost.exe whose "
         "program's path cannot be read (an administrator's or another user's program, or a "
         "program that has ended)\n" + frame_left, FRAME},
    };
    const std::string file = "C:\\Users\\me\\Lumivane.rc";
    const std::string exe = "C:\\Apps\\Fader.exe";
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        write_settings(c.keys, file);
        read_settings(file.c_str());
        HWND window, pointed;
        std::string shown = c.process.can_open ? exe : "";
        if (c.frame == NOT_A_FRAME) {
            window = app_window(exe, c.window, c.process);
            pointed = c.over_control ? fake::add_child_window(window) : window;
        } else {
            window = frame_window(c.window);
            HWND content = c.frame == FRAME ? add_content(window, exe, c.process) : nullptr;
            pointed = c.over_control ? content : window;
            if (!c.over_control)
                shown = FRAME_HOST_EXE;
        }
        HWND other = app_window("C:\\Apps\\other.exe");
        if (c.held) {
            turn_on();
            fake::raise_event(EVENT_SYSTEM_FOREGROUND, window);
            run_level_command("@LumivaneLevel 196");
        }
        fake::set_pointer(5, 6, pointed);
        testing::internal::CaptureStdout();
        print_explanation(print_pointer_report());
        std::string output = testing::internal::GetCapturedStdout();
        EXPECT_EQ(output, "\nX:5, Y:6\n" + shown + "\nSettings: " + file + "\n" + c.explanation);
        EXPECT_EQ(fake::open_handles(), 0);

        // Turned on, another window comes to the front, then the window is moved.
        turn_on();
        fake::raise_event(EVENT_SYSTEM_FOREGROUND, other);
        fake::raise_event(EVENT_SYSTEM_MOVESIZESTART, window);
        size_t at = output.find("translucent at "), held_at = output.find("Lumivane: level ");
        if (held_at != std::string::npos)
            EXPECT_TRUE(has_alpha(window, (BYTE)atoi(output.c_str() + held_at + 16)));
        else if (at == std::string::npos || output.find("Cannot act") != std::string::npos)
            EXPECT_EQ(writes(window), 0);
        else
            EXPECT_TRUE(has_alpha(window, (BYTE)atoi(output.c_str() + at + 15)));
        turn_off();
    }
}

// Peekster's explanation comes from the plug-in's matching, not from a copy of it: nothing
// in Peekster's own sources searches a path for a fragment.
TEST_F(Probe, ExplainsWithThePluginsOwnMatching)
{
    for (const auto &file : std::filesystem::directory_iterator(LUMIVANE_SOURCE_DIR "/probe")) {
        SCOPED_TRACE(file.path().string());
        std::ifstream stream(file.path());
        std::string text((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
        for (const char *search : {"strstr", "strncmp", "memcmp", "find("})
            EXPECT_EQ(text.find(search), std::string::npos) << search;
        if (file.path().filename() == "explain.cpp")
            EXPECT_NE(text.find("decide_path("), std::string::npos);
    }
}

static std::string source_file(const std::string &name)
{
    std::ifstream stream(LUMIVANE_SOURCE_DIR "/" + name);
    return std::string((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
}

// The settings lines a document shows as examples, a key and a one-word value each.
static std::string settings_lines_of(const std::string &name)
{
    std::istringstream text(source_file(name));
    std::string lines, line;
    while (std::getline(text, line)) {
        if (std::regex_match(line, std::regex(" *Lumivane\\.plugin\\.[a-z0-9]+: [^ ]+")))
            lines += line + "\n";
    }
    return lines;
}

// Peekster --check: a file in, the lines it names, what it says of each and the exit code
// out; and the line that ends Peekster's explanation from the same file.
TEST_F(Probe, CheckNamesEveryLineLumivaneReadsOtherwiseThanWritten)
{
    struct Case {
        const char *name;
        std::string text;
        std::vector<std::pair<int, std::string>> named;   // a line, and part of what is said
    } cases[] = {
        {"the sample file", source_file("examples/Lumivane.rc"), {}},
        {"the README's examples", settings_lines_of("README.md"), {}},
        {"the readme's examples", settings_lines_of("docs/readme.txt"), {}},
        {"a user's file",
         "Lumivane.plugin.global: FOCUS\nLumivane.plugin.globallevel: 220\n"
         "Lumivane.plugin.focuslevel: 255\nLumivane.plugin.appname0: notepad\n"
         "Lumivane.plugin.rule0: always\nLumivane.plugin.level0: 180\n"
         "Lumivane.plugin.exclude0: explorer\n", {}},
        {"keys",
         "Lumivane.plugin.apname0: x\nLumivane.plugin.appname50: x\nlumivnae.plugin.level0: 3\n"
         "Other.key: 1\n*level*: 0\nLumivane.plugin.level0: 10\nLUMIVANE.PLUGIN.LEVEL0: 20\n",
         {{1, "Lumivane reads no key Lumivane.plugin.apname0; the nearest key it reads is "
              "Lumivane.plugin.appname0"},
          {2, "entries are numbered 0 to 49"},
          {3, "the nearest key it reads is Lumivane.plugin.level0"},
          {5, "*level* is a wildcard key"},
          {6, "written again on line 7, which the shell uses"}}},
        {"levels",
         "Lumivane.plugin.globallevel:\nLumivane.plugin.focuslevel: half\n"
         "Lumivane.plugin.level0: 300\nLumivane.plugin.level1: 256\nLumivane.plugin.level2: 0\n"
         "Lumivane.plugin.level3: 80%\nLumivane.plugin.level4: 150 # a note\n"
         "Lumivane.plugin.level5: -0255\n",
         {{1, "the level is blank: Lumivane uses 255"},
          {2, "the level \"half\" is not a number: Lumivane uses 255"},
          {3, "low 8 bits, 44"},
          {4, "low 8 bits, 0, at which windows cannot be seen"},
          {5, "at level 0 the windows it applies to cannot be seen"},
          {6, "\"80%\" is read as 80"},
          {7, "a '#' inside a value starts no comment"},
          {8, "low 8 bits, 1"}}},
        {"rules and fragments",
         "Lumivane.plugin.global: alwaysalwaysalways\nLumivane.plugin.appname0: note\n"
         "Lumivane.plugin.rule0: sometimes\nLumivane.plugin.appname1: notepad.exe.long\n"
         "Lumivane.plugin.rule1: always\nLumivane.plugin.rule2: focus\n"
         "Lumivane.plugin.appname3: explorer\nLumivane.plugin.rule3: ALWAYS\n"
         "Lumivane.plugin.exclude0: plore\n",
         {{1, "longer than 11 characters: Lumivane keeps \"ALWAYSALWAY\""},
          {1, "the global rule \"ALWAYSALWAY\" is none of ALWAYS, FOCUS, MOVING"},
          {3, "the rule \"SOMETIMES\" is none of ALWAYS, FOCUS, MOVING: entry 0 still claims"},
          {4, "longer than 9 characters: Lumivane keeps \"NOTEPAD.E\""},
          {4, "entry 1 can never decide: every path holding \"NOTEPAD.E\" holds entry 0's"},
          {6, "entry 2 has a rule but no appname2"},
          {7, "holds exclusion 0's \"PLORE\""}}},
    };
    std::string dir = std::filesystem::temp_directory_path() / "peekster check";
    std::filesystem::create_directories(dir);
    const std::string path = dir + "/Lumivane.rc";
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_FALSE(c.text.empty());
        std::ofstream(path, std::ios::binary | std::ios::trunc) << c.text;
        testing::internal::CaptureStdout();
        int exit_code = run_check(path.c_str());
        std::istringstream output(testing::internal::GetCapturedStdout());
        std::string line;
        for (const auto &[number, said] : c.named) {
            ASSERT_TRUE(std::getline(output, line));
            EXPECT_EQ(line.rfind(path + ":" + std::to_string(number) + ": ", 0), 0u) << line;
            EXPECT_NE(line.find(said), std::string::npos) << line;
        }
        size_t count = c.named.size();
        ASSERT_TRUE(std::getline(output, line));
        EXPECT_EQ(line, count == 0 ? "No problems in " + path + ": Lumivane reads every line as written"
                                   : std::to_string(count) + " problems in " + path);
        EXPECT_FALSE(std::getline(output, line)) << line;
        EXPECT_EQ(exit_code, count == 0 ? 0 : 1);

        testing::internal::CaptureStdout();
        print_problem_count(path.c_str());
        EXPECT_EQ(testing::internal::GetCapturedStdout(),
                  count == 0 ? "" : "Settings: " + std::to_string(count) + " problems in this "
                                    "file; Peekster --check \"" + path + "\" lists them\n");
    }
    std::filesystem::remove_all(dir);
    EXPECT_EQ(run_check(path.c_str()), 2);
}
