// What a pass costs: each process looked up once (the restore pass none), and no call for a
// window that already looks as it should.
#include <algorithm>
#include <vector>

#include "desktop_fixture.h"

class PassCost : public Desktop {
protected:
    static void open_windows(DWORD process, int count, std::vector<HWND> &windows)
    {
        for (int i = 0; i < count; ++i)
            windows.push_back(fake::add_window(process));
    }

    static int total_writes(const std::vector<HWND> &windows)
    {
        int total = 0;
        for (HWND w : windows)
            total += writes(w);
        return total;
    }
};

TEST_F(PassCost, EveryPassLooksUpEachProcessOnceAndTheRestorePassNone)
{
    use_settings({{"appname0", "busy"}, {"rule0", "always"}, {"level0", "100"},
                  {"appname1", "quiet"}, {"rule1", "focus"}, {"level1", "150"}});
    DWORD busy = fake::add_process("C:\\Apps\\busy.exe");
    DWORD quiet = fake::add_process("C:\\Apps\\quiet.exe");
    std::vector<HWND> windows;
    open_windows(busy, 100, windows);
    open_windows(quiet, 40, windows);
    // Hidden and never changed: nothing to look up in any pass.
    DWORD ghost = fake::add_process("C:\\Apps\\busy-ghost.exe");
    for (int i = 0; i < 20; ++i)
        fake::add_window(ghost, {.visible = false});
    // Frames showing quiet's windows: the frame host is looked up once too. Only its windows
    // are asked for their class, and a window before Lumivane changes it; the restore pass
    // asks each window whether it is a frame.
    const int FRAMES = 5;
    for (int i = 0; i < FRAMES; ++i)
        fake::add_child_window(frame_window(), {}, quiet);

    struct {
        const char *pass;
        void (*run)();
        int lookups;   // of each process
        int classes;
    } passes[] = {
        {"ALWAYS", [] { always_pass(); }, 1, FRAMES + 100},
        {"FOCUS", [] { focus_pass(fake::shell_window(), NULL); }, 1, FRAMES + 40 + FRAMES},
        {"restore", [] { restore_pass(); }, 0, 1 + 140 + 20 + FRAMES},
    };
    for (auto &pass : passes) {
        SCOPED_TRACE(pass.pass);
        int busy_before = fake::lookups_of(busy), quiet_before = fake::lookups_of(quiet);
        int host_before = fake::lookups_of(frame_host);
        fake::clear_calls();
        pass.run();
        EXPECT_EQ(fake::lookups_of(busy) - busy_before, pass.lookups);
        EXPECT_EQ(fake::lookups_of(quiet) - quiet_before, pass.lookups);
        EXPECT_EQ(fake::lookups_of(frame_host) - host_before, pass.lookups);
        EXPECT_EQ(fake::lookups_of(ghost), 0);
        std::vector<std::string> calls = fake::calls();
        EXPECT_EQ(std::count(calls.begin(), calls.end(), "GetClassNameA"), pass.classes);
    }
    // The passes did their work on every window.
    for (HWND w : windows)
        EXPECT_TRUE(is_plain(w));
    EXPECT_EQ(fake::open_handles(), 0);
}

TEST_F(PassCost, APassOverMoreProcessesThanItsTableHoldsStillReachesEveryWindow)
{
    use_settings({{"global", "always"}, {"globallevel", "90"}});
    std::vector<DWORD> processes;
    std::vector<HWND> windows;
    for (int i = 0; i < 300; ++i) {
        processes.push_back(fake::add_process("C:\\Apps\\many" + std::to_string(i) + ".exe"));
        open_windows(processes.back(), 3, windows);
    }
    always_pass();
    for (HWND w : windows)
        EXPECT_TRUE(has_alpha(w, 90));
    for (DWORD process : processes) {
        EXPECT_GE(fake::lookups_of(process), 1);
        EXPECT_LE(fake::lookups_of(process), 3);
    }
    restore_pass();
    for (HWND w : windows)
        EXPECT_TRUE(is_plain(w));
}

TEST_F(PassCost, WindowsThatAlreadyLookRightGetNoCalls)
{
    use_settings({{"global", "focus"}, {"globallevel", "200"}, {"focuslevel", "255"},
                  {"appname0", "steady"}, {"rule0", "always"}, {"level0", "120"},
                  {"appname1", "owner"}, {"rule1", "always"}, {"level1", "180"}});
    std::vector<HWND> focused;
    for (int i = 0; i < 10; ++i)
        open_windows(fake::add_process("C:\\Apps\\app" + std::to_string(i) + ".exe"), 5, focused);
    std::vector<HWND> steady;
    open_windows(fake::add_process("C:\\Apps\\steady.exe"), 5, steady);
    // Already at the level its rule gives it, by its owner's own choice.
    HWND own = app_window("C:\\Apps\\owner.exe");
    fake::set_own_layered(own, 0, 180, LWA_ALPHA);

    turn_on();
    EXPECT_EQ(writes(own), 0);
    EXPECT_EQ(fake::window(own).properties, 0);
    int steady_writes = total_writes(steady);
    always_pass();
    EXPECT_EQ(total_writes(steady), steady_writes);

    // A foreground change among windows already at their levels changes the two that differ:
    // the old foreground window and the new one.
    HWND first = focused[0], second = focused[17];
    fake::raise_event(EVENT_SYSTEM_FOREGROUND, first);
    int before = total_writes(focused);
    fake::raise_event(EVENT_SYSTEM_FOREGROUND, second);
    EXPECT_TRUE(has_alpha(first, 200));
    EXPECT_TRUE(is_plain(second));
    EXPECT_EQ(total_writes(focused) - before, 2 + 1);   // style and attributes, then style
    before = total_writes(focused);
    fake::raise_event(EVENT_SYSTEM_FOREGROUND, second);
    EXPECT_EQ(total_writes(focused), before);

    // Never changed, so nothing is given back to it.
    turn_off();
    EXPECT_TRUE(has_alpha(own, 180));
    EXPECT_EQ(writes(own), 0);
}
