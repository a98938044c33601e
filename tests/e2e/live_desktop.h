// The one fixture of the live tests: a fresh directory holding BLACKBOX.EXE, Lumivane.dll,
// plugins.rc and the test's Lumivane.rc; the host started from there; copies of the target
// app under chosen names; reading what their windows look like. Everything started is shut
// down afterwards, the host through -quit so that the plug-in restores the windows.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "child_process.h"
#include "run_environment.h"
#include "seen_looks.h"

// Bound for anything that happens through window events, commands or process start-up.
inline const DWORD SETTLE_MS = 10000 * time_scale();

// The host's report lines for a toggle and a reconfigure that reached the plug-in's window.
const char TOGGLED[] = "delivered @LumivaneTog to 1 window(s)";
const char RECONFIGURED[] = "reconfigure delivered to 1 window(s)";

// One application: a copy of the target app under its own executable name.
class TargetApp {
public:
    TargetApp(const std::string &name, const std::string &command_line,
              const std::string &directory);

    const std::string &name() const { return name_; }
    ChildProcess &process() { return process_; }
    // The module file name the app reported for itself.
    const std::string &module() const { return module_; }
    HWND window(const std::string &title) const;
    // The title of one of its windows, or empty.
    std::string title_of(HWND window) const;

    // Waits until the app has opened its command-line windows and says "ready".
    bool wait_until_ready();
    // Any command of the app (see target_app.cpp), waiting for its "done" answer.
    bool command(const std::string &line);
    // A command that opens window title, waiting only for its handle; null when it failed.
    HWND open_by_command(const std::string &line, const std::string &title);

    // Opens a window ("visible", "hidden", "keyed", "own-alpha" or "keyed-alpha").
    HWND open(const std::string &kind, const std::string &title)
    {
        return open_by_command("open " + kind + " " + title, title);
    }
    // Opens an EDIT control inside window parent, or a pop-up window owned by window owner.
    HWND open_child(const std::string &parent, const std::string &title)
    {
        return open_by_command("child " + parent + " " + title, title);
    }
    HWND open_popup(const std::string &owner, const std::string &title)
    {
        return open_by_command("popup " + owner + " " + title, title);
    }
    // Opens this application's window inside frame, a frame of another process, as a
    // frame-hosted application shows its window.
    HWND open_content(HWND frame, const std::string &title)
    {
        char handle[32];
        snprintf(handle, sizeof handle, "%llx", (unsigned long long)(UINT_PTR)frame);
        return open_by_command("content " + std::string(handle) + " " + title, title);
    }
    // Raises "foreground", "movestart" or "moveend" for a window of this app.
    bool raise(const std::string &event, const std::string &title)
    {
        return command(event + " " + title);
    }

private:
    bool take_window_line(const std::string &line);

    std::string name_;
    ChildProcess process_;
    std::string module_;
    std::map<std::string, HWND> windows_;
};

// Which build of the target app a copy is made from: the one of the tests' own bitness, or
// the other one (x64 apps for the x86 plug-in, x86 apps for the x64 plug-in).
enum class Bitness { same, other };

// The windows a copy of the target app opens at its start, as (kind, title).
using WindowList = std::vector<std::pair<std::string, std::string>>;

class LiveDesktop : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes the plug-in's settings file Lumivane.rc beside it (in the shell's folder once
    // the plug-in has been moved to a folder of its own).
    void write_settings(const std::string &text);
    // Moves the plug-in into the shell's subfolder plugins\Lumivane, as users install it,
    // and names it there in plugins.rc.
    void install_plugin_in_own_folder();

    // Starts BLACKBOX.EXE in the test directory without waiting for anything.
    void launch_host();
    // Starts the host and waits for the plug-in's start-up to answer expected_result. Its
    // first start in a test ends the test if anything failed so far, such as an app's start.
    void start_host(int expected_result = 0);
    ChildProcess &host() { return *host_; }
    // Waits for the next host line that starts with prefix; line receives it.
    ::testing::AssertionResult host_says(const std::string &prefix, std::string *line = nullptr,
                                         DWORD timeout_ms = SETTLE_MS);
    // Ends the host through -quit, as a user's shell ends, and checks that it exited 0.
    ::testing::AssertionResult quit_host();
    // A second instance "BLACKBOX.EXE arguments" that must exit 0, followed by the host's
    // report line for it.
    ::testing::AssertionResult deliver(const std::string &arguments, const std::string &report);
    // deliver() with -time: milliseconds receives the delivery time the second instance prints.
    ::testing::AssertionResult deliver_timed(const std::string &arguments,
                                             const std::string &report, double *milliseconds);
    ::testing::AssertionResult toggle() { return deliver("-exec @LumivaneTog", TOGGLED); }
    ::testing::AssertionResult reconfigure() { return deliver("-reconfigure", RECONFIGURED); }

    // Runs command_line in the test directory until it ends, within timeout_ms; exit_code
    // and output receive its exit code and everything it wrote, byte for byte.
    ::testing::AssertionResult run_program(const std::string &command_line, DWORD *exit_code,
                                           std::string *output = nullptr,
                                           DWORD timeout_ms = SETTLE_MS);

    // Starts NAME.EXE, a copy of the target app, with windows (kind, title), by default one
    // visible window "main": kind is "visible", "hidden", "keyed", "own-alpha", "keyed-alpha"
    // or "frame".
    TargetApp &start_app(const std::string &name, const WindowList &windows = {{"visible", "main"}},
                         Bitness bitness = Bitness::same);

    // True once every window looks as expected, polling up to timeout_ms; otherwise lists
    // each window's look against the expected one.
    ::testing::AssertionResult looks_become(const std::vector<Expectation> &expected,
                                            DWORD timeout_ms = SETTLE_MS);
    // The same, right now: for what must already hold or must not have changed.
    ::testing::AssertionResult looks_are(const std::vector<Expectation> &expected)
    {
        return looks_become(expected, 0);
    }

    // Makes Wine report this Windows version (for example "nt40") to BLACKBOX.EXE; an empty
    // version removes the setting.
    void report_windows_version(const std::string &version);

    const std::string &directory() const { return directory_; }
    std::string host_path() const { return directory_ + "BLACKBOX.EXE"; }

private:
    void prepare_directory();
    void stop_host();
    // Wine's warnings that an import of a program or DLL was not found, logged since SetUp.
    std::string unresolved_imports() const;
    std::string label(HWND window) const;

    std::string directory_;
    std::string loader_log_;
    long long loader_log_start_ = 0;
    std::unique_ptr<ChildProcess> host_;
    std::vector<std::unique_ptr<TargetApp>> apps_;
    bool told_32bit_refusal_ = false;   // a test says once that 32-bit programs cannot start
};

// Writes text to path byte for byte; false when that failed.
bool write_file(const std::string &path, const std::string &text);

// "Lumivane.plugin.appnameN: app", the rule and the level lines of entry N; the level as a
// number or as written.
std::string settings_entry(int index, const std::string &app, const std::string &rule,
                           const std::string &level);
std::string settings_entry(int index, const std::string &app, const std::string &rule,
                           int level);

// Each look with the window at the same place in windows (none there: a look never seen).
std::vector<Expectation> paired(const std::vector<HWND> &windows,
                                const std::vector<ExpectedLook> &looks);

// The top-level windows on the desktop, top first: of class class_name only, when given,
// and of process process_id only, when not 0.
std::vector<HWND> top_level_windows(const char *class_name = nullptr, DWORD process_id = 0);
DWORD process_of(HWND window);
