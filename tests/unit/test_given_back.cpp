// Windows that have a translucency of their own: Lumivane records what a window had before
// it first changes it, gives exactly that back, and leaves alone what it never changed.
#include <array>

#include "../../plugin/exports.h"
#include "desktop_fixture.h"

class GivenBack : public Desktop {
protected:
    // One application's process and windows: an ordinary one, one at an alpha of its own and
    // one with its own colour key and alpha.
    struct AppWindows {
        DWORD process;
        HWND plain, own_alpha, keyed;
        std::array<HWND, 3> all() const { return {plain, own_alpha, keyed}; }
    };

    AppWindows open_app(const std::string &exe, fake::ProcessOptions options = {})
    {
        DWORD process = fake::add_process(exe, options);
        AppWindows app = {process, fake::add_window(process), fake::add_window(process),
                          fake::add_window(process)};
        fake::set_own_layered(app.own_alpha, 0, 200, LWA_ALPHA);
        fake::set_own_layered(app.keyed, KEY, 200, BOTH);
        return app;
    }

    // Translucent at level: its own colour key kept, or as it had itself (level 255).
    static ::testing::AssertionResult looks(const AppWindows &app, BYTE level)
    {
        bool own = level == 255;
        for (auto check : {own ? ::testing::AssertionResult(is_plain(app.plain))
                               : has_alpha(app.plain, level),
                           has_alpha(app.own_alpha, own ? 200 : level),
                           has_alpha(app.keyed, own ? 200 : level, KEY, BOTH)}) {
            if (!check)
                return check;
        }
        return ::testing::AssertionSuccess();
    }

    static ::testing::AssertionResult untouched(const AppWindows &app)
    {
        for (HWND w : app.all()) {
            if (writes(w) != 0 || fake::window(w).properties != 0)
                return ::testing::AssertionFailure() << "window " << w << " was changed";
        }
        return looks(app, 255);
    }
};

