// What deciding one window costs the plug-in, apart from the system calls: the fold, the
// search of 50 application fragments and of 50 exclusions, worst case (no fragment matches
// until the last entry, no exclusion matches at all).
#include <benchmark/benchmark.h>
#include <string.h>

#include <string>

#include "../common/exe_path.h"
#include "../common/text.h"
#include "../common/matching.h"
#include "../common/settings.h"
#include "../plugin/settings_file.h"
#include "fake_desktop.h"

static void fill_worst_case_settings()
{
    std::map<std::string, std::string> keys;
    for (int i = 0; i < MAX_APPS; ++i) {
        // Fragments share the path's characters but none occurs in it, so each search
        // runs over the whole path.
        keys["Lumivane.plugin.appname" + std::to_string(i) + ":"] = "aaaaaaa" + std::to_string(i);
        keys["Lumivane.plugin.rule" + std::to_string(i) + ":"] = "always";
        keys["Lumivane.plugin.exclude" + std::to_string(i) + ":"] = "aaaaaax" + std::to_string(i);
    }
    // The last entry matches the path's end.
    keys["Lumivane.plugin.appname49:"] = "TARGET.EX";
    fake::reset();
    fake::set_file("C:\\Blackbox\\plugins\\Lumivane\\Lumivane.rc", keys);
    load_settings(fake::plugin_module());
}

// A path of MAX_PATH - 1 characters, the longest most programs run from, each searched.
static const std::string PATH = "c:\\" + std::string(MAX_PATH - 1 - 14, 'a') + "\\target.exe";

// Time per iteration is nanoseconds per window.
static void BM_DecideOneWindow(benchmark::State &state)
{
    fill_worst_case_settings();
    static char folded[EXE_PATH_SIZE];
    memcpy(folded, PATH.c_str(), PATH.size() + 1);
    fold(folded);
    if (find_app_index(folded) != MAX_APPS - 1 || is_excluded(folded)) {
        state.SkipWithError("settings are not the worst case");
        return;
    }
    for (auto _ : state) {
        memcpy(folded, PATH.c_str(), PATH.size() + 1);
        fold(folded);
        int index = find_app_index(folded);
        bool decided = rule_is(effective_rule(index), "ALWAYS") && !is_excluded(folded);
        benchmark::DoNotOptimize(decided);
        benchmark::DoNotOptimize(folded);
    }
}
BENCHMARK(BM_DecideOneWindow)->Unit(benchmark::kNanosecond);

static void BM_LoadSettings(benchmark::State &state)
{
    fill_worst_case_settings();
    for (auto _ : state)
        load_settings(fake::plugin_module());
}
BENCHMARK(BM_LoadSettings)->Unit(benchmark::kMicrosecond);
