#include "live_desktop.h"

#include <cstdlib>
#include <fstream>
#include <iostream>

namespace {

const char VERSION_KEY[] = "Software\\Wine\\AppDefaults\\BLACKBOX.EXE";

long long file_size(const std::string &path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// A named CALLBACK: on x86 a lambda would not be stdcall.
BOOL CALLBACK collect_window(HWND window, LPARAM list)
{
    reinterpret_cast<std::vector<HWND> *>(list)->push_back(window);
    return TRUE;
}

}  // namespace

bool write_file(const std::string &path, const std::string &text)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
    return bool(file);
}

std::string settings_entry(int index, const std::string &app, const std::string &rule,
                           const std::string &level)
{
    std::string n = std::to_string(index);
    return "Lumivane.plugin.appname" + n + ": " + app + "\n" + "Lumivane.plugin.rule" + n +
           ": " + rule + "\n" + "Lumivane.plugin.level" + n + ": " + level + "\n";
}

std::string settings_entry(int index, const std::string &app, const std::string &rule, int level)
{
    return settings_entry(index, app, rule, std::to_string(level));
}

std::vector<Expectation> paired(const std::vector<HWND> &windows,
                                const std::vector<ExpectedLook> &looks)
{
    std::vector<Expectation> expected;
    for (size_t i = 0; i < looks.size(); ++i)
        expected.emplace_back(i < windows.size() ? windows[i] : NULL, looks[i]);
    return expected;
}

std::vector<HWND> top_level_windows(const char *class_name, DWORD process_id)
{
    std::vector<HWND> all, chosen;
    EnumWindows(collect_window, reinterpret_cast<LPARAM>(&all));
    for (HWND window : all) {
        char name[64] = "";
        GetClassNameA(window, name, sizeof name);
        if ((!class_name || strcmp(name, class_name) == 0) &&
            (!process_id || process_of(window) == process_id))
            chosen.push_back(window);
    }
    return chosen;
}

DWORD process_of(HWND window)
{
    DWORD process_id = 0;
    GetWindowThreadProcessId(window, &process_id);
    return process_id;
}

TargetApp::TargetApp(const std::string &name, const std::string &command_line,
                     const std::string &directory)
    : name_(name), process_(command_line, directory)
{
}

HWND TargetApp::window(const std::string &title) const
{
    auto found = windows_.find(title);
    return found == windows_.end() ? NULL : found->second;
}

std::string TargetApp::title_of(HWND window) const
{
    for (const auto &[title, handle] : windows_) {
        if (handle == window)
            return title;
    }
    return std::string();
}

// "window TITLE HANDLE"
bool TargetApp::take_window_line(const std::string &line)
{
    if (line.compare(0, 7, "window ") != 0)
        return false;
    size_t last_space = line.rfind(' ');
    if (last_space <= 7)
        return false;
    std::string title = line.substr(7, last_space - 7);
    windows_[title] = reinterpret_cast<HWND>(
        static_cast<UINT_PTR>(strtoull(line.c_str() + last_space + 1, NULL, 16)));
    return true;
}

bool TargetApp::wait_until_ready()
{
    auto last = process_.wait_for_line(
        [this](const std::string &line) {
            if (line.compare(0, 7, "module ") == 0)
                module_ = line.substr(7);
            take_window_line(line);
            return line == "ready" || line.compare(0, 7, "failed ") == 0;
        },
        SETTLE_MS);
    return last && *last == "ready";
}

bool TargetApp::command(const std::string &command)
{
    process_.send_line(command);
    auto answer = process_.wait_for_line(
        [&](const std::string &line) {
            return line == "done " + command || line == "failed " + command;
        },
        SETTLE_MS);
    return answer && *answer == "done " + command;
}

HWND TargetApp::open_by_command(const std::string &command, const std::string &title)
{
    process_.send_line(command);
    auto answer = process_.wait_for_line(
        [&](const std::string &line) {
            return line.compare(0, 7 + title.size() + 1, "window " + title + " ") == 0 ||
                   line.compare(0, 7, "failed ") == 0;
        },
        SETTLE_MS);
    if (!answer || !take_window_line(*answer))
        return NULL;
    return window(title);
}

void LiveDesktop::SetUp()
{
    const char *directory = getenv("LUMIVANE_E2E_DIR");
    directory_ = directory && *directory ? directory : "C:\\e2e";
    if (directory_.back() != '\\')
        directory_ += '\\';
    loader_log_ = path_from_environment("LUMIVANE_WINE_LOG");
    loader_log_start_ = file_size(loader_log_);
    report_windows_version("");
    ASSERT_NO_FATAL_FAILURE(prepare_directory());
}

