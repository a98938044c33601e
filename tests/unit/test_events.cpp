// The switch, the passes it runs, and the rules brought to life by window events.
#include <algorithm>

#include "desktop_fixture.h"

using Events = Desktop;

static int index_of(const std::vector<std::string> &calls, const std::string &call, int from = 0)
{
    for (int i = from; i < (int)calls.size(); ++i)
        if (calls[i] == call)
            return i;
    return -1;
}

TEST_F(Events, TurnOnHooksThenRunsTheAlwaysPassAndTurnOffUnhooksThenRestores)
{
    use_settings({{"global", "always"}, {"globallevel", "100"}});
    HWND shown = app_window("C:\\Apps\\shown.exe");
    HWND hidden = app_window("C:\\Apps\\hidden.exe", {.visible = false});
    fake::set_own_layered(hidden, 0, 30, LWA_ALPHA);   // made translucent by its owner
    fake::clear_calls();

    turn_on();
    EXPECT_TRUE(g_effect_on);
    std::vector<std::string> calls = fake::calls();
    int create = index_of(calls, "SetWinEventHook(0x8000,0x8000,0x1)");
    int foreground = index_of(calls, "SetWinEventHook(0x3,0x3,0x1)");
    int movesize = index_of(calls, "SetWinEventHook(0xa,0xb,0x1)");
    int pass = index_of(calls, "EnumWindows");
    EXPECT_TRUE(create >= 0 && create < foreground && foreground < movesize && movesize < pass);
    EXPECT_EQ(fake::active_hooks().size(), 3u);
    EXPECT_TRUE(has_alpha(shown, 100));
    EXPECT_TRUE(has_alpha(hidden, 30));   // the ALWAYS pass leaves hidden windows alone
    // The creation event does not look at visibility.
    HWND tucked = app_window("C:\\Apps\\tucked.exe", {.visible = false});
    fake::raise_event(EVENT_OBJECT_CREATE, tucked);
    EXPECT_TRUE(has_alpha(tucked, 100));

    fake::clear_calls();
    turn_off();
    EXPECT_FALSE(g_effect_on);
    calls = fake::calls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "UnhookWinEvent"), 3);
    EXPECT_LT(index_of(calls, "UnhookWinEvent", 2), index_of(calls, "EnumWindows"));
    EXPECT_TRUE(fake::active_hooks().empty());
    EXPECT_TRUE(is_plain(shown));
    EXPECT_TRUE(is_plain(tucked));   // the restore pass reaches hidden windows too
    EXPECT_TRUE(has_alpha(hidden, 30));   // never changed, so never given anything back

    // On again: hooks anew and the ALWAYS pass again; off twice restores twice: a window
    // hung through the first is only made opaque until the second.
    turn_on();
    EXPECT_EQ(fake::active_hooks().size(), 3u);
    EXPECT_TRUE(has_alpha(shown, 100));
    fake::set_hung(shown, true);
    turn_off();
    EXPECT_TRUE(has_alpha(shown, 255));
    fake::set_hung(shown, false);
    turn_off();
    EXPECT_TRUE(is_plain(shown));
}