TEST_F(GivenBack, AWindowsOwnAlphaComesBackUnderEveryRule)
{
    enum Action { START, TOGGLE, FOREGROUND_OTHER, FOREGROUND_SELF, MOVE_START, MOVE_END, QUIT };
    struct Step {
        Action action;
        BYTE level;   // what the app's windows look like after it; 255: as they had it
    };
    struct Case {
        const char *rule;
        std::vector<Step> steps;
    } cases[] = {
        {"always", {{START, 120}, {TOGGLE, 255}, {TOGGLE, 120}, {QUIT, 255}}},
        {"focus",
         {{START, 255}, {FOREGROUND_OTHER, 120}, {FOREGROUND_SELF, 255}, {FOREGROUND_OTHER, 120},
          {TOGGLE, 255}, {TOGGLE, 255}, {FOREGROUND_OTHER, 120}, {QUIT, 255}}},
        {"moving",
         {{START, 255}, {MOVE_START, 120}, {MOVE_END, 255}, {MOVE_START, 120}, {TOGGLE, 255},
          {TOGGLE, 255}, {MOVE_START, 120}, {QUIT, 255}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.rule);
        SetUp();
        Keys settings = entry0("fader", c.rule, "120");
        settings["focuslevel"] = "255";
        write_settings(settings);
        AppWindows app = open_app("C:\\Apps\\fader.exe");
        HWND other = app_window("C:\\Apps\\other.exe");
        for (const Step &step : c.steps) {
            SCOPED_TRACE(step.action);
            switch (step.action) {
            case START: ASSERT_EQ(beginPlugin(fake::plugin_module()), 0); break;
            case TOGGLE: fake::broadcast("@LumivaneTog"); break;
            case FOREGROUND_OTHER: fake::raise_event(EVENT_SYSTEM_FOREGROUND, other); break;
            case FOREGROUND_SELF:
                // Each of the app's windows comes forward in turn.
                for (HWND w : app.all())
                    fake::raise_event(EVENT_SYSTEM_FOREGROUND, w);
                break;
            case MOVE_START:
            case MOVE_END:
                for (HWND w : app.all())
                    fake::raise_event(step.action == MOVE_START ? EVENT_SYSTEM_MOVESIZESTART
                                                                : EVENT_SYSTEM_MOVESIZEEND, w);
                break;
            case QUIT: endPlugin(fake::plugin_module()); break;
            }
            if (step.action == FOREGROUND_SELF) {
                // The last one forward is as it had it; the others are at their level.
                EXPECT_TRUE(has_alpha(app.plain, 120));
                EXPECT_TRUE(has_alpha(app.own_alpha, 120));
                EXPECT_TRUE(has_alpha(app.keyed, 200, KEY, BOTH));
            } else {
                EXPECT_TRUE(looks(app, step.level));
            }
        }
        for (HWND w : app.all())
            EXPECT_EQ(fake::window(w).properties, 0);
    }
}

TEST_F(GivenBack, AWindowNoRuleNamesKeepsItsOwnLookThroughEverything)
{
    write_settings({{"appname0", "steady"}, {"rule0", "always"}, {"level0", "120"},
                    {"appname1", "focal"}, {"rule1", "focus"}, {"level1", "90"},
                    {"appname2", "mover"}, {"rule2", "moving"}, {"level2", "60"},
                    {"appname3", "loner"}, {"rule3", "sometimes"}});
    AppWindows unnamed = open_app("C:\\Apps\\terminal.exe");
    AppWindows no_rule = open_app("C:\\Apps\\loner.exe");
    HWND steady = app_window("C:\\Apps\\steady.exe");
    HWND focal = app_window("C:\\Apps\\focal.exe");
    ASSERT_EQ(beginPlugin(fake::plugin_module()), 0);
    for (const AppWindows &app : {unnamed, no_rule}) {
        for (HWND w : app.all()) {
            fake::raise_event(EVENT_OBJECT_CREATE, w);
            fake::raise_event(EVENT_SYSTEM_FOREGROUND, w);
            fake::raise_event(EVENT_SYSTEM_MOVESIZESTART, w);
            fake::raise_event(EVENT_SYSTEM_MOVESIZEEND, w);
        }
    }
    fake::raise_event(EVENT_SYSTEM_FOREGROUND, steady);
    fake::broadcast("@LumivaneTog");
    fake::broadcast("@LumivaneTog");
    fake::raise_event(EVENT_SYSTEM_FOREGROUND, focal);
    EXPECT_TRUE(has_alpha(steady, 120));
    endPlugin(fake::plugin_module());
    EXPECT_TRUE(untouched(unnamed));
    EXPECT_TRUE(untouched(no_rule));
    EXPECT_TRUE(is_plain(steady));
}

TEST_F(GivenBack, AWindowWhoseRecordCannotBeWrittenIsLeftAlone)
{
    use_settings({{"global", "always"}, {"globallevel", "100"}});
    DWORD process = fake::add_process("C:\\Apps\\crowded.exe");
    HWND plain = fake::add_window(process, {.properties_refused = true});
    HWND own = fake::add_window(process, {.properties_refused = true});
    fake::set_own_layered(own, 0, 200, LWA_ALPHA);
    HWND fine = fake::add_window(process);
    turn_on();
    EXPECT_TRUE(is_plain(plain));
    EXPECT_TRUE(has_alpha(own, 200));
    EXPECT_EQ(writes(plain) + writes(own), 0);
    EXPECT_TRUE(has_alpha(fine, 100));
    turn_off();
    EXPECT_TRUE(is_plain(plain));
    EXPECT_TRUE(has_alpha(own, 200));
    EXPECT_TRUE(is_plain(fine));
}

TEST_F(GivenBack, TheRecordOutlivesAReconfigureThatRemovesTheEntry)
{
    write_settings(entry0("fader", "always", "120"));
    AppWindows app = open_app("C:\\Apps\\fader.exe");
    HWND hidden = fake::add_window(fake::add_process("C:\\Apps\\fader.exe"), {.visible = false});
    ASSERT_EQ(beginPlugin(fake::plugin_module()), 0);
    fake::raise_event(EVENT_OBJECT_CREATE, hidden);
    EXPECT_TRUE(looks(app, 120));
    EXPECT_TRUE(has_alpha(hidden, 120));

    write_settings({});
    fake::reconfigure();
    EXPECT_TRUE(looks(app, 120));   // a reconfigure changes no window at once
    fake::broadcast("@LumivaneTog");
    EXPECT_TRUE(looks(app, 255));
    EXPECT_TRUE(is_plain(hidden));
    endPlugin(fake::plugin_module());
}

// The fader's windows are at 120 under "ALWAYS" (or "FOCUS", after a foreground change); then
// the settings change and the plug-in is switched off, quit, started again after the shell
// was killed without giving them back, or sees the next foreground change.
TEST_F(GivenBack, EveryRecordedWindowComesBackWhenTheSettingsNoLongerAskForIt)
{
    const Keys before = entry0("fader", "always", "120");
    Keys excluded = before;
    excluded["exclude0"] = "fader";
    enum Then { SWITCH_OFF, QUIT, RESTART, FOREGROUND };
    struct Case {
        const char *name;
        Keys later;
        bool path_lost;   // the fader's path can no longer be read
        Then then;
        BYTE level;       // the fader's windows afterwards; 255: as they had it
        const char *rule_before = "always";
        bool framed = false;   // its plain window moved into a frame, unseen: a content now
    } cases[] = {
        {"a content now, switched off", before, false, SWITCH_OFF, 255, "always", true},
        {"a content now, quit", before, false, QUIT, 255, "always", true},
        {"exclusion added, switched off", excluded, false, SWITCH_OFF, 255},
        {"exclusion added, quit", excluded, false, QUIT, 255},
        {"path lost, switched off", before, true, SWITCH_OFF, 255},
        {"path lost, quit", before, true, QUIT, 255},
        {"restart, nothing names it", {}, false, RESTART, 255},
        {"restart, exclusion", excluded, false, RESTART, 255},
        {"restart, rule none", entry0("fader", "sometimes", "90"), false, RESTART, 255},
        {"restart, moving", entry0("fader", "moving", "90"), false, RESTART, 255},
        {"restart, path lost", before, true, RESTART, 255},
        {"restart, always", entry0("fader", "always", "90"), false, RESTART, 90},
        {"restart, global always",
         {{"global", "always"}, {"globallevel", "60"}, {"exclude0", "other"}}, false, RESTART, 60},
        {"restart, focus waits for a foreground change", entry0("fader", "focus", "90"), false,
         RESTART, 120},
        {"focus re-pointed to no rule, next foreground change", entry0("elsewhere", "focus", "90"),
         false, FOREGROUND, 255, "focus"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        bool focus = std::string(c.rule_before) == "focus";
        write_settings(entry0("fader", c.rule_before, "120"));
        // Another bitness's process: its path comes only from the image-name query.
        AppWindows app = open_app("C:\\Apps\\fader.exe", {.modules_readable = false});
        HWND hidden = fake::add_window(app.process, {.visible = false});
        AppWindows untouched_app = open_app("C:\\Apps\\other.exe");
        ASSERT_EQ(beginPlugin(fake::plugin_module()), 0);
        fake::raise_event(focus ? EVENT_SYSTEM_FOREGROUND : EVENT_OBJECT_CREATE,
                          focus ? untouched_app.plain : hidden);
        ASSERT_TRUE(looks(app, 120));
        ASSERT_TRUE(focus ? is_plain(hidden) : has_alpha(hidden, 120));

        if (c.framed)
            fake::set_parent(app.plain, frame_window());
        write_settings(c.later);
        if (c.path_lost)
            fake::set_image_name_query_available(false);
        switch (c.then) {
        case SWITCH_OFF:
            fake::reconfigure();
            fake::broadcast("@LumivaneTog");
            break;
        case QUIT:
            fake::reconfigure();
            endPlugin(fake::plugin_module());
            break;
        case RESTART:
            // The killed shell's run never gave anything back; the new run, in a new process,
            // starts afresh with the effect off.
            g_effect_on = false;
            load_settings(fake::plugin_module());
            turn_on();
            break;
        case FOREGROUND:
            fake::reconfigure();
            EXPECT_TRUE(looks(app, 120));   // a reconfigure changes no window at once
            fake::raise_event(EVENT_SYSTEM_FOREGROUND, untouched_app.plain);
            break;
        }
        EXPECT_TRUE(looks(app, c.level));
        if (c.level == 255) {
            EXPECT_TRUE(is_plain(hidden));
            for (HWND w : {app.plain, app.own_alpha, app.keyed, hidden})
                EXPECT_EQ(fake::window(w).properties, 0);
        }
        EXPECT_TRUE(untouched(untouched_app));
        if (c.then != QUIT)
            endPlugin(fake::plugin_module());
    }
}
