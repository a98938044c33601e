// The three rules on live windows: what start-up does, new windows, foreground changes and
// moves. Wine does not raise foreground or move events itself; the apps raise them for
// their own windows, and they reach the plug-in as the system's would.
//
// Where a test must show that an event changed nothing, it raises that event first and
// then one whose effect can be seen: events reach the host's thread in the order they were
// raised, so once the second has acted the first has been handled.
#include "live_desktop.h"

namespace {

const char EXCLUDE_SHUNNED[] = "Lumivane.plugin.exclude0: shunned\n";

}  // namespace

// A level left blank or written as a word keeps 255: the windows stay in sight.
TEST_F(LiveDesktop, StartUpMakesRunningAlwaysAppsTranslucentAndLeavesFocusAppsForTheFirstForegroundChange)
{
    write_settings("Lumivane.plugin.global: ALWAYS\n"
                   "Lumivane.plugin.globallevel: 90\n" +
                   settings_entry(0, "steady", "always", 180) +
                   settings_entry(1, "focal", "Focus", 120) + EXCLUDE_SHUNNED +
                   settings_entry(2, "blank", "always", "") +
                   settings_entry(3, "halved", "always", "half"));
    TargetApp &steady = start_app("STEADY", {{"visible", "main"}, {"hidden", "tucked"}});
    TargetApp &focal = start_app("FOCAL");
    TargetApp &shunned = start_app("SHUNNED");
    TargetApp &plain = start_app("PLAIN");
    TargetApp &blank = start_app("BLANK");
    TargetApp &halved = start_app("HALVED");

    ASSERT_NO_FATAL_FAILURE(start_host());
    // The ALWAYS pass over the visible windows has run before beginPlugin answers.
    EXPECT_TRUE(looks_are({{steady.window("main"), translucent(180)},
                           {steady.window("tucked"), opaque()},
                           {focal.window("main"), opaque()},
                           {shunned.window("main"), opaque()},
                           {plain.window("main"), translucent(90)},
                           {blank.window("main"), opaque()},
                           {halved.window("main"), opaque()}}));

    ASSERT_TRUE(plain.raise("foreground", "main"));
    EXPECT_TRUE(looks_become({{focal.window("main"), translucent(120)},
                              {plain.window("main"), translucent(90)},
                              {steady.window("main"), translucent(180)},
                              {shunned.window("main"), opaque()}}));
}

TEST_F(LiveDesktop, WindowOfAlwaysAppOpenedAfterStartUpIsTranslucentAsSoonAsItExists)
{
    write_settings(settings_entry(0, "STEADY", "ALWAYS", 180));
    TargetApp &steady = start_app("STEADY", {{"visible", "first"}});
    TargetApp &plain = start_app("PLAIN", {});
    ASSERT_NO_FATAL_FAILURE(start_host());

    HWND other = plain.open("visible", "later");
    HWND shown = steady.open("visible", "later");
    // The creation event carries no visibility test: a hidden new window is handled too.
    HWND tucked = steady.open("hidden", "tucked");
    ASSERT_TRUE(other && shown && tucked);
    EXPECT_TRUE(looks_become({{shown, translucent(180)}, {tucked, translucent(180)}}));
    EXPECT_TRUE(looks_are({{other, opaque()}, {steady.window("first"), translucent(180)}}));
}