void LiveDesktop::prepare_directory()
{
    CreateDirectoryA(directory_.c_str(), NULL);
    // A test may have left a folder in the place of the settings file.
    RemoveDirectoryA((directory_ + "Lumivane.rc").c_str());
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((directory_ + "*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                continue;
            std::string path = directory_ + found.cFileName;
            ASSERT_TRUE(DeleteFileA(path.c_str()))
                << "cannot clear " << path << " (still in use?), " << system_error();
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }

    // The programs the build names; Peekster may be missing: only its own tests need it.
    for (const auto &[variable, name] : {std::pair{"LUMIVANE_E2E_HOST", "BLACKBOX.EXE"},
                                         {"LUMIVANE_E2E_PLUGIN", "Lumivane.dll"},
                                         {"LUMIVANE_E2E_PEEKSTER", "Peekster.exe"}}) {
        std::string from = path_from_environment(variable);
        if (from.empty() && name == std::string("Peekster.exe"))
            continue;
        ASSERT_TRUE(CopyFileA(from.c_str(), (directory_ + name).c_str(), FALSE))
            << variable << " must name " << name << ": cannot copy '" << from << "', "
            << system_error();
    }
    ASSERT_TRUE(write_file(directory_ + "plugins.rc", "# written by the live tests\nLumivane.dll\n"));
}

void LiveDesktop::TearDown()
{
    stop_host();
    // Windows would have refused to load such a file; Wine loads it with a stub that crashes
    // when called, so a warning is a failure even when nothing called it.
    std::string unresolved = unresolved_imports();
    EXPECT_TRUE(unresolved.empty()) << "the loader found imports that are not there:\n"
                                    << unresolved;
    if (HasFailure() && host_)
        std::cout << host_->transcript();
    host_.reset();
    apps_.clear();
    report_windows_version("");
}

std::string LiveDesktop::unresolved_imports() const
{
    if (loader_log_.empty())
        return std::string();
    std::ifstream log(loader_log_, std::ios::binary);
    log.seekg(loader_log_start_);
    std::string found, line;
    while (std::getline(log, line)) {
        std::string lower = line;
        for (char &c : lower)
            c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
        // Wine's own DLLs may lack what a Windows version would have; ours may not.
        if (lower.find("no implementation for") != std::string::npos &&
            lower.find("imported from l\"c:\\\\windows\\\\") == std::string::npos)
            found += line + "\n";
    }
    return found;
}

// The plug-in restores the windows only when the host ends through -quit; anything left
// running after that is ended outright.
void LiveDesktop::stop_host()
{
    if (!host_ || !host_->running())
        return;
    DWORD exit_code = 0;
    run_program(host_path() + " -quit", &exit_code);
    host_->wait_for_exit(SETTLE_MS);
    host_->terminate();
}

void LiveDesktop::write_settings(const std::string &text)
{
    ASSERT_TRUE(write_file(directory_ + "Lumivane.rc", text));
}

void LiveDesktop::install_plugin_in_own_folder()
{
    std::string folder = directory_ + "plugins\\Lumivane\\";
    CreateDirectoryA((directory_ + "plugins").c_str(), NULL);
    CreateDirectoryA(folder.c_str(), NULL);
    for (const char *name : {"Lumivanerc", "Lumivane.rc"})
        DeleteFileA((folder + name).c_str());
    ASSERT_TRUE(MoveFileExA((directory_ + "Lumivane.dll").c_str(), (folder + "Lumivane.dll").c_str(),
                            MOVEFILE_REPLACE_EXISTING))
        << "cannot move the plug-in into " << folder << ", " << system_error();
    ASSERT_TRUE(write_file(directory_ + "plugins.rc",
                           "# written by the live tests\nplugins\\Lumivane\\Lumivane.dll\n"));
}

void LiveDesktop::launch_host()
{
    host_ = std::make_unique<ChildProcess>(host_path(), directory_);
    ASSERT_TRUE(host_->started()) << "cannot start " << host_path() << ", " << system_error();
}

void LiveDesktop::start_host(int expected_result)
{
    if (!host_) {
        ASSERT_FALSE(HasFailure()) << "a step before the host's first start failed";
    }
    ASSERT_NO_FATAL_FAILURE(launch_host());
    std::string line;
    ASSERT_TRUE(host_says("beginPlugin ", &line, 3 * SETTLE_MS));
    std::string wanted = " = " + std::to_string(expected_result);
    ASSERT_EQ(line.compare(line.size() - wanted.size(), wanted.size(), wanted), 0)
        << "the plug-in's start-up answered otherwise: " << line;
}

::testing::AssertionResult LiveDesktop::host_says(const std::string &prefix, std::string *line,
                                                  DWORD timeout_ms)
{
    auto found = host_->wait_for_prefix(prefix, timeout_ms);
    if (!found) {
        return ::testing::AssertionFailure()
               << "the host did not say \"" << prefix << "...\"\n" << host_->transcript();
    }
    if (line)
        *line = *found;
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult LiveDesktop::quit_host()
{
    ::testing::AssertionResult delivered = deliver("-quit", "endPlugin ");
    if (!delivered)
        return delivered;
    auto exit_code = host_->wait_for_exit(SETTLE_MS);
    if (!exit_code)
        return ::testing::AssertionFailure() << "the host still runs after -quit";
    if (*exit_code != 0)
        return ::testing::AssertionFailure() << "the host exited " << *exit_code << " after -quit";
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult LiveDesktop::run_program(const std::string &command_line,
                                                    DWORD *exit_code, std::string *output,
                                                    DWORD timeout_ms)
{
    ChildProcess program(command_line, directory_);
    if (!program.started()) {
        return ::testing::AssertionFailure() << "cannot start " << command_line << ", "
                                             << system_error();
    }
    auto code = program.wait_for_exit(timeout_ms);
    if (!code) {
        return ::testing::AssertionFailure()
               << command_line << " did not end\n" << program.transcript();
    }
    *exit_code = *code;
    if (output)
        *output = program.raw_output();
    return ::testing::AssertionSuccess() << program.transcript();
}

::testing::AssertionResult LiveDesktop::deliver(const std::string &arguments,
                                                const std::string &report)
{
    DWORD exit_code = 0;
    ::testing::AssertionResult ran = run_program(host_path() + " " + arguments, &exit_code);
    if (ran && exit_code != 0)
        ran = ::testing::AssertionFailure() << "exited " << exit_code << ": " << ran.message();
    return ran ? host_says(report) : ran;
}

::testing::AssertionResult LiveDesktop::deliver_timed(const std::string &arguments,
                                                      const std::string &report,
                                                      double *milliseconds)
{
    DWORD exit_code = 0;
    std::string output;
    // A delivery held up by a hung application shows as a long time, not as a timeout.
    ::testing::AssertionResult ran =
        run_program(host_path() + " -time " + arguments, &exit_code, &output, 3 * SETTLE_MS);
    size_t line = output.find("delivered ");
    size_t in = output.find(" in ", line);
    if (ran && (exit_code != 0 || line == std::string::npos || in == std::string::npos))
        ran = ::testing::AssertionFailure() << "exited " << exit_code
                                            << " without a delivery time: " << ran.message();
    if (!ran)
        return ran;
    *milliseconds = strtod(output.c_str() + in + 4, NULL);
    return host_says(report);
}

TargetApp &LiveDesktop::start_app(const std::string &name, const WindowList &windows,
                                  Bitness bitness)
{
    std::string path = directory_ + name + ".EXE";
    std::string target = path_from_environment(
        bitness == Bitness::same ? "LUMIVANE_E2E_TARGET" : "LUMIVANE_E2E_OTHER_TARGET");
    EXPECT_NE(GetFileAttributesA(target.c_str()), INVALID_FILE_ATTRIBUTES)
        << "no target app at '" << target << "': the tests of one build also start the other "
        << "build's target app, so build both the win32 and the win64 preset";
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        EXPECT_TRUE(CopyFileA(target.c_str(), path.c_str(), FALSE))
            << "cannot copy " << target << ", " << system_error();
    }
    std::string command_line = "\"" + path + "\"";
    for (const auto &[kind, title] : windows)
        command_line += " --" + kind + " " + title;

    std::string refused = why_32bit_program_cannot_run(path, false);
    apps_.push_back(std::make_unique<TargetApp>(name, refused.empty() ? command_line : "", directory_));
    TargetApp &app = *apps_.back();
    if (refused.empty() && app.wait_until_ready()) {
        // The plug-in names applications by this path: it must be the copy's own.
        EXPECT_EQ(_stricmp(app.module().c_str(), path.c_str()), 0)
            << "the app reports its module as " << app.module();
        return app;
    }
    if (refused.empty())
        refused = why_32bit_program_cannot_run(path, true);
    if (refused.empty())
        ADD_FAILURE() << app.process().transcript();
    else if (!told_32bit_refusal_)
        ADD_FAILURE() << refused;
    told_32bit_refusal_ = told_32bit_refusal_ || !refused.empty();
    return app;
}

std::string LiveDesktop::label(HWND window) const
{
    for (const auto &app : apps_) {
        std::string title = app->title_of(window);
        if (!title.empty())
            return app->name() + " '" + title + "'";
    }
    char text[32];
    snprintf(text, sizeof text, "window %p", static_cast<void *>(window));
    return text;
}

::testing::AssertionResult LiveDesktop::looks_become(const std::vector<Expectation> &expected,
                                                     DWORD timeout_ms)
{
    DWORD start = GetTickCount();
    std::vector<WindowLook> looks;
    if (wait_for_looks(expected, timeout_ms, &looks))
        return ::testing::AssertionSuccess();
    ::testing::AssertionResult failure = ::testing::AssertionFailure();
    failure << "after " << (GetTickCount() - start) << " ms:\n";
    for (size_t i = 0; i < expected.size(); ++i) {
        bool ok = matches(looks[i], expected[i].second);
        failure << (ok ? "    " : "  X ") << label(expected[i].first) << ": " << describe(looks[i]);
        if (!ok)
            failure << ", expected " << describe(expected[i].second);
        failure << "\n";
    }
    return failure;
}

void LiveDesktop::report_windows_version(const std::string &version)
{
    if (version.empty()) {
        RegDeleteKeyA(HKEY_CURRENT_USER, VERSION_KEY);
        return;
    }
    // Creates the key where it is missing.
    ASSERT_EQ(RegSetKeyValueA(HKEY_CURRENT_USER, VERSION_KEY, "Version", REG_SZ, version.c_str(),
                              static_cast<DWORD>(version.size() + 1)),
              ERROR_SUCCESS);
}
