// What the shell's commands do to live windows: the toggle broadcast, reconfigure, a close
// request to the plug-in's window, and quitting. A second BLACKBOX.EXE hands each command
// to the running host, which delivers it with SendMessage and then reports it: once the
// report line is there, the plug-in has handled the command.
#include "live_desktop.h"

TEST_F(LiveDesktop, ToggleRestoresEveryWindowThenTurnsBackOnAndOtherSpellingsDoNothing)
{
    write_settings(settings_entry(0, "STEADY", "ALWAYS", 180) +
                   settings_entry(1, "MOVER", "MOVING", 100));
    TargetApp &steady = start_app("STEADY", {{"visible", "main"}, {"visible", "second"}});
    TargetApp &mover = start_app("MOVER");
    ASSERT_NO_FATAL_FAILURE(start_host());
    HWND main = steady.window("main"), second = steady.window("second");
    HWND hidden = steady.open("hidden", "later");
    ASSERT_TRUE(mover.raise("movestart", "main"));
    ASSERT_TRUE(looks_become({{hidden, translucent(180)}, {mover.window("main"), translucent(100)}}));

    struct Step {
        const char *arguments;
        const char *report;
        std::vector<Expectation> looks;
    };
    const Step steps[] = {
        // Off: every window, hidden ones and those of other rules too, is opaque again.
        {"-exec @LumivaneTog", TOGGLED,
         {{main, opaque()}, {second, opaque()}, {hidden, opaque()},
          {mover.window("main"), opaque()}}},
        // On: the ALWAYS pass runs anew, over the visible windows.
        {"-exec @LumivaneTog", TOGGLED,
         {{main, translucent(180)}, {second, translucent(180)}, {hidden, opaque()}}},
        {"-exec @lumivanetog", "delivered @lumivanetog to 1 window(s)",
         {{main, translucent(180)}, {second, translucent(180)}}},
        {"-exec @LumivaneTog ", "delivered @LumivaneTog  to 1 window(s)",
         {{main, translucent(180)}, {second, translucent(180)}}},
    };
    for (const Step &step : steps) {
        SCOPED_TRACE(std::string("BLACKBOX.EXE ") + step.arguments + "|");
        ASSERT_TRUE(deliver(step.arguments, step.report));
        EXPECT_TRUE(looks_are(step.looks));
    }
}

TEST_F(LiveDesktop, ReconfigureChangesNoWindowAtOnceButANewWindowGetsTheNewLevel)
{
    write_settings(settings_entry(0, "STEADY", "ALWAYS", 180));
    TargetApp &steady = start_app("STEADY");
    ASSERT_NO_FATAL_FAILURE(start_host());
    ASSERT_TRUE(looks_are({{steady.window("main"), translucent(180)}}));

    write_settings(settings_entry(0, "STEADY", "ALWAYS", 60));
    ASSERT_TRUE(reconfigure());
    EXPECT_TRUE(looks_are({{steady.window("main"), translucent(180)}}));

    HWND later = steady.open("visible", "later");
    ASSERT_TRUE(later);
    EXPECT_TRUE(looks_become({{later, translucent(60)}}));
    EXPECT_TRUE(looks_are({{steady.window("main"), translucent(180)}}));
}

TEST_F(LiveDesktop, WindowWithItsOwnColourKeyKeepsItThroughTranslucencyAndRestore)
{
    write_settings(settings_entry(0, "KEYED", "ALWAYS", 150));
    TargetApp &keyed_app = start_app("KEYED", {{"keyed", "main"}});
    ASSERT_FALSE(HasFailure());
    HWND main = keyed_app.window("main");
    ASSERT_TRUE(looks_are({{main, keyed(OWN_COLOUR_KEY, 255)}}));

    ASSERT_NO_FATAL_FAILURE(start_host());
    EXPECT_TRUE(looks_are({{main, keyed(OWN_COLOUR_KEY, 150)}}));
    struct Step {
        const char *arguments;
        const char *report;
        ExpectedLook look;
    };
    const Step steps[] = {
        {"-exec @LumivaneTog", TOGGLED, keyed(OWN_COLOUR_KEY, 255)},
        {"-exec @LumivaneTog", TOGGLED, keyed(OWN_COLOUR_KEY, 150)},
        {"-quit", "endPlugin ", keyed(OWN_COLOUR_KEY, 255)},
    };
    for (const Step &step : steps) {
        SCOPED_TRACE(std::string("BLACKBOX.EXE ") + step.arguments);
        ASSERT_TRUE(deliver(step.arguments, step.report));
        EXPECT_TRUE(looks_become({{main, step.look}}));
    }
}

