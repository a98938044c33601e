// A soak of the shell and the plug-in: applications open and close windows without pause
// while the shell toggles the effect, reconfigures, and gets foreground and move events for
// windows that may be gone already; in the middle, one application stops handling messages
// for ten seconds, and another keeps opening windows and then staying busy for a moment, as
// slow-starting programs do; it starts that way too. Throughout, the shell must keep
// answering and show no message box; each busy window must have its level within a second
// of its program answering again; at the end the shell must hold no more handles than
// before, and after -quit no window of any of the applications may be left layered.
//
// It runs LUMIVANE_SOAK_SECONDS seconds (20 when unset); scripts/soak.sh runs a long one.
// The figures of the run are printed at the end.
#include "live_desktop.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iostream>

namespace {

const DWORD HANG_SECONDS = 10;
const BYTE FROZEN_LEVEL = 160;
const BYTE SLOWPOKE_LEVEL = 110;
// How long the slow starter stays busy after opening a window.
const char BUSY_MS[] = "2500";
// How long the shell may take to answer a probe: less than the busy and hung programs stay
// busy, so a shell that waited for one of them fails; more than a loaded machine takes.
const DWORD SHELL_ANSWER_LIMIT_MS = 2000;
// Handles the host may hold after the soak beyond those it held before: the system's own
// bookkeeping moves by a few; one handle lost per window looked up would be thousands.
const long HANDLE_SLACK = 10;
// What each churning app keeps open, and how often it opens one more and closes the oldest:
// every 50 ms, slower where everything is (emulated, a churn step alone can take that long and
// keep the app from answering the plug-in's 200 ms check at quit).
std::string churn_command()
{
    return "churn 4 " + std::to_string(50 * time_scale());
}

int soak_seconds()
{
    const char *text = getenv("LUMIVANE_SOAK_SECONDS");
    int seconds = text ? atoi(text) : 0;
    return seconds > 0 ? seconds : 20;
}

// CHURNA's level changes with every reconfigure; the other levels stay.
std::string soak_settings(int churna_level)
{
    return "Lumivane.plugin.focuslevel: 230\n" +
           settings_entry(0, "CHURNA", "ALWAYS", churna_level) +
           settings_entry(1, "CHURNB", "FOCUS", 120) + settings_entry(2, "CHURNC", "MOVING", 100) +
           settings_entry(3, "FROZEN", "ALWAYS", FROZEN_LEVEL) +
           settings_entry(4, "SLOWPOKE", "ALWAYS", SLOWPOKE_LEVEL);
}

// Asks the shell's main window, from a thread of its own every 50 ms, whether it answers,
// until stopped; counts the probes and keeps the slowest answer in milliseconds (a probe not
// answered in 10 s counts as 10 s). The counts are read once it has stopped.
struct ShellProbe {
    ShellProbe() { thread = CreateThread(NULL, 0, run, this, 0, NULL); }
    ~ShellProbe() { stop(); }
    void stop()
    {
        if (!thread)
            return;
        stopping = 1;
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
        thread = NULL;
    }

    static DWORD WINAPI run(LPVOID self)
    {
        ShellProbe *probe = static_cast<ShellProbe *>(self);
        while (!probe->stopping) {
            DWORD_PTR result = 0;
            DWORD start = GetTickCount();
            SendMessageTimeoutA(probe->shell, WM_NULL, 0, 0, 0, 10000, &result);
            probe->slowest_ms = std::max(probe->slowest_ms, long(GetTickCount() - start));
            ++probe->probes;
            Sleep(50);
        }
        return 0;
    }

