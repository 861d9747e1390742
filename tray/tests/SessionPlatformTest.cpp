#include "SessionPlatform.h"

#include <gtest/gtest.h>
#include <map>

TEST(SessionPlatformTest, AWaylandSessionWithXWaylandRunsTheProgramAsAnXClient)
{
    using Environment = std::map<std::string, std::string>;
    struct Case
    {
        const char* what;
        Environment environment;
        std::string platform;
    };
    const Case cases[] = {
        {"X session", {{"DISPLAY", ":0"}, {"XDG_SESSION_TYPE", "x11"}}, ""},
        {"Wayland with XWayland", {{"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", ":0"}}, "xcb"},
        {"Wayland told by the session type",
         {{"XDG_SESSION_TYPE", "wayland"}, {"DISPLAY", ":1"}},
         "xcb"},
        {"a session that asks every Qt program for Wayland",
         {{"QT_QPA_PLATFORM", "wayland;xcb"}, {"WAYLAND_DISPLAY", "w"}, {"DISPLAY", ":0"}},
         "xcb"},
        {"Wayland without XWayland", {{"WAYLAND_DISPLAY", "wayland-0"}}, ""},
        {"the user keeps Wayland",
         {{"TELMO_QT_PLATFORM", "wayland"}, {"WAYLAND_DISPLAY", "w"}, {"DISPLAY", ":0"}},
         "wayland"},
        {"another platform asked for",
         {{"QT_QPA_PLATFORM", "offscreen"}, {"WAYLAND_DISPLAY", "w"}, {"DISPLAY", ":0"}},
         ""},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.what);
        const tray::EnvironmentLookup lookup = [&](const char* name) {
            auto found = row.environment.find(name);
            return found == row.environment.end() ? std::string() : found->second;
        };
        EXPECT_EQ(tray::QtPlatformFor(lookup), row.platform);
    }
}
