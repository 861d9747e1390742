#include "SystemTray.h"

#include "PlatformInfo.h"
#include "ResourceIds.h"
#include "support/FakeDesktop.h"

#include <QPixmap>
#include <gtest/gtest.h>

using testsupport::FakeMenuTracker;
using testsupport::FakeNotifyIconService;
using Calls = std::vector<std::string>;

namespace {

class SystemTrayTest : public ::testing::Test
{
protected:
    SystemTrayTest()
    {
        testsupport::TestApplication();
        QPixmap pixmap(16, 16);
        pixmap.fill(Qt::blue);
        m_icon = QIcon(pixmap);
    }

    bool CreateTelmoIcon() { return m_tray.Create("Telmo", m_icon, 129); }

    // A menu shaped like the entry menu: one top popup holding one slot.
    static platform::Menu EntryMenu()
    {
        platform::Menu slot;
        slot.AppendCommand(32781, "Home:\t203")
            .AppendSeparator()
            .AppendCommand(32780, "Edit Entry");
        platform::Menu entries;
        entries.AppendPopup("Bakery", std::move(slot));
        platform::Menu bar;
        bar.AppendPopup("Entries", std::move(entries));
        return bar;
    }

    QIcon m_icon;
    platform::Menu m_menu = EntryMenu(); // outlives the tray icon, as the owner's menu does
    FakeNotifyIconService m_service;
    FakeMenuTracker m_tracker;
    std::vector<unsigned> m_commands;
    CSystemTray m_tray{m_service, m_tracker, [this](unsigned id) { m_commands.push_back(id); }};
};

} // namespace

TEST_F(SystemTrayTest, CreateAddsTheIconWithItsIdAndTooltip)
{
    ASSERT_TRUE(CreateTelmoIcon());
    EXPECT_TRUE(m_tray.HasWindow());
    EXPECT_EQ(m_service.calls, Calls{"add 129 Telmo"});
    EXPECT_EQ(m_service.lastAdded.icon.cacheKey(), m_icon.cacheKey());
    // The command menu travels with the icon for areas that show it themselves.
    const std::shared_ptr<const platform::Menu>& hostMenu = m_service.lastAdded.hostMenu;
    ASSERT_NE(hostMenu, nullptr);
    EXPECT_EQ(hostMenu->GetMenuStringByCommand(32773), "Exit");
    EXPECT_EQ(hostMenu->GetMenuStringByCommand(32775), "Import Entries");
    m_service.lastAdded.onHostMenuCommand(32773);
    EXPECT_EQ(m_commands, std::vector<unsigned>{32773});
}

TEST_F(SystemTrayTest, HidingTwiceDeletesOnceAndShowingRestoresTheSameIcon)
{
    ASSERT_TRUE(CreateTelmoIcon());
    m_tray.ShowIcon(); // not hidden: adds nothing
    m_tray.HideIcon();
    m_tray.HideIcon();
    EXPECT_TRUE(m_tray.IsHidden());
    m_tray.ShowIcon();
    EXPECT_FALSE(m_tray.IsHidden());
    EXPECT_EQ(m_service.calls, (Calls{"add 129 Telmo", "delete 129", "add 129 Telmo"}));
    EXPECT_EQ(m_service.lastAdded.icon.cacheKey(), m_icon.cacheKey());
    EXPECT_EQ(m_service.shownIcons, 1);
}

TEST_F(SystemTrayTest, APlatformOlderThanVersionFourGetsNoWindowAndNoIcon)
{
    platform::ScopedPlatformVersion old(3, platform::VER_PLATFORM_WIN32_NT);
    EXPECT_FALSE(CreateTelmoIcon());
    EXPECT_FALSE(m_tray.HasWindow());
    EXPECT_FALSE(m_service.HasCallback());
    m_tray.HideIcon();
    m_tray.ShowIcon();
    m_tray.RemoveIcon();
    EXPECT_TRUE(m_service.calls.empty());
}

TEST_F(SystemTrayTest, AFailedAddDisablesEveryLaterIconOperation)
{
    m_service.acceptAdds = false;
    EXPECT_FALSE(CreateTelmoIcon());
    EXPECT_TRUE(m_tray.HasWindow());
    EXPECT_FALSE(m_tray.IsEnabled());
    m_tray.HideIcon();
    m_tray.ShowIcon();
    m_tray.RemoveIcon();
    EXPECT_EQ(m_service.calls, Calls{"add 129 Telmo"});
}

