#include "app/DisplaySession.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

struct SessionCase {
    const char* name;
    std::map<std::string, std::string> env;
    std::vector<const char*> args; // after the program name
    bool starts;
};

class DisplaySessionRule : public ::testing::TestWithParam<SessionCase> {};

} // namespace

TEST_P(DisplaySessionRule, RefusesOnlyWhenNoDisplayCanBeReached) {
    const SessionCase& c = GetParam();
    std::vector<const char*> argv{"ravezivured"};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    const auto lookup = [&c](const char* name) -> const char* {
        const auto found = c.env.find(name);
        return found == c.env.end() ? nullptr : found->second.c_str();
    };
    const auto message =
        MissingDisplayMessage(static_cast<int>(argv.size()), argv.data(), lookup);
    EXPECT_EQ(!message.has_value(), c.starts);
    if (message) {
        EXPECT_EQ(message->find('\n'), std::string::npos);
        EXPECT_NE(message->find("xvfb-run -a"), std::string::npos);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sessions, DisplaySessionRule,
    ::testing::Values(
        SessionCase{"Nothing", {}, {}, false},
        SessionCase{"EmptyDisplay", {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}}, {}, false},
        SessionCase{"X", {{"DISPLAY", ":0"}}, {}, true},
        SessionCase{"Wayland", {{"WAYLAND_DISPLAY", "wayland-0"}}, {}, true},
        SessionCase{"DisplayOption", {}, {"-display", ":1"}, true},
        SessionCase{"Offscreen", {{"QT_QPA_PLATFORM", "offscreen"}}, {}, true},
        SessionCase{"VncWithOptions", {{"QT_QPA_PLATFORM", "vnc:size=800x600"}}, {}, true},
        SessionCase{"FallbackToOffscreen", {{"QT_QPA_PLATFORM", "wayland;offscreen"}}, {}, true},
        SessionCase{"XcbOnly", {{"QT_QPA_PLATFORM", "xcb"}}, {}, false},
        SessionCase{"WaylandOrXcb", {{"QT_QPA_PLATFORM", "wayland-egl;xcb"}}, {}, false},
        SessionCase{"PlatformOption", {}, {"-platform", "minimal"}, true},
        SessionCase{"DoubleDashOption", {}, {"--platform", "offscreen"}, true},
        SessionCase{"OptionOverridesVariable",
                    {{"QT_QPA_PLATFORM", "offscreen"}},
                    {"-platform", "xcb"},
                    false},
        SessionCase{"OptionWithoutValue", {}, {"-platform"}, false},
        SessionCase{"FolderArgumentIsNoOption", {}, {"platform", "offscreen"}, false}),
    [](const ::testing::TestParamInfo<SessionCase>& info) { return info.param.name; });