    HWND shell = FindWindowA("BlackboxClass", NULL);
    HANDLE thread = NULL;
    volatile LONG stopping = 0;
    long probes = 0, slowest_ms = 0;
};

// One entry of the system's handle list (SystemExtendedHandleInformation).
struct SystemHandle {
    PVOID object;
    ULONG_PTR process_id;
    ULONG_PTR value;
    ULONG access;
    USHORT creator_back_trace;
    USHORT type;
    ULONG attributes;
    ULONG reserved;
};

struct SystemHandleList {
    ULONG_PTR count;
    ULONG_PTR reserved;
    SystemHandle handles[1];
};

// The handles a process holds, counted in the system's handle list, or -1.
long handles_listed_for(DWORD process_id)
{
    using QuerySystemInformation = LONG(WINAPI *)(ULONG, PVOID, ULONG, PULONG);
    const ULONG EXTENDED_HANDLE_INFORMATION = 64;
    const LONG INFO_LENGTH_MISMATCH = static_cast<LONG>(0xC0000004);
    auto query = reinterpret_cast<QuerySystemInformation>(reinterpret_cast<void (*)(void)>(
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    if (!query)
        return -1;
    std::vector<char> buffer(1 << 20);
    LONG status;
    ULONG length = 0;
    while ((status = query(EXTENDED_HANDLE_INFORMATION, buffer.data(),
                           static_cast<ULONG>(buffer.size()), &length)) == INFO_LENGTH_MISMATCH)
        buffer.resize(buffer.size() * 2);
    if (status != 0)
        return -1;
    const auto *list = reinterpret_cast<const SystemHandleList *>(buffer.data());
    long count = 0;
    for (ULONG_PTR i = 0; i < list->count; ++i)
        count += list->handles[i].process_id == process_id;
    return count;
}

// The handles a process holds, or -1 when that cannot be read. Wine 8 answers 0 to
// GetProcessHandleCount for every process; its system handle list is right.
long handle_count(DWORD process_id)
{
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, process_id);
    if (!process)
        return -1;
    DWORD count = 0;
    BOOL read = GetProcessHandleCount(process, &count);
    CloseHandle(process);
    if (read && count > 0)
        return static_cast<long>(count);
    return handles_listed_for(process_id);
}

// Every message box on the desktop (the dialog class), from any process: a crash report
// comes from a process of its own.
::testing::AssertionResult no_message_box()
{
    ::testing::AssertionResult result = ::testing::AssertionSuccess();
    for (HWND window : top_level_windows("#32770")) {
        char title[128] = "";
        GetWindowTextA(window, title, sizeof title);
        if (result)
            result = ::testing::AssertionFailure();
        result << "message box \"" << title << "\" of process " << process_of(window) << "\n";
    }
    return result;
}

// The windows of these processes that are layered, each with its title and look.
std::vector<std::string> layered_windows_of(const std::vector<DWORD> &process_ids)
{
    std::vector<std::string> layered;
    for (DWORD process_id : process_ids) {
        for (HWND window : top_level_windows(nullptr, process_id)) {
            if (!(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_LAYERED))
                continue;
            char title[64] = "";
            GetWindowTextA(window, title, sizeof title);
            layered.push_back("'" + std::string(title) + "' of process " +
                              std::to_string(process_id) + ": " + describe(look_at(window)));
        }
    }
    return layered;
}

struct Figures {
    long created = 0, destroyed = 0;
    int toggles = 0, reconfigures = 0, events = 0;
    double slowest_toggle_ms = 0;   // with no application hung
    std::vector<double> hung_toggle_ms;
    double hung_toggle_limit_ms = 0;
    long handles_before = 0, handles_after = 0;
    int layered_left = -1;
    int busy_windows = 0, busy_left_without_level = 0;
    long shell_probes = 0, shell_slowest_answer_ms = 0;
};

void print(const Figures &figures, int seconds)
{
    std::cout << "soak: " << seconds << " s\n"
              << "  windows created " << figures.created << ", destroyed " << figures.destroyed
              << "\n  toggles " << figures.toggles << ", reconfigures " << figures.reconfigures
              << ", events raised " << figures.events << "\n  slowest toggle "
              << figures.slowest_toggle_ms << " ms"
              << "\n  toggles while an app hung " << figures.hung_toggle_ms.size() << " (limit "
              << figures.hung_toggle_limit_ms << " ms), in ms:";
    for (double milliseconds : figures.hung_toggle_ms)
        std::cout << " " << milliseconds;
    std::cout << "\n  windows opened by a busy program " << figures.busy_windows
              << ", without their level a second after it answered "
              << figures.busy_left_without_level << "\n  shell probes " << figures.shell_probes
              << ", slowest answer " << figures.shell_slowest_answer_ms << " ms"
              << "\n  host handles before " << figures.handles_before << ", after "
              << figures.handles_after << "\n  windows left layered after -quit "
              << figures.layered_left << std::endl;
}

// Stops an app's churn. Its answer, "churned CREATED DESTROYED", counts from the app's start;
// the last one of each app goes into the figures, when given.
::testing::AssertionResult stop_churn(TargetApp &app, Figures *figures = nullptr)
{
    app.process().send_line("churn stop");
    auto line = app.process().wait_for_prefix("churned ", SETTLE_MS);
    long created = 0, destroyed = 0;
    if (!line || sscanf(line->c_str(), "churned %ld %ld", &created, &destroyed) != 2) {
        return ::testing::AssertionFailure()
               << app.name() << " did not stop churning\n" << app.process().transcript();
    }
    if (figures) {
        figures->created += created;
        figures->destroyed += destroyed;
    }
    return ::testing::AssertionSuccess();
}

}  // namespace

TEST_F(LiveDesktop, SoakOfChurningWindowsTogglesReconfiguresStaleEventsAndAHungApplication)
{
    const int seconds = soak_seconds();
    int churna_level = 150;
    write_settings(soak_settings(churna_level));
    TargetApp &frozen = start_app("FROZEN", {{"visible", "one"}, {"visible", "two"}});
    std::vector<TargetApp *> churners = {&start_app("CHURNA", {}), &start_app("CHURNB"),
                                         &start_app("CHURNC", {})};
    std::vector<DWORD> app_processes = {frozen.process().id()};
    for (TargetApp *app : churners)
        app_processes.push_back(app->process().id());
    ASSERT_NO_FATAL_FAILURE(start_host());
    ShellProbe probe;
    Figures figures;
    bool effect_on = true;
    // A window of a program that was busy when it appeared has the look the switch asks for
    // within a second of the program answering.
    auto busy_window_settles = [&](HWND window) {
        ++figures.busy_windows;
        ExpectedLook wanted = effect_on ? translucent(SLOWPOKE_LEVEL) : opaque();
        ::testing::AssertionResult settled = looks_become({{window, wanted}}, 1000 * time_scale());
        figures.busy_left_without_level += !settled;
        return settled;
    };
    TargetApp &slowpoke = start_app("SLOWPOKE", {{"visible", "first"}, {"busy-start", BUSY_MS}});
    app_processes.push_back(slowpoke.process().id());
    EXPECT_TRUE(busy_window_settles(slowpoke.window("first")));
    auto open_busy_window = [&](int round) {
        std::string title = "busy" + std::to_string(round);
        std::string command = std::string("openbusy ") + BUSY_MS + " visible " + title;
        HWND window = slowpoke.open_by_command(command, title);
        ASSERT_TRUE(window);
        ASSERT_TRUE(slowpoke.process().wait_for_line(
            [&](const std::string &line) { return line == "done " + command; }, SETTLE_MS));
        EXPECT_TRUE(busy_window_settles(window));
    };
    const std::vector<Expectation> frozen_translucent = {
        {frozen.window("one"), translucent(FROZEN_LEVEL)},
        {frozen.window("two"), translucent(FROZEN_LEVEL)}};
    // Turned off while hung, they can't lose the layered style yet, only become opaque.
    const std::vector<Expectation> frozen_opaque = {{frozen.window("one"), translucent(255)},
                                                    {frozen.window("two"), translucent(255)}};
    ASSERT_TRUE(looks_are(frozen_translucent));
    // A hidden window, made translucent by its creation event, which -quit must restore too.
    HWND tucked = churners[0]->open("hidden", "tucked");
    ASSERT_TRUE(looks_become({{tucked, translucent(static_cast<BYTE>(churna_level))}}));
    // A toggle while the frozen app hangs has figures of its own.
    auto timed_toggle = [&](bool while_hung = false) {
        double milliseconds = 0;
        ASSERT_TRUE(deliver_timed("-exec @LumivaneTog", TOGGLED, &milliseconds));
        effect_on = !effect_on;
        ++figures.toggles;
        if (while_hung)
            figures.hung_toggle_ms.push_back(milliseconds);
        else
            figures.slowest_toggle_ms = std::max(figures.slowest_toggle_ms, milliseconds);
    };
    auto change_level = [&] {
        churna_level = churna_level == 150 ? 90 : 150;
        write_settings(soak_settings(churna_level));
        ASSERT_TRUE(reconfigure());
        ++figures.reconfigures;
    };
    // Whatever the host and the plug-in set up once is in place before the count.
    for (int i = 0; i < 2; ++i)
        ASSERT_NO_FATAL_FAILURE(timed_toggle());
    ASSERT_NO_FATAL_FAILURE(change_level());
    figures.handles_before = handle_count(host().id());
    ASSERT_GT(figures.handles_before, 0) << "cannot read the host's handle count";

    for (TargetApp *app : churners)
        ASSERT_TRUE(app->command(churn_command()));

    // With the effect on, the frozen app's windows are layered, so the toggle that turns it
    // off must change their style: the write the hung application could hold up.
    auto toggle_while_frozen = [&] {
        if (!effect_on) {
            ASSERT_NO_FATAL_FAILURE(timed_toggle());
        }
        ASSERT_TRUE(looks_become(frozen_translucent));
        frozen.process().send_line("hang " + std::to_string(HANG_SECONDS));
        ASSERT_TRUE(frozen.process().wait_for_line(
            [](const std::string &line) { return line == "hanging"; }, SETTLE_MS));
        DWORD hang_start = GetTickCount();
        // A pass is slow under load on its own; the hang may add a moment per hung window.
        figures.hung_toggle_limit_ms =
            figures.slowest_toggle_ms + 1000.0 * frozen_translucent.size();
        while (GetTickCount() - hang_start < HANG_SECONDS * 1000 - 1000) {
            ASSERT_NO_FATAL_FAILURE(timed_toggle(true));
            EXPECT_LT(figures.hung_toggle_ms.back(), figures.hung_toggle_limit_ms)
                << "a toggle waited for the hung application";
            // A window that does not answer keeps its layered style until it answers. A
            // delivery that started late may have reached the app after the hang.
            if (GetTickCount() - hang_start < HANG_SECONDS * 1000 - 500) {
                EXPECT_TRUE(looks_are(effect_on ? frozen_translucent : frozen_opaque));
            }
        }
        // Answers again once the hang is over.
        ASSERT_TRUE(frozen.command("churnraise moveend"));
    };

    const DWORD run_ms = seconds * 1000u;
    const DWORD hang_at = run_ms > HANG_SECONDS * 1000 ? (run_ms - HANG_SECONDS * 1000) / 2 : 0;
    bool hung = false;
    DWORD start = GetTickCount();
    for (int round = 0; GetTickCount() - start < run_ms; ++round) {
        if (!hung && GetTickCount() - start >= hang_at) {
            ASSERT_NO_FATAL_FAILURE(toggle_while_frozen());
            hung = true;
        }
        for (TargetApp *app : churners) {
            for (const char *event : {"foreground", "movestart", "moveend"}) {
                ASSERT_TRUE(app->command(std::string("churnraise ") + event));
                figures.events += 2;
            }
        }
        ASSERT_NO_FATAL_FAILURE(timed_toggle());
        if (round % 3 == 2) {
            ASSERT_NO_FATAL_FAILURE(change_level());
        }
        if (round % 4 == 1) {
            ASSERT_NO_FATAL_FAILURE(open_busy_window(round));
        }
        ASSERT_TRUE(no_message_box());
    }

    // Quiet again, with the effect on as when the count was taken.
    for (TargetApp *app : churners)
        ASSERT_TRUE(stop_churn(*app));
    if (!effect_on) {
        ASSERT_NO_FATAL_FAILURE(timed_toggle());
    }
    figures.handles_after = handle_count(host().id());
    EXPECT_LE(figures.handles_after, figures.handles_before + HANDLE_SLACK)
        << "the host lost handles during the soak";
    // The plug-in still acts on what the last reconfigure said.
    HWND late = churners[0]->open("visible", "late");
    ASSERT_TRUE(late);
    EXPECT_TRUE(looks_become({{late, translucent(static_cast<BYTE>(churna_level))},
                              {frozen.window("one"), translucent(FROZEN_LEVEL)}}));

    // Quitting while the windows keep coming and going.
    for (TargetApp *app : churners)
        ASSERT_TRUE(app->command(churn_command()));
    probe.stop();
    figures.shell_probes = probe.probes;
    figures.shell_slowest_answer_ms = probe.slowest_ms;
    EXPECT_LT(figures.shell_slowest_answer_ms, (long)(SHELL_ANSWER_LIMIT_MS * time_scale()));
    EXPECT_TRUE(quit_host());
    for (TargetApp *app : churners)
        ASSERT_TRUE(stop_churn(*app, &figures));
    std::vector<std::string> layered = layered_windows_of(app_processes);
    figures.layered_left = static_cast<int>(layered.size());
    EXPECT_TRUE(layered.empty()) << ::testing::PrintToString(layered);
    EXPECT_TRUE(no_message_box());
    print(figures, seconds);
}

// Events keep coming while the shell quits, and the host frees the library straight after
// endPlugin and runs on a moment, as real shells do: events still queued for the plug-in's
// hooks then arrive after it has ended. Over many quit cycles the host never crashes, and
// no window is left layered.
TEST_F(LiveDesktop, QuittingAmidABurstOfEventsNeverRunsFreedCodeAndLeavesNothingLayered)
{
    const int cycles = time_scale() > 1 ? 3 : 20;
    const BYTE ALWAYS_LEVEL = 150;
    write_settings(settings_entry(0, "BURSTA", "ALWAYS", ALWAYS_LEVEL) +
                   settings_entry(1, "BURSTF", "FOCUS", 120));
    std::vector<TargetApp *> apps = {&start_app("BURSTA", {{"visible", "one"}, {"hidden", "two"}}),
                                     &start_app("BURSTF", {{"visible", "one"}, {"visible", "two"}})};
    std::vector<DWORD> app_processes;
    for (TargetApp *app : apps)
        app_processes.push_back(app->process().id());
    // A round of events every 25 ms. Faster, Wine's server at times held the shell for over
    // 10 s in a read of an app's memory (the plug-in's path lookup), emulated even at 10 ms.
    const std::string burst = "burst " + std::to_string(1500 * time_scale()) + " " +
                              std::to_string(25 * time_scale());
    for (int cycle = 0; cycle < cycles; ++cycle) {
        SCOPED_TRACE("quit cycle " + std::to_string(cycle));
        ASSERT_NO_FATAL_FAILURE(start_host());
        ASSERT_TRUE(looks_become({{apps[0]->window("one"), translucent(ALWAYS_LEVEL)}}));
        for (TargetApp *app : apps) {
            app->process().send_line(burst);
            ASSERT_TRUE(app->process().wait_for_line(
                [](const std::string &line) { return line == "bursting"; }, SETTLE_MS));
        }
        ASSERT_TRUE(quit_host());
        for (TargetApp *app : apps) {
            ASSERT_TRUE(app->process().wait_for_line(
                [&](const std::string &line) { return line == "done " + burst; }, SETTLE_MS));
        }
        std::vector<std::string> layered = layered_windows_of(app_processes);
        EXPECT_TRUE(layered.empty()) << ::testing::PrintToString(layered);
        ASSERT_TRUE(no_message_box());
    }
}
