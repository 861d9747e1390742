#include "TrayHost.h"

#include "PopupPlacement.h"

#include <gtest/gtest.h>
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

// The watcher's program, the session, then the plan and the top of the menu the host draws for
// a phone book of one person and the commands.
using PlanRow = std::tuple<const char*, DisplaySession, bool, bool, Texts>;

class StatusNotifierPlanTest : public testing::TestWithParam<PlanRow>
{};

} // namespace

TEST_P(StatusNotifierPlanTest, EachHostDrawsWhatItCanPlaceAndCloseItself)
{
    const auto& [program, session, bothMenus, ownPopups, hostMenu] = GetParam();
    const StatusNotifierPlan plan = PlanStatusNotifierItem(program, session);
    EXPECT_EQ(plan.hostDrawsBothMenus, bothMenus);
    EXPECT_EQ(plan.ownPopups, ownPopups);
    Menu bakery, phoneBook, commands;
    bakery.AppendCommand(32781, "Home:\t1");
    phoneBook.AppendPopup("Bakery", std::move(bakery));
    commands.AppendCommand(32771, "New Entry");
    const Menu drawn = MenuForHost(plan, &phoneBook, &commands);
    EXPECT_EQ(TopTexts(drawn), hostMenu);
    EXPECT_EQ(drawn.GetMenuStringByCommand(32781),
              bothMenus ? "Home:\t1" : std::optional<std::string>());
    const Menu nobody;
    EXPECT_EQ(TopTexts(MenuForHost(plan, &nobody, &commands)), Texts{"New Entry"});
}

INSTANTIATE_TEST_SUITE_P(
    Hosts, StatusNotifierPlanTest,
    testing::Values(
        PlanRow{"gnome-shell", DisplaySession::X11, true, false, {"Bakery", "-", "New Entry"}},
        PlanRow{"gnome-shell", DisplaySession::XWayland, true, false, {"Bakery", "-", "New Entry"}},
        PlanRow{"kded5", DisplaySession::X11, false, true, {"New Entry"}},
        PlanRow{"kded5", DisplaySession::XWayland, true, true, {"Bakery", "-", "New Entry"}},
        PlanRow{"waybar", DisplaySession::Wayland, true, false, {"Bakery", "-", "New Entry"}},
        PlanRow{"", DisplaySession::X11, false, true, {"New Entry"}}));

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

TEST_P(PopupPlacementTest, APopupHasACornerAtTheClickAndStaysOnTheScreen)
{
    const auto& [click, width, height, screen, topLeft] = GetParam();
    EXPECT_EQ(PopupTopLeft(click, width, height, screen), topLeft);
}

INSTANTIATE_TEST_SUITE_P(
    Clicks, PopupPlacementTest,
    testing::Values(PlacementRow{{10, 10}, 120, 150, kScreen, {10, 10}},
                    PlacementRow{{980, 16}, 120, 150, kScreen, {861, 16}},    // panel, top right
                    PlacementRow{{1009, 752}, 120, 150, kScreen, {890, 603}}, // bottom right
                    PlacementRow{{500, 700}, 120, 150, kScreen, {500, 551}},
                    PlacementRow{{-5, 900}, 120, 150, kScreen, {0, 618}}, // beside the screen
                    PlacementRow{{10, 10}, 120, 900, kScreen, {10, 0}},   // taller than it
                    PlacementRow{{980, 16}, 120, 150, {0, 0, 512, 384, 2}, {371, 8}},
                    PlacementRow{{1030, 5}, 120, 150, {1024, 0, 1280, 1024, 1}, {1030, 5}}));