TEST_F(SystemTrayTest, RemoveIconDeletesForGood)
{
    ASSERT_TRUE(CreateTelmoIcon());
    m_tray.RemoveIcon();
    m_tray.RemoveIcon();
    m_tray.HideIcon();
    m_tray.ShowIcon();
    EXPECT_EQ(m_service.calls, (Calls{"add 129 Telmo", "delete 129"}));
}

TEST_F(SystemTrayTest, TooltipsKeepSixtyThreeCharacters)
{
    const std::string tip63(63, 't');
    ASSERT_TRUE(m_tray.Create(tip63 + "cut", m_icon, 129));
    EXPECT_EQ(m_service.lastAdded.tip, tip63);
}

TEST_F(SystemTrayTest, RightClickShowsTheCommandMenuAndRoutesItsChoiceToTheOwner)
{
    ASSERT_TRUE(CreateTelmoIcon());
    m_service.Click(129, 517);
    ASSERT_EQ(m_tracker.shown.size(), 1u);
    EXPECT_EQ(m_tracker.shown[0].texts,
              (std::vector<std::string>{"New Entry", "Settings", "Refresh", "Import/Export", "-",
                                        "About", "Help", "-", "Exit"}));
    m_tracker.Choose(32773);
    EXPECT_EQ(m_commands, std::vector<unsigned>{32773});
}

TEST_F(SystemTrayTest, LeftClickShowsTheEntriesPopupOfTheLentMenu)
{
    ASSERT_TRUE(CreateTelmoIcon());
    EXPECT_EQ(m_tray.OnIconNotification(129, 514), 0); // no menu lent yet
    EXPECT_TRUE(m_tracker.shown.empty());

    EXPECT_TRUE(m_tray.SetLeftClickMenu(&m_menu));
    EXPECT_EQ(m_tray.OnIconNotification(129, 514), 1);
    ASSERT_EQ(m_tracker.shown.size(), 1u);
    EXPECT_EQ(m_tracker.shown[0].texts, std::vector<std::string>{"Bakery"});

    // A destroyed menu has no popup to show.
    m_menu.DestroyMenu();
    EXPECT_EQ(m_tray.OnIconNotification(129, 514), 0);
    EXPECT_FALSE(m_tray.SetLeftClickMenu(nullptr));
}

TEST_F(SystemTrayTest, OnlyButtonReleasesOnTheProgramsIconShowMenus)
{
    ASSERT_TRUE(CreateTelmoIcon());
    m_tray.SetLeftClickMenu(&m_menu);
    EXPECT_EQ(m_tray.OnIconNotification(130, 514), 0);
    EXPECT_EQ(m_tray.OnIconNotification(130, 517), 0);
    for (unsigned ignored : {512u, 513u, 515u, 516u, 518u, 520u})
        EXPECT_EQ(m_tray.OnIconNotification(129, ignored), 1) << ignored;
    EXPECT_TRUE(m_tracker.shown.empty());
    // Only the low 16 bits carry the mouse message.
    EXPECT_EQ(m_tray.OnIconNotification(129, 0x10000 | 514), 1);
    EXPECT_EQ(m_tracker.shown.size(), 1u);
}

TEST(SystemTrayLifetimeTest, DestructionDestroysTheLentMenuThenRemovesTheIcon)
{
    testsupport::TestApplication();
    FakeNotifyIconService service;
    FakeMenuTracker tracker;
    platform::Menu menu;
    menu.AppendPopup("Entries", platform::Menu{});
    int menuItemsAtDelete = -1;
    service.onDelete = [&] { menuItemsAtDelete = menu.GetMenuItemCount(); };
    {
        CSystemTray tray(service, tracker, [](unsigned) {});
        ASSERT_TRUE(tray.Create("Telmo", QIcon(), 129));
        tray.SetLeftClickMenu(&menu);
    }
    EXPECT_EQ(menuItemsAtDelete, 0);
    EXPECT_EQ(service.shownIcons, 0);
    EXPECT_FALSE(service.HasCallback());
}