TEST_F(Events, FocusRuleGivesTheForegroundWindowTheFocusLevelAndTheOthersTheirs)
{
    use_settings({{"global", "focus"}, {"globallevel", "200"}, {"focuslevel", "255"},
                  {"appname0", "term"}, {"rule0", "Focus"}, {"level0", "150"},
                  {"exclude0", "explorer"}, {"appname1", "media"}, {"rule1", "focused"},
                  {"level1", "10"}});
    HWND a = app_window("C:\\Apps\\a.exe");
    HWND b = app_window("C:\\Apps\\b.exe");
    HWND term = app_window("C:\\Tools\\term.exe");
    HWND explorer = app_window("C:\\Windows\\explorer.exe");
    HWND media = app_window("C:\\Apps\\media.exe");
    HWND hidden = app_window("C:\\Apps\\hidden.exe", {.visible = false});
    turn_on();
    for (HWND w : {a, b, term, explorer, media})
        EXPECT_TRUE(is_plain(w));   // nothing before the first foreground change

    fake::raise_event(EVENT_SYSTEM_FOREGROUND, a);
    EXPECT_TRUE(is_plain(a));
    EXPECT_TRUE(has_alpha(b, 200));
    EXPECT_TRUE(has_alpha(term, 150));
    EXPECT_TRUE(is_plain(explorer));
    EXPECT_TRUE(is_plain(media));   // FOCUSED is no rule
    EXPECT_TRUE(is_plain(hidden));

    fake::raise_event(EVENT_SYSTEM_FOREGROUND, term);
    EXPECT_TRUE(has_alpha(a, 200));
    EXPECT_TRUE(is_plain(term));

    // An excluded foreground window stays untouched; the others go back to their levels.
    fake::raise_event(EVENT_SYSTEM_FOREGROUND, explorer);
    EXPECT_TRUE(is_plain(explorer));
    EXPECT_TRUE(has_alpha(a, 200));
    EXPECT_TRUE(has_alpha(term, 150));

    // A focus level below 255 makes the foreground window translucent too.
    use_settings({{"global", "focus"}, {"globallevel", "200"}, {"focuslevel", "240"}});
    fake::raise_event(EVENT_SYSTEM_FOREGROUND, b);
    EXPECT_TRUE(has_alpha(b, 240));
    EXPECT_TRUE(has_alpha(a, 200));
}

TEST_F(Events, MovingRuleIsTranslucentOnlyWhileMovingAndOtherRulesIgnoreMoves)
{
    use_settings({{"appname0", "notepad"}, {"rule0", "moving"}, {"level0", "100"},
                  {"appname1", "paint"}, {"rule1", "always"}, {"level1", "150"}});
    HWND note = app_window("C:\\Windows\\notepad.exe");
    HWND paint = app_window("C:\\Windows\\paint.exe");
    HWND other = app_window("C:\\Apps\\other.exe");
    turn_on();
    EXPECT_TRUE(is_plain(note));
    fake::raise_event(EVENT_SYSTEM_MOVESIZESTART, note);
    EXPECT_TRUE(has_alpha(note, 100));
    fake::raise_event(EVENT_SYSTEM_MOVESIZEEND, note);
    EXPECT_TRUE(is_plain(note));

    for (HWND w : {paint, other}) {
        fake::WindowState before = fake::window(w);
        fake::raise_event(EVENT_SYSTEM_MOVESIZESTART, w);
        fake::raise_event(EVENT_SYSTEM_MOVESIZEEND, w);
        EXPECT_EQ(fake::window(w).alpha, before.alpha);
        EXPECT_EQ(fake::window(w).layered, before.layered);
    }
    EXPECT_TRUE(has_alpha(paint, 150));
}

TEST_F(Events, AlwaysRuleAppliesOnCreationButNotToTheShellsOwnThreadOrAfterTurnOff)
{
    use_settings({{"appname0", "notepad"}, {"rule0", "always"}, {"level0", "150"}});
    turn_on();
    DWORD notepad = fake::add_process("C:\\Windows\\notepad.exe");
    HWND created = fake::add_window(notepad);
    fake::raise_event(EVENT_OBJECT_CREATE, created);
    EXPECT_TRUE(has_alpha(created, 150));

    HWND own = fake::add_window(notepad);
    fake::raise_event(EVENT_OBJECT_CREATE, own, fake::shell_thread());
    EXPECT_TRUE(is_plain(own));

    // An event for a window that is already gone changes nothing and leaks nothing.
    HWND gone = fake::add_window(notepad);
    fake::destroy_window(gone);
    fake::raise_event(EVENT_OBJECT_CREATE, gone);
    fake::raise_event(EVENT_SYSTEM_FOREGROUND, gone);
    EXPECT_EQ(fake::open_handles(), 0);

    turn_off();
    HWND later = fake::add_window(notepad);
    fake::raise_event(EVENT_OBJECT_CREATE, later);
    EXPECT_TRUE(is_plain(later));
}