TEST_F(LiveDesktop, ForegroundChangePutsTheNewForegroundWindowAtTheFocusLevelAndTheOthersAtTheirs)
{
    write_settings("Lumivane.plugin.global: FOCUS\n"
                   "Lumivane.plugin.globallevel: 200\n"
                   "Lumivane.plugin.focuslevel: 255\n" +
                   settings_entry(0, "FOCAL", "FOCUS", 120) +
                   settings_entry(1, "STEADY", "ALWAYS", 180) + EXCLUDE_SHUNNED);
    TargetApp &plain = start_app("PLAIN", {{"visible", "main"}, {"visible", "second"}});
    TargetApp &focal = start_app("FOCAL");
    TargetApp &steady = start_app("STEADY");
    TargetApp &shunned = start_app("SHUNNED");
    ASSERT_NO_FATAL_FAILURE(start_host());

    const std::vector<HWND> windows = {plain.window("main"), plain.window("second"),
                                       focal.window("main"), steady.window("main"),
                                       shunned.window("main")};
    struct Step {
        TargetApp &app;                    // whose window "main" comes forward
        std::vector<ExpectedLook> looks;   // of the windows above, in their order
    };
    const Step steps[] = {
        {plain, {opaque(), translucent(200), translucent(120), translucent(180), opaque()}},
        // An excluded window is left alone, but the others still get their levels back.
        {shunned, {translucent(200), translucent(200), translucent(120), translucent(180), opaque()}},
        {focal, {translucent(200), translucent(200), opaque(), translucent(180), opaque()}},
        // A foreground window under another rule is not changed; the FOCUS ones are.
        {steady, {translucent(200), translucent(200), translucent(120), translucent(180), opaque()}},
    };
    for (const Step &step : steps) {
        SCOPED_TRACE(step.app.name() + " 'main' comes forward");
        ASSERT_TRUE(step.app.raise("foreground", "main"));
        EXPECT_TRUE(looks_become(paired(windows, step.looks)));
    }
}

TEST_F(LiveDesktop, MovingWindowIsTranslucentForTheMoveAndOpaqueAfterIt)
{
    write_settings(settings_entry(0, "MOVER", "MOVING", 100) +
                   settings_entry(1, "STEADY", "ALWAYS", 180));
    TargetApp &mover = start_app("MOVER", {{"visible", "main"}, {"visible", "other"}});
    TargetApp &steady = start_app("STEADY");
    TargetApp &plain = start_app("PLAIN");
    ASSERT_NO_FATAL_FAILURE(start_host());
    EXPECT_TRUE(looks_are({{mover.window("main"), opaque()}}));

    ASSERT_TRUE(plain.raise("movestart", "main"));
    ASSERT_TRUE(steady.raise("movestart", "main"));
    ASSERT_TRUE(mover.raise("movestart", "main"));
    EXPECT_TRUE(looks_become({{mover.window("main"), translucent(100)}}));
    EXPECT_TRUE(looks_are({{mover.window("other"), opaque()},
                           {plain.window("main"), opaque()},
                           {steady.window("main"), translucent(180)}}));

    ASSERT_TRUE(steady.raise("moveend", "main"));
    ASSERT_TRUE(mover.raise("moveend", "main"));
    EXPECT_TRUE(looks_become({{mover.window("main"), opaque()}}));
    EXPECT_TRUE(looks_are({{steady.window("main"), translucent(180)}}));
}

TEST_F(LiveDesktop, AlwaysAppsChildControlsAndCaretsStayAsTheyAreAndItsOwnedPopUpsTurnTranslucent)
{
    write_settings(settings_entry(0, "STEADY", "ALWAYS", 180));
    TargetApp &steady = start_app("STEADY");
    ASSERT_NO_FATAL_FAILURE(start_host());
    HWND main = steady.window("main");
    ASSERT_TRUE(looks_are({{main, translucent(180)}}));

    // Wine raises a creation event for each control as for any window, and would layer it.
    HWND edit = steady.open_child("main", "edit");
    HWND popup = steady.open_popup("main", "popup");
    ASSERT_TRUE(edit && popup);
    EXPECT_TRUE(looks_become({{popup, translucent(180)}}));
    EXPECT_TRUE(looks_are({{edit, opaque()}, {main, translucent(180)}}));

    // A reconfigure changes no window at once: a caret's event taken for its window's would
    // show as the new level.
    write_settings(settings_entry(0, "STEADY", "ALWAYS", 60));
    ASSERT_TRUE(reconfigure());
    ASSERT_TRUE(steady.command("caret main"));
    ASSERT_TRUE(steady.command("caret edit"));
    HWND later = steady.open_popup("main", "later");
    ASSERT_TRUE(later);
    EXPECT_TRUE(looks_become({{later, translucent(60)}}));
    EXPECT_TRUE(looks_are({{main, translucent(180)}, {edit, opaque()}, {popup, translucent(180)}}));
}

