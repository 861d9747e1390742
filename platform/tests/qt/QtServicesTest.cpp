#include "Menu.h"
#include "MenuTracking.h"
#include "MessageBox.h"
#include "NotifyIcon.h"
#include "support/WaitUntil.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMenu>
#include <QMessageBox>
#include <QStyle>
#include <QTimer>
#include <gtest/gtest.h>

using namespace platform;

namespace {

// A popup like the program's: texts with markers, a submenu, a separator.
Menu MakePopup()
{
    Menu submenu;
    submenu.AppendCommand(32775, "Import Entries");
    Menu popup;
    popup.AppendCommand(32771, "Ben & Jerry")
        .AppendCommand(32782, "Work:\t1-800-Work-Now")
        .AppendPopup("Import/Export", std::move(submenu))
        .AppendPopup("M\xC3\xBCller", Menu())
        .AppendSeparator()
        .AppendCommand(32773, "Exit");
    return popup;
}

// Stands in for the desktop's notification areas as well.
class NotifyIconTest : public testing::Test, public TrayHostProbe
{
protected:
    static QIcon AnIcon() { return QApplication::style()->standardIcon(QStyle::SP_ComputerIcon); }
    bool StatusNotifierHostRegistered() const override { return m_statusNotifier; }
    bool XEmbedTrayOwned() const override { return m_xembed; }

    QSystemTrayIcon* IconOf(SystemTrayIconService& service, const std::string& tip)
    {
        for (QSystemTrayIcon* icon : service.findChildren<QSystemTrayIcon*>())
            if (icon->toolTip() == QString::fromStdString(tip))
                return icon;
        return nullptr;
    }

    NotifyIconData TelmoIcon()
    {
        NotifyIconData icon{129, AnIcon(), "Telmo", std::make_shared<Menu>(MakePopup()), nullptr};
        icon.onHostMenuCommand = [this](unsigned id) { m_hostMenuCommands.push_back(id); };
        return icon;
    }

    bool m_statusNotifier = false;
    bool m_xembed = true;
    std::vector<unsigned> m_hostMenuCommands;
};

} // namespace

TEST(MenuTest, ItemsAreChangedByPositionOrByCommandInsideSubmenus)
{
    Menu popup = MakePopup();
    ASSERT_TRUE(popup.ModifyMenuByPosition(2, "Renamed"));
    EXPECT_EQ(popup.ItemAt(2)->text, "Renamed");
    ASSERT_NE(popup.GetSubMenu(2), nullptr) << "a retitled popup keeps its submenu";
    ASSERT_TRUE(popup.SetMenuItemData(32775, std::string("carried")));
    ASSERT_TRUE(popup.ModifyMenuByCommand(32775, "Import"));
    EXPECT_EQ(popup.GetSubMenu(2)->ItemAt(0)->text, "Import");
    EXPECT_EQ(std::any_cast<std::string>(*popup.GetMenuItemData(32775)), "carried");
    EXPECT_FALSE(popup.ModifyMenuByCommand(99, "x"));
    // Separators and popups carry id 0; command 0 must not land on them.
    EXPECT_FALSE(popup.ModifyMenuByCommand(0, "x"));
    EXPECT_EQ(popup.GetSubMenu(4), nullptr);

    ASSERT_TRUE(popup.RemoveMenu(2));
    EXPECT_EQ(popup.ItemAt(2)->text, "M\xC3\xBCller");
    EXPECT_FALSE(popup.ModifyMenuByCommand(32775, "x")) << "removed with its popup";
    EXPECT_FALSE(popup.RemoveMenu(5));
    popup.DestroyMenu();
    EXPECT_EQ(popup.GetMenuItemCount(), 0);
}

TEST(MenuTrackingTest, OneMenuAtATimeShowsTheModelAndItsChoiceReachesTheOwnerAfterItClosed)
{
    QMenuTracker tracker;
    std::vector<unsigned> commands;
    ASSERT_TRUE(tracker.TrackPopupMenu(MakePopup(), [&](unsigned id) { commands.push_back(id); }));
    QMenu* open = tracker.OpenMenu();
    ASSERT_NE(open, nullptr);
    EXPECT_FALSE(tracker.TrackPopupMenu(MakePopup(), [](unsigned) {}));
    EXPECT_EQ(tracker.OpenMenu(), open);
    QList<QAction*> actions = open->actions();
    ASSERT_EQ(actions.size(), 6);
    // '&' is shown as itself rather than taken as a mnemonic marker.
    EXPECT_EQ(actions[0]->text(), "Ben && Jerry");
    EXPECT_EQ(actions[0]->data().toUInt(), 32771u);
    EXPECT_EQ(actions[1]->text(), "Work:\t1-800-Work-Now");
    EXPECT_EQ(actions[3]->text(), QString::fromUtf8("M\xC3\xBCller"));
    EXPECT_TRUE(actions[4]->isSeparator());
    EXPECT_EQ(actions[5]->data().toUInt(), 32773u);

    actions[2]->menu()->actions().at(0)->trigger();
    open->close();
    EXPECT_TRUE(commands.empty());
    QApplication::processEvents();
    EXPECT_EQ(commands, std::vector<unsigned>{32775});
    EXPECT_EQ(tracker.OpenMenu(), nullptr);
    EXPECT_TRUE(tracker.TrackPopupMenu(MakePopup(), [](unsigned) {}));
}