TEST_F(Events, PassesSurviveWindowsAndProcessesVanishingAndHooksThatFail)
{
    use_settings({{"global", "always"}, {"globallevel", "80"}});
    static HWND victim;
    static DWORD victim_process;
    victim_process = fake::add_process("C:\\Apps\\short.exe");
    HWND first = fake::add_window(victim_process);
    victim = fake::add_window(fake::add_process("C:\\Apps\\brief.exe"));
    HWND last = app_window("C:\\Apps\\stays.exe");
    // z-order: last, victim, first, shell window. Both go while the pass is on "last".
    fake::during_enumeration(0, [] {
        fake::destroy_window(victim);
        fake::exit_process(victim_process);
    });
    fake::fail_hooks(true);
    turn_on();
    EXPECT_TRUE(has_alpha(last, 80));
    EXPECT_FALSE(fake::window(victim).exists);
    EXPECT_FALSE(fake::window(first).exists);
    EXPECT_TRUE(fake::active_hooks().empty());
    turn_off();   // removing hooks that were never installed fails quietly
    EXPECT_TRUE(is_plain(last));
    EXPECT_EQ(fake::open_handles(), 0);
}

TEST_F(Events, CreationEventsChangeTopLevelWindowsOnlyAndOtherObjectsCostNoLookup)
{
    use_settings({{"appname0", "notepad"}, {"rule0", "always"}, {"level0", "150"}});
    fake::set_version(VER_PLATFORM_WIN32_NT, 10, 0);   // child windows can be layered
    turn_on();
    DWORD notepad = fake::add_process("C:\\Windows\\notepad.exe");
    HWND main = fake::add_window(notepad);
    fake::raise_event(EVENT_OBJECT_CREATE, main);
    ASSERT_TRUE(has_alpha(main, 150));
    int lookups = fake::lookups_of(notepad);

    // A reconfigure changes no window at once, so an event that wrongly reached the main
    // window again would show as the new level.
    use_settings({{"appname0", "notepad"}, {"rule0", "always"}, {"level0", "60"}});
    HWND edit = fake::add_child_window(main);
    HWND nested = fake::add_child_window(edit);
    struct {
        const char *name;
        HWND window;
        LONG object_id, child_id;
    } ignored[] = {
        {"child control", edit, OBJID_WINDOW, CHILDID_SELF},
        {"child of a child", nested, OBJID_WINDOW, CHILDID_SELF},
        {"caret in the main window", main, fake::CARET_OBJECT, CHILDID_SELF},
        {"caret in the control", edit, fake::CARET_OBJECT, CHILDID_SELF},
        {"an element of the main window", main, OBJID_WINDOW, 3},
    };
    for (auto &event : ignored) {
        SCOPED_TRACE(event.name);
        fake::raise_event(EVENT_OBJECT_CREATE, event.window, 0, event.object_id, event.child_id);
        EXPECT_EQ(fake::lookups_of(notepad), lookups);
    }
    EXPECT_TRUE(has_alpha(main, 150));
    EXPECT_TRUE(is_plain(edit));
    EXPECT_TRUE(is_plain(nested));

    // An owned pop-up is a top-level window of its own.
    HWND popup = fake::add_window(notepad, {.style = (LONG)WS_POPUP, .owner = main});
    fake::raise_event(EVENT_OBJECT_CREATE, popup);
    EXPECT_TRUE(has_alpha(popup, 60));

    turn_off();
    for (HWND w : {main, edit, nested, popup})
        EXPECT_TRUE(is_plain(w));
}

TEST_F(Events, EventsStillQueuedWhenTheHooksGoChangeNothing)
{
    use_settings({{"appname0", "notepad"}, {"rule0", "always"}, {"level0", "150"}});
    DWORD notepad = fake::add_process("C:\\Windows\\notepad.exe");
    turn_on();
    HWND on_time = fake::add_window(notepad);
    fake::queue_event(EVENT_OBJECT_CREATE, on_time);
    fake::deliver_queued_events();
    EXPECT_TRUE(has_alpha(on_time, 150));

    // Delivered inside the restore pass, and after turn off.
    HWND inside = fake::add_window(notepad);
    fake::queue_event(EVENT_OBJECT_CREATE, inside);
    fake::during_enumeration(0, fake::deliver_queued_events);
    turn_off();
    EXPECT_TRUE(is_plain(inside));
    EXPECT_TRUE(is_plain(on_time));

    turn_on();
    HWND after = fake::add_window(notepad);
    fake::queue_event(EVENT_OBJECT_CREATE, after);
    turn_off();
    fake::deliver_queued_events();
    EXPECT_TRUE(is_plain(after));
}