// Every program can be named by its own file name: one installed at a long path, and one
// whose window is shown in a frame of ApplicationFrameHost.exe, whose own entry would give 60.
TEST_F(LiveDesktop, ProgramsAreNamedByTheirFileNameAtLongPathsAndInsideFrames)
{
    write_settings(settings_entry(0, "LONGWRITE", "ALWAYS", 180) +
                   settings_entry(1, "calculat", "ALWAYS", 150) +
                   settings_entry(2, "framehost", "ALWAYS", 60));
    // C:\e2e\ and 58 characters: the fragment lies past character 60.
    TargetApp &writer = start_app("Users.me.AppData.Local.Programs.Tools.Editors.LongWriter");
    ASSERT_GT(writer.module().size(), 60u);
    TargetApp &host = start_app("ApplicationFrameHost", {{"frame", "early"}, {"frame", "late"},
                                                         {"frame", "empty"}});
    TargetApp &calculator = start_app("Calculator", {});
    TargetApp &late_calculator = start_app("CalculatorLate", {});
    HWND early = host.window("early"), late = host.window("late");
    HWND content = calculator.open_content(early, "content");
    ASSERT_TRUE(content);
    ASSERT_NO_FATAL_FAILURE(start_host());

    EXPECT_TRUE(looks_are({{writer.window("main"), translucent(180)},
                           {early, translucent(150)},
                           {content, opaque()},
                           {late, opaque()},
                           {host.window("empty"), opaque()}}));

    // Attached while the shell runs: the frame is decided again, within a second.
    HWND late_content = late_calculator.open_content(late, "content");
    ASSERT_TRUE(late_content);
    EXPECT_TRUE(looks_become({{late, translucent(150)}}, 1000 * time_scale()));
    EXPECT_TRUE(looks_are({{late_content, opaque()}, {host.window("empty"), opaque()}}));

    // Taken out of its frame, the content is a top-level window that the ALWAYS pass meets.
    ASSERT_TRUE(calculator.command("detach content"));
    ASSERT_TRUE(toggle() && toggle());
    EXPECT_TRUE(looks_are({{content, opaque()}, {late, translucent(150)}}));
}

// The shell delivers @LumivaneLevel, as from a key or a menu item, with a window in front:
// it gets its new level, never under the floor, and keeps it when another window comes
// forward, until the effect is switched off.
TEST_F(LiveDesktop, LevelCommandChangesTheWindowInFrontWhichKeepsItUntilSwitchOff)
{
    write_settings(settings_entry(0, "FOCAL", "FOCUS", 120) + "Lumivane.plugin.minlevel: 100\n");
    TargetApp &focal = start_app("FOCAL", {{"visible", "main"}, {"visible", "second"}});
    ASSERT_NO_FATAL_FAILURE(start_host());
    HWND main = focal.window("main"), second = focal.window("second");
    ASSERT_TRUE(focal.raise("foreground", "main"));
    ASSERT_TRUE(looks_become({{main, opaque()}, {second, translucent(120)}}));

    ASSERT_TRUE(deliver("-exec @LumivaneLevel -16", "delivered @LumivaneLevel -16 to 1 window(s)"));
    EXPECT_TRUE(looks_become({{main, translucent(239)}}));
    ASSERT_TRUE(deliver("-exec @lumivanelevel 0", "delivered @lumivanelevel 0 to 1 window(s)"));
    EXPECT_TRUE(looks_become({{main, translucent(100)}}));
    // Behind, then in front again: the second pass is seen to end with the second window.
    ASSERT_TRUE(focal.raise("foreground", "second"));
    ASSERT_TRUE(focal.raise("foreground", "main"));
    EXPECT_TRUE(looks_become({{second, translucent(120)}, {main, translucent(100)}}));

    ASSERT_TRUE(toggle());
    EXPECT_TRUE(looks_become({{main, opaque()}, {second, opaque()}}));
}
