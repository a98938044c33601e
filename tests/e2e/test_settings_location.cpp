// Where the plug-in finds its settings when it is installed as users install it: in a folder
// of its own under the shell's, with Lumivane.rc beside BLACKBOX.EXE only. Finding that file
// goes through the shell's GetBlackboxPath, so this is also the call that a wrongly named
// import would crash.
#include "live_desktop.h"

TEST_F(LiveDesktop, PluginInItsOwnFolderUsesTheSettingsInTheShellsFolderAndTheShellKeepsRunning)
{
    ASSERT_NO_FATAL_FAILURE(install_plugin_in_own_folder());
    write_settings(settings_entry(0, "STEADY", "ALWAYS", 150) +
                   settings_entry(1, "MOVER", "MOVING", 90));
    TargetApp &steady = start_app("STEADY");
    TargetApp &mover = start_app("MOVER");
    ASSERT_NO_FATAL_FAILURE(start_host());
    EXPECT_TRUE(looks_are({{steady.window("main"), translucent(150)},
                           {mover.window("main"), opaque()}}));

    ASSERT_TRUE(mover.raise("movestart", "main"));
    EXPECT_TRUE(looks_become({{mover.window("main"), translucent(90)}}));
    ASSERT_TRUE(toggle());
    EXPECT_TRUE(looks_are({{steady.window("main"), opaque()}, {mover.window("main"), opaque()}}));
    EXPECT_TRUE(host().running());
}
