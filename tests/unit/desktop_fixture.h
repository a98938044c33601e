// One fixture for every unit test: a fresh fake desktop, a settings file beside the
// plug-in, and helpers that read back what a user would see of a window.
#pragma once
#include <gtest/gtest.h>
#include <string.h>

#include <map>
#include <string>

#include "../../common/exe_path.h"
#include "../../plugin/events.h"
#include "../../common/matching.h"
#include "../../plugin/passes.h"
#include "../../common/settings.h"
#include "../../plugin/settings_file.h"
#include "../../plugin/window_look.h"
#include "fake_desktop.h"

inline const std::string PLUGIN_DIR = "C:\\Blackbox\\plugins\\Lumivane\\";
inline const std::string SHELL_DIR = "C:\\Blackbox\\";
using Keys = std::map<std::string, std::string>;
// A colour key of an application's own, and the flags of a colour key with an alpha.
inline const COLORREF KEY = 0x00FF00FF;
inline const DWORD BOTH = LWA_COLORKEY | LWA_ALPHA;
// The hooks of a switched-on plug-in: creation, foreground, move/size, parent change.
inline const int HOOKS = 4;

class Desktop : public ::testing::Test {
protected:
    void SetUp() override
    {
        fake::reset();
        memset(&g_settings, 0, sizeof g_settings);
        g_effect_on = false;
        frame_host = 0;
    }

    // The conformance checks run on whatever desktop a test leaves: a fresh system's.
    void TearDown() override { fake::reset(); }

    // Writes a settings file (Lumivane.rc beside the plug-in) from short keys ("appname0" ->
    // "notepad"); use_settings also loads it.
    static void write_settings(const Keys &keys, const std::string &file = PLUGIN_DIR + "Lumivane.rc")
    {
        Keys full;
        for (auto &entry : keys)
            full["Lumivane.plugin." + entry.first + ":"] = entry.second;
        fake::set_file(file, full);
    }

    static void use_settings(const Keys &keys, const std::string &file = PLUGIN_DIR + "Lumivane.rc")
    {
        write_settings(keys, file);
        load_settings(fake::plugin_module());
    }

    // The settings of a single entry: the application fragment, its rule and its level.
    static Keys entry0(const std::string &app, const std::string &rule, const std::string &level)
    {
        return {{"appname0", app}, {"rule0", rule}, {"level0", level}};
    }

    // A visible window of a new process running exe.
    HWND app_window(const std::string &exe, fake::WindowOptions window = {},
                    fake::ProcessOptions process = {})
    {
        return fake::add_window(fake::add_process(exe, process), window);
    }

    // A frame of ApplicationFrameHost.exe (one host process for all of a test's frames),
    // holding a title bar window of its own.
    HWND frame_window(fake::WindowOptions window = {})
    {
        if (!frame_host)
            frame_host = fake::add_process(FRAME_HOST_EXE);
        window.window_class = "ApplicationFrameWindow";
        HWND frame = fake::add_window(frame_host, window);
        fake::add_child_window(frame, {.window_class = "ApplicationFrameTitleBarWindow"});
        return frame;
    }

    // An application's content window in frame, made there by a new process running exe.
    static HWND add_content(HWND frame, const std::string &exe, fake::ProcessOptions process = {})
    {
        return fake::add_child_window(frame, {.window_class = "Windows.UI.Core.CoreWindow"},
                                      fake::add_process(exe, process));
    }

    DWORD frame_host = 0;
    static inline const std::string FRAME_HOST_EXE = "C:\\Windows\\System32\\ApplicationFrameHost.exe";

    // What an event does with a window that its rule names: excluded windows and windows
    // whose executable can't be read are left alone.
    static void apply(HWND window, BYTE level)
    {
        if (IsWindow(window) && !decide_window(window).left_alone)
            give_level(window, level, layered_query());
    }

    static bool is_plain(HWND window)
    {
        return !fake::window(window).layered;
    }

    // Calls that changed, or could have changed, what the window looks like.
    static int writes(HWND window)
    {
        fake::WindowState s = fake::window(window);
        return s.style_writes + s.attribute_writes;
    }

    // Layered at this alpha with exactly this colour key and these flags.
    static ::testing::AssertionResult has_alpha(HWND window, BYTE alpha, COLORREF key = 0,
                                                DWORD flags = LWA_ALPHA)
    {
        fake::WindowState s = fake::window(window);
        if (s.layered && s.attributes_set && s.alpha == alpha && s.key == key && s.flags == flags)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << "layered=" << s.layered << " set=" << s.attributes_set << " alpha=" << int(s.alpha)
               << " key=" << s.key << " flags=" << s.flags << "; wanted alpha " << int(alpha)
               << " key " << key << " flags " << flags;
    }
};
