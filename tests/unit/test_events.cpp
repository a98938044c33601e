// The switch, the passes it runs, and the rules brought to life by window events.
#include <algorithm>

#include "../../common/frame_host.h"
#include "../../plugin/exports.h"
#include "../../plugin/shell_waits.h"
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
    // Its own hook: a range from creation on would bring the busy location and name changes.
    int parent = index_of(calls, "SetWinEventHook(0x800f,0x800f,0x1)");
    int pass = index_of(calls, "EnumWindows");
    EXPECT_TRUE(create >= 0 && create < foreground && foreground < movesize &&
                movesize < parent && parent < pass);
    EXPECT_EQ(fake::active_hooks(), HOOKS);
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
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "UnhookWinEvent"), HOOKS);
    EXPECT_LT(index_of(calls, "UnhookWinEvent", HOOKS - 1), index_of(calls, "EnumWindows"));
    EXPECT_EQ(fake::active_hooks(), 0);
    EXPECT_TRUE(is_plain(shown));
    EXPECT_TRUE(is_plain(tucked));   // the restore pass reaches hidden windows too
    EXPECT_TRUE(has_alpha(hidden, 30));   // never changed, so never given anything back

    // On again: hooks anew and the ALWAYS pass again; off twice restores twice: a window
    // hung through the first is only made opaque until the second.
    turn_on();
    EXPECT_EQ(fake::active_hooks(), HOOKS);
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
    use_settings(entry0("notepad", "always", "150"));
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
    EXPECT_EQ(fake::active_hooks(), 0);
    turn_off();   // removing hooks that were never installed fails quietly
    EXPECT_TRUE(is_plain(last));
    EXPECT_EQ(fake::open_handles(), 0);
}