TEST_F(LiveDesktop, CloseRequestLeavesThePluginWindowAliveAndTheToggleStillWorks)
{
    write_settings(settings_entry(0, "STEADY", "ALWAYS", 180));
    TargetApp &steady = start_app("STEADY");
    ASSERT_NO_FATAL_FAILURE(start_host());
    std::vector<HWND> plugin_windows = top_level_windows("Lumivane", host().id());
    ASSERT_FALSE(plugin_windows.empty()) << "no window of class Lumivane in the host";
    HWND plugin_window = plugin_windows[0];

    DWORD_PTR result = 0;
    ASSERT_TRUE(SendMessageTimeoutA(plugin_window, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, SETTLE_MS,
                                    &result));
    EXPECT_TRUE(IsWindow(plugin_window));
    // Still registered with the host: the toggle reaches it and acts.
    ASSERT_TRUE(toggle());
    EXPECT_TRUE(looks_are({{steady.window("main"), opaque()}}));
}

TEST_F(LiveDesktop, QuitRestoresEveryWindowAndTheHostExitsZero)
{
    write_settings(settings_entry(0, "STEADY", "ALWAYS", 180) +
                   settings_entry(1, "FOCAL", "FOCUS", 120));
    TargetApp &steady = start_app("STEADY");
    TargetApp &focal = start_app("FOCAL", {{"visible", "main"}, {"visible", "other"}});
    ASSERT_NO_FATAL_FAILURE(start_host());
    HWND hidden = steady.open("hidden", "later");
    ASSERT_TRUE(focal.raise("foreground", "main"));
    const std::vector<HWND> windows = {steady.window("main"), hidden, focal.window("other")};
    ASSERT_TRUE(
        looks_become(paired(windows, {translucent(180), translucent(180), translucent(120)})));

    ASSERT_TRUE(quit_host());
    EXPECT_TRUE(looks_are(paired(windows, {opaque(), opaque(), opaque()})));
}

TEST_F(LiveDesktop, WindowsLumivaneChangedComeBackWhateverTheSettingsSayNow)
{
    const std::string named = settings_entry(0, "FADER", "ALWAYS", 120);
    const std::string excluded = named + "Lumivane.plugin.exclude0: FADER\n";
    write_settings(named);
    TargetApp &fader = start_app("FADER");
    ASSERT_NO_FATAL_FAILURE(start_host());
    HWND main = fader.window("main");
    ASSERT_TRUE(looks_are({{main, translucent(120)}}));

    // The user excludes the fader from now on: a reconfigure changes nothing at once, but
    // switching off, and quitting, give the window back.
    struct Step {
        const char *what;
        const std::string *settings;   // written before the command, when not null
        const char *arguments;
        const char *report;
        ExpectedLook look;
    };
    const Step steps[] = {
        {"exclusion added", &excluded, "-reconfigure", RECONFIGURED, translucent(120)},
        {"switched off", nullptr, "-exec @LumivaneTog", TOGGLED, opaque()},
        {"switched on, excluded", nullptr, "-exec @LumivaneTog", TOGGLED, opaque()},
        {"exclusion removed", &named, "-reconfigure", RECONFIGURED, opaque()},
        {"switched off", nullptr, "-exec @LumivaneTog", TOGGLED, opaque()},
        {"switched on", nullptr, "-exec @LumivaneTog", TOGGLED, translucent(120)},
        {"exclusion added again", &excluded, "-reconfigure", RECONFIGURED, translucent(120)},
        {"quit", nullptr, "-quit", "endPlugin ", opaque()},
    };
    for (const Step &step : steps) {
        SCOPED_TRACE(step.what);
        if (step.settings) {
            ASSERT_NO_FATAL_FAILURE(write_settings(*step.settings));
        }
        ASSERT_TRUE(deliver(step.arguments, step.report));
        EXPECT_TRUE(looks_become({{main, step.look}}));
    }

    // A shell killed while the window is translucent, started again with settings that no
    // longer name it: the start gives the window back.
    ASSERT_TRUE(host().wait_for_exit(SETTLE_MS));
    write_settings(named);
    ASSERT_NO_FATAL_FAILURE(start_host());
    ASSERT_TRUE(looks_become({{main, translucent(120)}}));
    host().terminate();
    ASSERT_TRUE(host().wait_for_exit(SETTLE_MS));
    EXPECT_TRUE(looks_are({{main, translucent(120)}}));
    write_settings(settings_entry(0, "OTHER", "ALWAYS", 60));
    ASSERT_NO_FATAL_FAILURE(start_host());
    EXPECT_TRUE(looks_become({{main, opaque()}}));
}
