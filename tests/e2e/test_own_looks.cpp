// Applications that make their own windows translucent: Lumivane gives them back exactly what
// they had, and never touches the windows of applications that no rule names.
#include "live_desktop.h"

#include <string>
#include <vector>

namespace {

const COLORREF MAGENTA = RGB(255, 0, 255);   // the target app's own colour key
const BYTE OWN_ALPHA = 200;                  // the target app's own alpha
const char TOGGLED[] = "delivered @LumivaneTog to 1 window(s)";

}  // namespace

TEST_F(LiveDesktop, WindowsOwnTranslucencyIsGivenBackAndLeftAloneWhereNoRuleNamesIt)
{
    write_settings(settings_entry(0, "FADER", "ALWAYS", 120));
    const std::vector<std::pair<std::string, std::string>> windows = {
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
            {named.window("keyed"), keyed(MAGENTA, own ? OWN_ALPHA : level)},
            {named.window("plain"), own ? opaque() : translucent(level)},
            {unnamed.window("alpha"), translucent(OWN_ALPHA)},
            {unnamed.window("keyed"), keyed(MAGENTA, OWN_ALPHA)},
            {unnamed.window("plain"), opaque()},
        };
    };
    ASSERT_TRUE(looks_are(looks(255)));

    ASSERT_NO_FATAL_FAILURE(start_host());
    EXPECT_TRUE(looks_are(looks(120)));
    ASSERT_TRUE(deliver("-exec @LumivaneTog", TOGGLED));
    EXPECT_TRUE(looks_are(looks(255)));
    ASSERT_TRUE(deliver("-exec @LumivaneTog", TOGGLED));
    EXPECT_TRUE(looks_are(looks(120)));
    ASSERT_TRUE(quit_host());
    EXPECT_TRUE(looks_are(looks(255)));
}
