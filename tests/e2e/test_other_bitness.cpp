// Applications of the other bitness: most users run the 32-bit shell on 64-bit Windows, with
// 64-bit applications. The x86 plug-in cannot enumerate a 64-bit process's modules and names
// its executable through the process image instead; every rule and the restore pass must
// reach those windows all the same. The x64 build runs the same test with x86 applications.
#include "live_desktop.h"

TEST_F(LiveDesktop, ApplicationsOfTheOtherBitnessFollowEveryRuleAndAreRestored)
{
    write_settings(settings_entry(0, "STEADY", "ALWAYS", 170) +
                   settings_entry(1, "FOCAL", "FOCUS", 120) +
                   settings_entry(2, "MOVER", "MOVING", 80));
    TargetApp &steady = start_app("STEADY", {{"visible", "main"}}, Bitness::other);
    TargetApp &focal = start_app("FOCAL", {{"visible", "main"}}, Bitness::other);
    TargetApp &mover = start_app("MOVER", {{"visible", "main"}}, Bitness::other);
    ASSERT_NO_FATAL_FAILURE(start_host());
    HWND always = steady.window("main"), focus = focal.window("main"), moving = mover.window("main");
    EXPECT_TRUE(looks_are({{always, translucent(170)}, {focus, opaque()}, {moving, opaque()}}));

    HWND later = steady.open("visible", "later");
    EXPECT_TRUE(looks_become({{later, translucent(170)}}));

    ASSERT_TRUE(mover.raise("movestart", "main"));
    EXPECT_TRUE(looks_become({{moving, translucent(80)}}));
    ASSERT_TRUE(mover.raise("moveend", "main"));
    EXPECT_TRUE(looks_become({{moving, opaque()}}));
    ASSERT_TRUE(focal.raise("foreground", "main"));
    EXPECT_TRUE(looks_become({{focus, opaque()}}));
    ASSERT_TRUE(steady.raise("foreground", "main"));
    EXPECT_TRUE(looks_become({{focus, translucent(120)}}));

    ASSERT_TRUE(toggle());
    EXPECT_TRUE(looks_are({{always, opaque()}, {later, opaque()}, {focus, opaque()},
                           {moving, opaque()}}));
}
