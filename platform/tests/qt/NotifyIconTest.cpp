#include "NotifyIcon.h"

#include <QApplication>
#include <QMenu>
#include <QPixmap>
#include <QTest>
#include <gtest/gtest.h>
#include <utility>
#include <vector>

using platform::SystemTrayIconService;
using platform::TrayHost;

namespace {

QIcon RedIcon()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::red);
    return QIcon(pixmap);
}

struct FakeProbe : platform::TrayHostProbe
{
    bool StatusNotifierHostRegistered() const override { return statusNotifier; }
    bool XEmbedTrayOwned() const override { return xembed; }
    bool statusNotifier = false;
    bool xembed = true;
};

std::shared_ptr<const platform::Menu> CommandMenu()
{
    platform::Menu transfer;
    transfer.AppendCommand(32775, "Import Entries");
    auto menu = std::make_shared<platform::Menu>();
    menu->AppendCommand(32771, "New Entry")
        .AppendPopup("Import/Export", std::move(transfer))
        .AppendSeparator()
        .AppendCommand(32773, "Exit");
    return menu;
}

class NotifyIconTest : public ::testing::Test
{
protected:
    QSystemTrayIcon* IconOf(SystemTrayIconService& service, const std::string& tip)
    {
        for (QSystemTrayIcon* icon : service.findChildren<QSystemTrayIcon*>()) {
            if (icon->toolTip() == QString::fromStdString(tip))
                return icon;
        }
        return nullptr;
    }

    platform::NotifyIconData TelmoIcon(std::vector<unsigned>* hostMenuCommands = nullptr)
    {
        platform::NotifyIconData icon{129, RedIcon(), "Telmo", CommandMenu(), nullptr};
        if (hostMenuCommands)
            icon.onHostMenuCommand = [hostMenuCommands](unsigned id) {
                hostMenuCommands->push_back(id);
            };
        return icon;
    }

    FakeProbe m_probe;
    int m_argc = 1;
    char m_name[6] = "telmo";
    char* m_argv[1] = {m_name};
    QApplication m_app{m_argc, m_argv};
};

} // namespace

TEST_F(NotifyIconTest, ActivationsBecomeTheMouseMessagesOfTheOriginalPlatform)
{
    EXPECT_EQ(SystemTrayIconService::MouseMessageFor(QSystemTrayIcon::Trigger), 514u);
    EXPECT_EQ(SystemTrayIconService::MouseMessageFor(QSystemTrayIcon::Context), 517u);
    // A double click is no button release: the owner ignores it, so it opens no second menu.
    EXPECT_EQ(SystemTrayIconService::MouseMessageFor(QSystemTrayIcon::DoubleClick), 515u);
    EXPECT_EQ(SystemTrayIconService::MouseMessageFor(QSystemTrayIcon::Unknown), 0u);
}

TEST_F(NotifyIconTest, ClicksReachTheCallbackWithTheIconsId)
{
    SystemTrayIconService service(m_probe);
    std::vector<std::pair<unsigned, unsigned>> calls;
    service.SetCallback([&](unsigned id, unsigned message) { calls.emplace_back(id, message); });
    ASSERT_TRUE(service.Add(TelmoIcon()));
    ASSERT_TRUE(service.Add({7, RedIcon(), "Other", nullptr, nullptr}));

    QSystemTrayIcon* telmo = IconOf(service, "Telmo");
    ASSERT_NE(telmo, nullptr);
    EXPECT_EQ(telmo->contextMenu(), nullptr);
    emit telmo->activated(QSystemTrayIcon::Context);
    emit IconOf(service, "Other")->activated(QSystemTrayIcon::Trigger);
    emit telmo->activated(QSystemTrayIcon::Unknown);

    std::vector<std::pair<unsigned, unsigned>> expected{{129, 517}, {7, 514}};
    EXPECT_EQ(calls, expected);
}

TEST_F(NotifyIconTest, AnIdIsAddedOnceAndDeletedOnce)
{
    SystemTrayIconService service(m_probe);
    ASSERT_TRUE(service.Add(TelmoIcon()));
    EXPECT_FALSE(service.Add({129, RedIcon(), "Again", nullptr, nullptr}));
    EXPECT_TRUE(service.Delete(129));
    EXPECT_EQ(IconOf(service, "Telmo"), nullptr);
    EXPECT_FALSE(service.Delete(129));
    EXPECT_TRUE(service.Add(TelmoIcon()));
}

TEST_F(NotifyIconTest, OnlyAnAreaThatShowsMenusItselfGetsTheHostMenu)
{
    struct Case
    {
        bool statusNotifier;
        bool xembed;
        TrayHost host;
    };
    const Case cases[] = {{true, false, TrayHost::StatusNotifier},
                          {true, true, TrayHost::StatusNotifier},
                          {false, true, TrayHost::XEmbed}};
    for (const Case& row : cases) {
        SCOPED_TRACE(testing::Message() << row.statusNotifier << row.xembed);
        m_probe.statusNotifier = row.statusNotifier;
        m_probe.xembed = row.xembed;
        SystemTrayIconService service(m_probe);
        ASSERT_TRUE(service.Add(TelmoIcon()));
        EXPECT_EQ(service.Host(), row.host);
        QSystemTrayIcon* icon = IconOf(service, "Telmo");
        ASSERT_NE(icon, nullptr);
        // An XEmbed tray would get Qt's popup of an attached menu beside the program's own.
        EXPECT_EQ(icon->contextMenu() != nullptr, row.host == TrayHost::StatusNotifier);
    }
}

TEST_F(NotifyIconTest, AHostMenuCommandRunsAfterTheHostsCallHasReturned)
{
    m_probe.statusNotifier = true;
    SystemTrayIconService service(m_probe);
    std::vector<unsigned> commands;
    ASSERT_TRUE(service.Add(TelmoIcon(&commands)));
    QMenu* menu = IconOf(service, "Telmo")->contextMenu();
    ASSERT_NE(menu, nullptr);
    QAction* import = menu->actions().at(1)->menu()->actions().at(0);
    import->trigger();
    EXPECT_TRUE(commands.empty());
    QApplication::processEvents();
    EXPECT_EQ(commands, std::vector<unsigned>{32775});
}

TEST_F(NotifyIconTest, AnIconWaitsForTheFirstAreaAndTakesItsKind)
{
    m_probe.xembed = false;
    SystemTrayIconService service(m_probe);
    EXPECT_FALSE(service.IsAreaAvailable());
    // Registered, but not yet made: Qt would settle on the kind of area before there is one.
    ASSERT_TRUE(service.Add(TelmoIcon()));
    EXPECT_EQ(IconOf(service, "Telmo"), nullptr);
    EXPECT_EQ(service.Host(), TrayHost::None);

    m_probe.statusNotifier = true;
    EXPECT_TRUE(service.IsAreaAvailable());
    EXPECT_TRUE(QTest::qWaitFor([&] { return IconOf(service, "Telmo") != nullptr; }, 10000))
        << "the icon did not show once a notification area appeared";
    EXPECT_EQ(service.Host(), TrayHost::StatusNotifier);
    EXPECT_NE(IconOf(service, "Telmo")->contextMenu(), nullptr);
}