TEST_F(NotifyIconTest, ClicksReachTheCallbackAsTheMouseMessagesOfTheOriginalPlatform)
{
    SystemTrayIconService service(*this);
    std::vector<std::pair<unsigned, unsigned>> calls;
    service.SetCallback([&](unsigned id, unsigned message) { calls.emplace_back(id, message); });
    ASSERT_TRUE(service.Add(TelmoIcon()));
    ASSERT_TRUE(service.Add({7, AnIcon(), "Other", nullptr, nullptr}));
    QSystemTrayIcon* telmo = IconOf(service, "Telmo");
    ASSERT_NE(telmo, nullptr);
    // An XEmbed tray would show Qt's popup of an attached menu beside the program's own.
    EXPECT_EQ(service.Host(), TrayHost::XEmbed);
    EXPECT_EQ(telmo->contextMenu(), nullptr);
    emit telmo->activated(QSystemTrayIcon::Context);
    emit IconOf(service, "Other")->activated(QSystemTrayIcon::Trigger);
    // A double click is no button release: the owner ignores it, so it opens no second menu.
    emit telmo->activated(QSystemTrayIcon::DoubleClick);
    emit telmo->activated(QSystemTrayIcon::Unknown);
    EXPECT_EQ(calls,
              (std::vector<std::pair<unsigned, unsigned>>{{129, 517}, {7, 514}, {129, 515}}));

    EXPECT_FALSE(service.Add({129, AnIcon(), "Again", nullptr, nullptr}));
    EXPECT_TRUE(service.Delete(129));
    EXPECT_EQ(IconOf(service, "Telmo"), nullptr);
    EXPECT_FALSE(service.Delete(129));
    EXPECT_TRUE(service.Add(TelmoIcon()));
}

TEST_F(NotifyIconTest, AnIconWaitsForTheFirstAreaAndItsMenuCommandsRunAfterTheHostsCall)
{
    m_xembed = false;
    SystemTrayIconService service(*this);
    EXPECT_FALSE(service.IsAreaAvailable());
    // Registered, but not yet made: Qt would settle on the kind of area before there is one.
    ASSERT_TRUE(service.Add(TelmoIcon()));
    EXPECT_EQ(IconOf(service, "Telmo"), nullptr);
    EXPECT_EQ(service.Host(), TrayHost::None);

    // Both kinds at once: the one that shows menus itself is used.
    m_statusNotifier = m_xembed = true;
    EXPECT_TRUE(service.IsAreaAvailable());
    ASSERT_TRUE(testsupport::WaitUntil([&] {
        QApplication::processEvents();
        return IconOf(service, "Telmo") != nullptr;
    })) << "the icon did not show once a notification area appeared";
    EXPECT_EQ(service.Host(), TrayHost::StatusNotifier);
    QMenu* menu = IconOf(service, "Telmo")->contextMenu();
    ASSERT_NE(menu, nullptr);
    menu->actions().at(2)->menu()->actions().at(0)->trigger();
    EXPECT_TRUE(m_hostMenuCommands.empty());
    QApplication::processEvents();
    EXPECT_EQ(m_hostMenuCommands, std::vector<unsigned>{32775});
}

TEST(MessageBoxTest, NamesAreShownAsTypedNeverAsMarkup)
{
    QString shownText;
    Qt::TextFormat shownFormat = Qt::AutoText;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            poll.stop();
            shownText = box->text();
            shownFormat = box->textFormat();
            box->button(QMessageBox::No)->click();
        }
    });
    poll.start(1);
    EXPECT_EQ(ShowMessageBox(nullptr, {"Delete <b>Ann</b>?", "Telmo", MessageButtons::YesNo,
                                       MessageIcon::Exclamation}),
              MessageResult::No);
    EXPECT_EQ(shownText, "Delete <b>Ann</b>?");
    EXPECT_EQ(shownFormat, Qt::PlainText);
}
