// Applications that make their own windows translucent: Lumivane gives them back exactly what
// they had, and never touches the windows of applications that no rule names.
#include "live_desktop.h"

TEST_F(LiveDesktop, WindowsOwnTranslucencyIsGivenBackAndLeftAloneWhereNoRuleNamesIt)
{
    write_settings(settings_entry(0, "FADER", "ALWAYS", 120));
    const WindowList windows = {
        {"own-alpha", "alpha"}, {"keyed-alpha", "keyed"}, {"visible", "plain"}};
    TargetApp &named = start_app("FADER", windows);
    TargetApp &unnamed = start_app("TERMINAL", windows);
    ASSERT_FALSE(HasFailure());

    // The looks of the named app's windows at a level of Lumivane's, or as they had them
    // (255); the other app's always as it had them.
    auto looks = [&](BYTE level) {
        bool own = level == 255;
        return std::vector<Expectation>{
            {named.window("alpha"), translucent(own ? OWN_ALPHA : level)},
            {named.window("keyed"), keyed(OWN_COLOUR_KEY, own ? OWN_ALPHA : level)},
            {named.window("plain"), own ? opaque() : translucent(level)},
            {unnamed.window("alpha"), translucent(OWN_ALPHA)},
            {unnamed.window("keyed"), keyed(OWN_COLOUR_KEY, OWN_ALPHA)},
            {unnamed.window("plain"), opaque()},
        };
    };
    ASSERT_TRUE(looks_are(looks(255)));

    ASSERT_NO_FATAL_FAILURE(start_host());
    EXPECT_TRUE(looks_are(looks(120)));
    ASSERT_TRUE(toggle());
    EXPECT_TRUE(looks_are(looks(255)));
    ASSERT_TRUE(toggle());
    EXPECT_TRUE(looks_are(looks(120)));
    ASSERT_TRUE(quit_host());
    EXPECT_TRUE(looks_are(looks(255)));
}