TEST_F(Events, CreationEventsChangeTopLevelWindowsOnlyAndOtherObjectsCostNoLookup)
{
    use_settings(entry0("notepad", "always", "150"));
    fake::set_version(VER_PLATFORM_WIN32_NT, 10, 0);   // child windows can be layered
    turn_on();
    DWORD notepad = fake::add_process("C:\\Windows\\notepad.exe");
    HWND main = fake::add_window(notepad);
    fake::raise_event(EVENT_OBJECT_CREATE, main);
    ASSERT_TRUE(has_alpha(main, 150));
    int lookups = fake::lookups_of(notepad);

    // A reconfigure changes no window at once, so an event that wrongly reached the main
    // window again would show as the new level.
    use_settings(entry0("notepad", "always", "60"));
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

// A frame of ApplicationFrameHost.exe is named by the program of its content, however the
// content comes; the content window itself is never made layered, neither as a child nor
// taken out of its frame, and a window made inside it costs no lookup. A frame without
// content that can be named is left as it is by every pass and event.
TEST_F(Events, FramesAreDecidedByTheProgramOfTheirContent)
{
    enum Content { AT_START, MADE_INSIDE_LATER, MOVED_IN_LATER, NONE, ENDED, TAKEN_OUT,
                   MINIMIZED_SILENT, IN_FRONT };
    struct Case {
        const char *name;
        const char *rule;   // of the content's program
        Content content;
        BYTE level;         // of the frame in the end; 255: never changed
        bool host_excluded = false;
    } cases[] = {
        {"ALWAYS, content there at start", "always", AT_START, 120},
        {"ALWAYS, content made inside later (creation event)", "always", MADE_INSIDE_LATER, 120},
        {"ALWAYS, content moved in later (parent change)", "always", MOVED_IN_LATER, 120},
        {"FOCUS, another window in front", "focus", AT_START, 120},
        {"FOCUS, the content in front", "focus", IN_FRONT, 200},
        {"MOVING, the frame moved", "moving", AT_START, 120},
        {"no content", "always", NONE, 255},
        {"content of an ended process", "always", ENDED, 255},
        {"content taken out (minimized) and back: kept as it is", "always", TAKEN_OUT, 120},
        {"FOCUS, minimized with its content silent, restored", "focus", MINIMIZED_SILENT, 120},
        {"the frame host excluded", "always", AT_START, 255, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        // The frame host's own entry would give 30.
        Keys keys = {{"appname0", "calc"}, {"rule0", c.rule}, {"level0", "120"},
                     {"appname1", "framehost"}, {"rule1", "always"}, {"level1", "30"},
                     {"focuslevel", "200"}};
        if (c.host_excluded)
            keys["exclude0"] = "framehost";
        use_settings(keys);
        HWND other = app_window("C:\\Apps\\other.exe");
        HWND frame = frame_window();
        const std::string calc = "C:\\Program Files\\WindowsApps\\Microsoft.WindowsCalculator_"
                                 "11.2307.4.0_x64__8wekyb3d8bbwe\\CalculatorApp.exe";
        HWND content = nullptr;
        if (c.content == AT_START || c.content >= TAKEN_OUT)
            content = add_content(frame, calc);
        if (c.content == ENDED)
            content = add_content(frame, calc, {.can_open = false});
        ASSERT_EQ(beginPlugin(fake::plugin_module()), 0);
        if (c.content == MADE_INSIDE_LATER) {
            content = add_content(frame, calc);
            fake::raise_event(EVENT_OBJECT_CREATE, content);
        }
        if (c.content == MOVED_IN_LATER) {
            content = fake::add_window(fake::add_process(calc), {.visible = false});
            fake::raise_event(EVENT_OBJECT_CREATE, content);
            fake::set_parent(content, frame);
            fake::raise_event(EVENT_OBJECT_PARENTCHANGE, content);
        }
        if (c.content == TAKEN_OUT || c.content == MINIMIZED_SILENT) {
            fake::set_parent(content, nullptr);
            fake::raise_event(EVENT_OBJECT_PARENTCHANGE, content);
            fake::set_hung(content, c.content == MINIMIZED_SILENT);
            always_pass();
            fake::raise_event(EVENT_SYSTEM_FOREGROUND, c.content == TAKEN_OUT ? frame : other);
            EXPECT_TRUE(is_plain(content));
            fake::set_parent(content, frame);
            fake::raise_event(EVENT_OBJECT_PARENTCHANGE, content);
            fake::set_hung(content, false);
            fake::pass_time(RETRY_INTERVAL_MS);
        }
        if (c.content == IN_FRONT) {
            fake::raise_event(EVENT_SYSTEM_FOREGROUND, other);
            fake::raise_event(EVENT_SYSTEM_FOREGROUND, content);
        } else {
            fake::raise_event(EVENT_SYSTEM_FOREGROUND, other);
            fake::raise_event(EVENT_SYSTEM_MOVESIZESTART, frame);
        }
        if (c.level == 255)
            EXPECT_EQ(writes(frame), 0);
        else
            EXPECT_TRUE(has_alpha(frame, c.level));
        if (content && GetAncestor(content, GA_ROOT) != content) {
            EXPECT_TRUE(is_plain(content));
            DWORD app = 0;
            GetWindowThreadProcessId(content, &app);
            // The frame is decided once for its content, not for every window made inside.
            auto lookups_after_a_window_made_inside = [&] {
                fake::raise_event(EVENT_OBJECT_CREATE, fake::add_child_window(content, {}, app));
                return fake::lookups_of(app) + fake::lookups_of(frame_host);
            };
            int lookups = lookups_after_a_window_made_inside();
            EXPECT_EQ(lookups_after_a_window_made_inside(), lookups);
        }
        endPlugin(fake::plugin_module());
        EXPECT_TRUE(is_plain(frame));
    }
}

// A level set with @LumivaneLevel replaces the window's rule through foreground changes,
// moves and reconfigures, and goes at switch-off: after switch-on the rule holds again.
TEST_F(Events, ALevelSetOnTheFlyIsHeldInPlaceOfTheRuleUntilSwitchOff)
{
    // The rule, and the window's level after switch-on and a foreground change (255: plain).
    const std::pair<const char *, BYTE> cases[] = {
        {"always", 60}, {"focus", 60}, {"moving", 255}, {"", 255}};
    for (auto [rule, after_switch_on] : cases) {
        SCOPED_TRACE(rule);
        SetUp();
        write_settings(entry0("held", rule, "120"));
        HWND held = app_window("C:\\Apps\\held.exe");
        HWND other = app_window("C:\\Apps\\other.exe");
        ASSERT_EQ(beginPlugin(fake::plugin_module()), 0);
        fake::raise_event(EVENT_SYSTEM_FOREGROUND, held);
        fake::broadcast("@LumivaneLevel 90");
        fake::raise_event(EVENT_SYSTEM_FOREGROUND, other);
        fake::raise_event(EVENT_SYSTEM_MOVESIZESTART, held);
        fake::raise_event(EVENT_SYSTEM_MOVESIZEEND, held);
        EXPECT_TRUE(has_alpha(held, 90));
        write_settings(entry0("held", rule, "60"));
        fake::reconfigure();
        fake::raise_event(EVENT_SYSTEM_FOREGROUND, held);
        EXPECT_TRUE(has_alpha(held, 90));

        fake::broadcast("@LumivaneTog");
        EXPECT_TRUE(is_plain(held));
        EXPECT_EQ(fake::window(held).properties, 0);
        fake::broadcast("@LumivaneTog");
        fake::raise_event(EVENT_SYSTEM_FOREGROUND, other);
        EXPECT_TRUE(after_switch_on == 255 ? is_plain(held) : has_alpha(held, after_switch_on));
        endPlugin(fake::plugin_module());
    }
}

// A frame's content is looked for among its first children only, and the first child of
// another process ends the search.
TEST_F(Events, AFrameWithHundredsOfChildrenIsLookedUpInBoundedTime)
{
    use_settings({{"appname0", "calc"}, {"rule0", "always"}, {"level0", "120"}});
    HWND first = frame_window();
    add_content(first, "C:\\Apps\\calc.exe");
    HWND crowded = frame_window();
    for (int i = 0; i < 300; ++i) {
        fake::add_child_window(first);
        fake::add_child_window(crowded);
    }
    add_content(crowded, "C:\\Apps\\calc.exe");
    fake::clear_calls();
    always_pass();
    std::vector<std::string> calls = fake::calls();
    // The first frame's title bar, then its content; then the children looked at, and one.
    EXPECT_LE(std::count(calls.begin(), calls.end(), "GetWindow"), 2 + FRAME_CHILDREN_LOOKED_AT + 1);
    EXPECT_TRUE(has_alpha(first, 120));
    EXPECT_TRUE(is_plain(crowded));   // its content lies past the children looked at
}

TEST_F(Events, EventsStillQueuedWhenTheHooksGoChangeNothing)
{
    use_settings(entry0("notepad", "always", "150"));
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

    // Queued when the shell quits and frees the library straight after endPlugin, as shells
    // do: none of them may run code that is gone.
    ASSERT_EQ(beginPlugin(fake::plugin_module()), 0);
    HWND at_quit = fake::add_window(notepad);
    for (DWORD event : {EVENT_OBJECT_CREATE, EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_MOVESIZESTART})
        fake::queue_event(event, at_quit);
    endPlugin(fake::plugin_module());
    fake::free_plugin();
    fake::deliver_queued_events();
    fake::pass_time(60000);
    EXPECT_EQ(fake::calls_into_freed_plugin(), 0);
    EXPECT_TRUE(is_plain(at_quit));
}

// A window whose thread is busy when its rule applies: the shell waits on it once, at most
// the answer timeout, and it gets its look once its thread answers, as decided then.
TEST_F(Events, ABusyWindowGetsItsLookOnceItAnswersAndTheShellWaitsOnItOnce)
{
    enum Step { CREATE, FOREGROUND_OTHER, MOVE_START, MOVE_END, TOGGLE, EXCLUDE };
    struct Case {
        const char *what;
        const char *rule;
        std::vector<Step> while_busy;
        BYTE level_then;   // once it answers; 255: as it was
    } cases[] = {
        {"ALWAYS, created", "always", {CREATE}, 120},
        {"FOCUS, another window forward", "focus", {FOREGROUND_OTHER, FOREGROUND_OTHER}, 120},
        {"MOVING, still moved", "moving", {MOVE_START}, 120},
        {"MOVING, the move over before it answers", "moving", {MOVE_START, MOVE_END}, 255},
        {"ALWAYS, the effect off meanwhile", "always", {CREATE, TOGGLE}, 255},
        {"ALWAYS, excluded meanwhile", "always", {CREATE, EXCLUDE}, 255},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        Keys settings = entry0("slowpoke", c.rule, "120");
        write_settings(settings);
        HWND other = app_window("C:\\Apps\\other.exe");
        ASSERT_EQ(beginPlugin(fake::plugin_module()), 0);
        HWND busy = app_window("C:\\Apps\\slowpoke.exe", {.hung = true});
        for (Step step : c.while_busy) {
            switch (step) {
            case CREATE: fake::raise_event(EVENT_OBJECT_CREATE, busy); break;
            case FOREGROUND_OTHER: fake::raise_event(EVENT_SYSTEM_FOREGROUND, other); break;
            case MOVE_START: fake::raise_event(EVENT_SYSTEM_MOVESIZESTART, busy); break;
            case MOVE_END: fake::raise_event(EVENT_SYSTEM_MOVESIZEEND, busy); break;
            case TOGGLE: fake::broadcast("@LumivaneTog"); break;
            case EXCLUDE:
                settings["exclude0"] = "slow";
                write_settings(settings);
                fake::reconfigure();
                break;
            }
            fake::pass_time(1000);
        }
        EXPECT_TRUE(is_plain(busy));
        DWORD waited = fake::waited_ms();
        EXPECT_LE(waited, ANSWER_TIMEOUT_MS + RETRY_TIMEOUT_MS * (1000 / RETRY_INTERVAL_MS) *
                                             c.while_busy.size());

        fake::set_hung(busy, false);
        fake::pass_time(RETRY_INTERVAL_MS);
        if (c.level_then == 255)
            EXPECT_EQ(writes(busy), 0);
        else
            EXPECT_TRUE(has_alpha(busy, c.level_then));
        EXPECT_EQ(fake::running_timers(), 0);   // nothing waits any more
        endPlugin(fake::plugin_module());
        EXPECT_TRUE(is_plain(busy));
    }
}

// Windows that never answer or go while they wait cost a bounded amount, and nothing of the
// plug-in runs after endPlugin.
TEST_F(Events, WaitingWindowsAreBoundedForgottenWhenGoneAndNeverOutliveTheEnd)
{
    use_settings({{"global", "always"}, {"globallevel", "90"}});
    ASSERT_EQ(beginPlugin(fake::plugin_module()), 0);
    // More windows that never answer than there is room for.
    std::vector<HWND> hung;
    for (int i = 0; i < WAITING_SLOTS + 4; ++i) {
        hung.push_back(app_window("C:\\Apps\\stuck.exe", {.hung = true}));
        fake::raise_event(EVENT_OBJECT_CREATE, hung.back());
    }
    fake::pass_time(10 * RETRY_INTERVAL_MS);
    // The busy window that came last still gets its level once it answers.
    HWND busy = app_window("C:\\Apps\\slowpoke.exe", {.hung = true});
    fake::raise_event(EVENT_OBJECT_CREATE, busy);
    fake::set_hung(busy, false);
    DWORD waited = fake::waited_ms();
    fake::pass_time(RETRY_INTERVAL_MS);
    EXPECT_TRUE(has_alpha(busy, 90));
    // Each retry costs at most one short wait per waiting window.
    EXPECT_LE(fake::waited_ms() - waited, (DWORD)(WAITING_SLOTS * RETRY_TIMEOUT_MS));

    // Windows that go while they wait cost nothing later: no timer, no wait.
    for (HWND w : hung)
        fake::destroy_window(w);
    fake::pass_time(RETRY_INTERVAL_MS);
    waited = fake::waited_ms();
    fake::pass_time(60000);
    EXPECT_EQ(fake::waited_ms(), waited);
    EXPECT_EQ(fake::running_timers(), 0);

    // endPlugin while windows wait: one for its level, one translucent that cannot be given
    // back yet and is made opaque. Nothing changes them after the end, answer as they may.
    HWND late = app_window("C:\\Apps\\late.exe", {.hung = true});
    fake::raise_event(EVENT_OBJECT_CREATE, late);
    fake::set_hung(busy, true);
    endPlugin(fake::plugin_module());
    EXPECT_EQ(fake::running_timers(), 0);
    EXPECT_TRUE(has_alpha(busy, 255));
    EXPECT_EQ(fake::window(busy).properties, 1);   // its record, for a later run
    fake::set_hung(late, false);
    fake::set_hung(busy, false);
    int before = writes(late) + writes(busy);
    fake::pass_time(60000);
    EXPECT_EQ(writes(late) + writes(busy), before);
    EXPECT_TRUE(is_plain(late));

    // A later run gives it back.
    ASSERT_EQ(beginPlugin(fake::plugin_module()), 0);
    fake::broadcast("@LumivaneTog");
    EXPECT_TRUE(is_plain(busy));
    endPlugin(fake::plugin_module());
}

// While the shell's thread waits on another thread it handles the messages sent to it, so a
// toggle, a reconfigure or shut-down may run inside Lumivane's own answer check or style
// change. The window then ends as the switch and settings say once all is done, never
// half-changed (layered without attributes) or changed behind the switch.
TEST_F(Events, WorkRunInsideAWaitOnAWindowLeavesItAsDecidedAfterwards)
{
    enum Wait { ANSWER_CHECK, STYLE_CHANGE, BEFORE_STYLE_LANDS };
    void (*toggle)() = [] { fake::broadcast("@LumivaneTog"); };
    void (*quit)() = [] { endPlugin(fake::plugin_module()); };
    struct Case {
        const char *what;
        Wait wait;
        void (*action)();
        BYTE level;   // in the end; 255: as it was, with no record
    } cases[] = {
        {"toggle inside the answer check", ANSWER_CHECK, toggle, 255},
        {"toggle inside the style change", STYLE_CHANGE, toggle, 255},
        {"reconfigure inside the style change", STYLE_CHANGE,
         [] {
             write_settings(entry0("fader", "always", "60"));
             fake::reconfigure();
         },
         60},
        {"quit inside the style change", STYLE_CHANGE, quit, 255},
        {"toggle inside the style change, before it lands", BEFORE_STYLE_LANDS, toggle, 255},
        {"quit inside the style change, before it lands", BEFORE_STYLE_LANDS, quit, 255},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        write_settings(entry0("fader", "always", "120"));
        ASSERT_EQ(beginPlugin(fake::plugin_module()), 0);
        HWND window = app_window("C:\\Apps\\fader.exe");
        fake::during_wait_on(window, c.wait == STYLE_CHANGE ? 1 : 0, c.action,
                             c.wait == BEFORE_STYLE_LANDS);
        fake::raise_event(EVENT_OBJECT_CREATE, window);
        fake::pass_time(RETRY_INTERVAL_MS);
        if (c.level == 255) {
            EXPECT_TRUE(is_plain(window));
            EXPECT_EQ(fake::window(window).properties, 0);
        } else {
            EXPECT_TRUE(has_alpha(window, c.level));
        }
        // Ended, inside a wait or not, the plug-in keeps its library loaded.
        bool ended = fake::windows_of_class("Lumivane").empty();
        EXPECT_EQ(fake::plugin_self_loads(), ended ? 1 : 0);
        if (!ended)
            endPlugin(fake::plugin_module());
        EXPECT_TRUE(is_plain(window));
        EXPECT_EQ(fake::plugin_self_loads(), 1);
    }

    // Another window's event inside the wait leaves this window's change as it was: it has
    // its level at once, not at the next retry.
    SetUp();
    write_settings(entry0("fader", "always", "120"));
    ASSERT_EQ(beginPlugin(fake::plugin_module()), 0);
    static HWND other;
    HWND window = app_window("C:\\Apps\\fader.exe");
    other = app_window("C:\\Apps\\fader.exe");
    fake::during_wait_on(window, 1, [] { fake::raise_event(EVENT_OBJECT_CREATE, other); });
    fake::raise_event(EVENT_OBJECT_CREATE, window);
    EXPECT_TRUE(has_alpha(window, 120));
    EXPECT_TRUE(has_alpha(other, 120));
    endPlugin(fake::plugin_module());
}

// A pass whose wait on its first window lets a toggle, a reconfigure, shut-down or a foreground
// change run stops there if that work has decided the windows it had not reached (the
// switch, shut-down, a newer FOCUS pass); a reconfigure decides none, so the pass goes on by
// the new settings. Windows A and B are of one process, C of another; A comes first.
TEST_F(Events, APassOvertakenInsideAWaitLeavesTheWindowsItHadNotReachedToTheWorkThatDid)
{
    enum Pass { ALWAYS_PASS, FOCUS_PASS, RESTORE_PASS };
    static HWND b;
    static const char *rule;
    void (*toggle)() = [] { fake::broadcast("@LumivaneTog"); };
    void (*reconfigure)() = [] {
        // The first process is excluded; the second's level changes.
        Keys keys = entry0("fader", rule, "60");
        keys["exclude0"] = "fader.exe";
        write_settings(keys);
        fake::reconfigure();
    };
    void (*quit)() = [] { endPlugin(fake::plugin_module()); };
    void (*foreground_b)() = [] { fake::raise_event(EVENT_SYSTEM_FOREGROUND, b); };
    struct Case {
        const char *what;
        Pass pass;
        void (*action)();
        BYTE a, b, c;   // afterwards; 255: as it was, with no record
        int hooks;
    } cases[] = {
        {"ALWAYS pass, toggle", ALWAYS_PASS, toggle, 255, 255, 255, 0},
        {"ALWAYS pass, reconfigure", ALWAYS_PASS, reconfigure, 255, 255, 60, HOOKS},
        {"ALWAYS pass, quit", ALWAYS_PASS, quit, 255, 255, 255, 0},
        {"ALWAYS pass, foreground change", ALWAYS_PASS, foreground_b, 120, 120, 120, HOOKS},
        {"FOCUS pass, toggle", FOCUS_PASS, toggle, 255, 255, 255, 0},
        {"FOCUS pass, reconfigure", FOCUS_PASS, reconfigure, 255, 255, 60, HOOKS},
        {"FOCUS pass, quit", FOCUS_PASS, quit, 255, 255, 255, 0},
        {"FOCUS pass, newer foreground change", FOCUS_PASS, foreground_b, 120, 255, 120, HOOKS},
        {"restore pass, toggle", RESTORE_PASS, toggle, 120, 120, 120, HOOKS},
        {"restore pass, reconfigure", RESTORE_PASS, reconfigure, 255, 255, 255, 0},
        {"restore pass, quit", RESTORE_PASS, quit, 255, 255, 255, 0},
        {"restore pass, foreground change", RESTORE_PASS, foreground_b, 255, 255, 255, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        rule = c.pass == FOCUS_PASS ? "focus" : "always";
        Keys keys = entry0("fader", rule, "120");
        keys["focuslevel"] = "255";
        write_settings(keys);
        HWND front = app_window("C:\\Apps\\front.exe");
        HWND cw = app_window("C:\\Apps\\fader2.exe");
        DWORD first = fake::add_process("C:\\Apps\\fader.exe");
        b = fake::add_window(first);
        HWND a = fake::add_window(first);
        ASSERT_EQ(beginPlugin(fake::plugin_module()), 0);
        if (c.pass == ALWAYS_PASS)
            fake::broadcast("@LumivaneTog");
        fake::during_wait_on(a, 0, c.action);
        switch (c.pass) {
        case ALWAYS_PASS: fake::broadcast("@LumivaneTog"); break;
        case FOCUS_PASS: fake::raise_event(EVENT_SYSTEM_FOREGROUND, front); break;
        case RESTORE_PASS: fake::broadcast("@LumivaneTog"); break;
        }
        fake::pass_time(RETRY_INTERVAL_MS);
        const std::pair<HWND, BYTE> wanted[] = {{a, c.a}, {b, c.b}, {cw, c.c}};
        for (auto [window, level] : wanted) {
            SCOPED_TRACE(window == a ? "A" : window == b ? "B" : "C");
            if (level == 255) {
                EXPECT_TRUE(is_plain(window));
                EXPECT_EQ(fake::window(window).properties, 0);
            } else {
                EXPECT_TRUE(has_alpha(window, level));
            }
        }
        EXPECT_TRUE(is_plain(front));
        EXPECT_EQ(fake::active_hooks(), c.hooks);
        if (c.action != quit)
            endPlugin(fake::plugin_module());
        EXPECT_EQ(fake::active_hooks(), 0);
        for (HWND w : {a, b, cw})
            EXPECT_TRUE(is_plain(w));
    }
}
