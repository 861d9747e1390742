#include "notify/TrayHost.h"

#include "notify/PopupPlacement.h"

#include <gtest/gtest.h>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

using namespace platform;

namespace {

using Texts = std::vector<std::string>;

Texts TopTexts(const Menu& menu)
{
    Texts texts;
    for (int position = 0; position < menu.GetMenuItemCount(); ++position) {
        const MenuItem& item = *menu.ItemAt(position);
        texts.push_back(item.type == MenuItem::Type::Separator ? "-" : item.text);
    }
    return texts;
}

// The watcher's program, whether in a Wayland session, whether the host draws every menu.
using HostRow = std::tuple<std::string, bool, bool>;

class HostDrawsEveryMenuTest : public testing::TestWithParam<HostRow>
{};

} // namespace

TEST_P(HostDrawsEveryMenuTest, WhereTheHostDrawsEveryMenuThePhoneBookComesFirstInIt)
{
    const auto& [program, waylandSession, drawsEveryMenu] = GetParam();
    EXPECT_EQ(HostDrawsEveryMenu(program, waylandSession), drawsEveryMenu);
    Menu bakery, phoneBook, commands;
    bakery.AppendCommand(32781, "Home:\t1");
    phoneBook.AppendPopup("Bakery", std::move(bakery));
    commands.AppendCommand(32771, "New Entry");
    const Menu drawn = MenuForHost(drawsEveryMenu, &phoneBook, &commands);
    EXPECT_EQ(TopTexts(drawn),
              drawsEveryMenu ? (Texts{"Bakery", "-", "New Entry"}) : Texts{"New Entry"});
    EXPECT_EQ(drawn.GetMenuStringByCommand(32781).has_value(), drawsEveryMenu);
    const Menu nobody;
    EXPECT_EQ(TopTexts(MenuForHost(drawsEveryMenu, &nobody, &commands)), Texts{"New Entry"});
}

INSTANTIATE_TEST_SUITE_P(
    Hosts, HostDrawsEveryMenuTest,
    testing::Values(HostRow{"gnome-shell", false, true}, HostRow{"gnome-shell", true, true},
                    HostRow{"kded5", false, false}, HostRow{"kded5", true, true},
                    HostRow{"waybar", true, true}, HostRow{"lxqt-panel", false, false},
                    HostRow{"", false, false}));

TEST(TrayHostTest, AnXEmbedTrayIsUsedOnlyOnceTheWatcherSaidItHasNoHost)
{
    EXPECT_EQ(ChooseTrayHost(true, true), TrayHost::StatusNotifier);
    EXPECT_EQ(ChooseTrayHost(false, true), TrayHost::XEmbed);
    EXPECT_EQ(ChooseTrayHost(std::nullopt, true), TrayHost::None);
    EXPECT_EQ(ChooseTrayHost(false, false), TrayHost::None);
}

namespace {

// The click, the popup's size, the screen, where the popup's top-left corner goes.
using PlacementRow = std::tuple<ScreenPoint, int, int, ScreenArea, ScreenPoint>;

class PopupPlacementTest : public testing::TestWithParam<PlacementRow>
{};

constexpr ScreenArea kScreen{0, 0, 1024, 768, 1};

} // namespace

namespace platform {

void PrintTo(const ScreenPoint& point, std::ostream* out)
{
    *out << point.x << "," << point.y;
}

void PrintTo(const ScreenArea& screen, std::ostream* out)
{
    *out << screen.width << "x" << screen.height << "+" << screen.x << "+" << screen.y << "*"
         << screen.scale;
}

} // namespace platform

TEST_P(PopupPlacementTest, APopupHasACornerAtTheClickAndStaysOnTheScreen)
{
    const auto& [click, width, height, screen, topLeft] = GetParam();
    EXPECT_EQ(PopupTopLeft(click, width, height, screen), topLeft);
}

INSTANTIATE_TEST_SUITE_P(
    Clicks, PopupPlacementTest,
    testing::Values(PlacementRow{{10, 10}, 120, 150, kScreen, {11, 11}},
                    PlacementRow{{980, 16}, 120, 150, kScreen, {860, 17}},    // panel, top right
                    PlacementRow{{1009, 752}, 120, 150, kScreen, {889, 602}}, // bottom right
                    PlacementRow{{500, 700}, 120, 150, kScreen, {501, 550}},
                    PlacementRow{{-5, 900}, 120, 150, kScreen, {1, 617}}, // beside the screen
                    PlacementRow{{10, 10}, 120, 900, kScreen, {11, 0}},   // taller than it
                    PlacementRow{{980, 16}, 120, 150, {0, 0, 512, 384, 2}, {370, 9}},
                    PlacementRow{{1030, 5}, 120, 150, {1024, 0, 1280, 1024, 1}, {1031, 6}}));
