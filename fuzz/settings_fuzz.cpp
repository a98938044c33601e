// Settings loading against whatever the shell's readers may answer: texts of any length and
// content for every key, any integers, plug-in and shell paths of any length. Afterwards
// every slot must hold the folded, cut value it was given, terminated inside the slot.
// Then matching a window of a program at a path of any length and content: it must be
// decided on the whole path as the system gives it, and nothing read or written past a
// buffer. Last, Peekster's check of a settings file of those keys and values, and the
// values left over as lines of their own: it must finish with a count, whatever they hold.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "../common/exe_path.h"
#include "../common/matching.h"
#include "../common/text.h"
#include "../common/settings.h"
#include "../plugin/settings_file.h"
#include "../probe/settings_check.h"
#include "fake_desktop.h"

static std::string expected(const std::string &value, size_t slot_size)
{
    // The reader's text ends at its first NUL.
    std::string text = std::string(value.c_str()).substr(0, slot_size - 1);
    fold(text.data());
    return text;
}

static void check_slot(const char *slot, size_t size, const std::string &value)
{
    if (memchr(slot, '\0', size) == nullptr || expected(value, size) != slot)
        abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Values are separated by 0x1E (record separator) so that they may hold newlines and NULs.
    std::vector<std::string> values(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0x1E)
            values.emplace_back();
        else
            values.back() += (char)data[i];
    }
    size_t next = 0;
    auto take = [&]() -> std::string { return next < values.size() ? values[next++] : ""; };

    fake::reset();
    std::string plugin_dir = take();
    std::string shell_dir = take();
    std::string exe = take();
    fake::set_plugin_path(plugin_dir + "\\Lumivane.dll");
    fake::set_shell_dir(shell_dir);

    std::map<std::string, std::string> keys;
    std::vector<std::string> names = {"global", "globallevel", "focuslevel"};
    for (int i = 0; i < MAX_APPS; ++i)
        for (const char *name : {"level", "appname", "rule", "exclude"})
            names.push_back(name + std::to_string(i));
    for (const std::string &name : names)
        if (next < values.size())
            keys["Lumivane.plugin." + name + ":"] = take();
    std::string file = (plugin_dir.size() % 2 ? shell_dir : plugin_dir + "\\") + "Lumivane.rc";
    fake::set_file(file, keys);

    memset(&g_settings, 0x5A, sizeof g_settings);
    load_settings(fake::plugin_module());

    if (memchr(g_settings.path, '\0', sizeof g_settings.path) == nullptr)
        abort();
    bool found = std::string(g_settings.path) == file;
    auto value = [&](const std::string &name) -> std::string {
        auto it = keys.find("Lumivane.plugin." + name + ":");
        return found && it != keys.end() ? it->second : "";
    };
    check_slot(g_settings.global_rule, GLOBAL_RULE_SIZE, value("global"));
    for (int i = 0; i < MAX_APPS; ++i) {
        std::string n = std::to_string(i);
        check_slot(g_settings.app[i], SLOT_SIZE, value("appname" + n));
        check_slot(g_settings.rule[i], SLOT_SIZE, value("rule" + n));
        check_slot(g_settings.exclude[i], SLOT_SIZE, value("exclude" + n));
    }

    // The system gives the whole path, up to a NUL, in its code page: an ASCII path as it is.
    HWND window = fake::add_window(fake::add_process(exe));
    static char path[EXE_PATH_SIZE + 1];
    path[EXE_PATH_SIZE] = 'X';
    get_exe_path(window, path);
    std::string given = exe.c_str();
    bool ascii =
        std::all_of(given.begin(), given.end(), [](char c) { return (unsigned char)c < 0x80; });
    if (path[EXE_PATH_SIZE] != 'X' || !memchr(path, '\0', EXE_PATH_SIZE) || (ascii && given != path))
        abort();
    std::string seen = path;
    fold(seen.data());
    int expected_entry = -1;
    for (int i = 0; i < MAX_APPS && expected_entry < 0 && !seen.empty(); ++i)
        if (g_settings.app[i][0] != '\0' && seen.find(g_settings.app[i]) != std::string::npos)
            expected_entry = i;
    Decision decision = decide_window(window);
    if (decision.app_index != expected_entry || decision.unreadable != seen.empty())
        abort();

    static char checked[64];
    static FILE *report = fopen("/dev/null", "w");
    if (!checked[0])
        snprintf(checked, sizeof checked, "/tmp/settings_fuzz.%d", (int)getpid());
    std::string text;
    for (const auto &[key, value] : keys)
        text += key + value + "\n";
    while (next < values.size())
        text += take() + "\n";
    FILE *written = fopen(checked, "wb");
    if (!written || fwrite(text.data(), 1, text.size(), written) != text.size())
        abort();
    fclose(written);
    if (check_settings(checked, report) < 0)
        abort();
    return 0;
}
