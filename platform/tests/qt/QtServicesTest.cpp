#include "notify/Menu.h"
#include "notify/MenuTracking.h"
#include "notify/NotifyIcon.h"
#include "notify/StatusNotifierWatch.h"
#include "notify/TrayHostProbe.h"
#include "qt/MessageBox.h"
#include "support/PrivateBus.h"
#include "support/WaitUntil.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusVirtualObject>
#include <QElapsedTimer>
#include <QMenu>
#include <QMessageBox>
#include <QStyle>
#include <QTimer>
#include <fstream>
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
    std::optional<bool> StatusNotifierHostRegistered() const override { return false; }
    std::optional<std::string> WatcherProgram() const override { return std::nullopt; }
    bool XEmbedTrayOwned() const override { return m_xembed; }
    void Look() override {}
    void SetListener(std::function<void(bool)>) override {}

    QSystemTrayIcon* IconOf(DesktopNotifyIconService& service, const std::string& tip)
    {
        for (QSystemTrayIcon* icon : service.findChildren<QSystemTrayIcon*>())
            if (icon->toolTip() == QString::fromStdString(tip))
                return icon;
        return nullptr;
    }

    bool m_xembed = true;
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
    Menu copy;
    copy.AppendCopyOf(popup);

    ASSERT_TRUE(popup.RemoveMenu(2));
    EXPECT_EQ(popup.ItemAt(2)->text, "M\xC3\xBCller");
    EXPECT_FALSE(popup.ModifyMenuByCommand(32775, "x")) << "removed with its popup";
    EXPECT_FALSE(popup.RemoveMenu(5));
    popup.DestroyMenu();
    EXPECT_EQ(popup.GetMenuItemCount(), 0);
    EXPECT_EQ(copy.GetSubMenu(2)->ItemAt(0)->text, "Import") << "a copy lives on by itself";
    EXPECT_EQ(std::any_cast<std::string>(*copy.GetMenuItemData(32775)), "carried");
}

TEST(MenuTrackingTest, OneMenuAtATimeShowsTheModelAndItsChoiceReachesTheOwnerAfterItClosed)
{
    QMenuTracker tracker;
    std::vector<unsigned> commands;
    const auto record = [&](unsigned id) { commands.push_back(id); };
    ASSERT_TRUE(tracker.TrackPopupMenu(MakePopup(), ScreenPoint{30, 40}, record));
    QMenu* open = tracker.OpenMenu();
    ASSERT_NE(open, nullptr);
    EXPECT_EQ(open->pos(), QPoint(31, 41)) << "beside the clicked pixel";
    EXPECT_FALSE(tracker.TrackPopupMenu(MakePopup(), std::nullopt, record));
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
    // A host's menu opening ends the program's own.
    EXPECT_TRUE(tracker.TrackPopupMenu(MakePopup(), std::nullopt, record));
    tracker.EndMenu();
    QApplication::processEvents();
    EXPECT_EQ(tracker.OpenMenu(), nullptr);
    EXPECT_EQ(commands, std::vector<unsigned>{32775});
}

TEST_F(NotifyIconTest, AnIconWaitsForAnAreaAndItsClicksReachTheCallbackAsMouseMessages)
{
    m_xembed = false;
    DesktopNotifyIconService service(*this);
    std::vector<std::pair<unsigned, unsigned>> calls;
    service.SetCallback([&](unsigned id, unsigned message, std::optional<ScreenPoint> at) {
        EXPECT_FALSE(at) << "an XEmbed tray gives no point: the menu goes to the mouse";
        calls.emplace_back(id, message);
    });
    const NotifyIconData telmoIcon{129, AnIcon(), "Telmo", nullptr, nullptr, nullptr, nullptr};
    // Registered, but not yet made: Qt would settle on the kind of area before there is one.
    ASSERT_TRUE(service.Add(telmoIcon));
    EXPECT_FALSE(service.IsAreaAvailable());
    EXPECT_EQ(IconOf(service, "Telmo"), nullptr);
    m_xembed = true;
    ASSERT_TRUE(testsupport::WaitUntil([&] {
        QApplication::processEvents();
        return IconOf(service, "Telmo") != nullptr;
    })) << "the icon did not show once a notification area appeared";
    EXPECT_EQ(service.Host(), TrayHost::XEmbed);
    ASSERT_TRUE(service.Add({7, AnIcon(), "Other", nullptr, nullptr, nullptr, nullptr}));
    QSystemTrayIcon* telmo = IconOf(service, "Telmo");
    // An XEmbed tray would show Qt's popup of an attached menu beside the program's own.
    EXPECT_EQ(telmo->contextMenu(), nullptr);
    emit telmo->activated(QSystemTrayIcon::Context);
    emit IconOf(service, "Other")->activated(QSystemTrayIcon::Trigger);
    // A double click is no button release: the owner ignores it, so it opens no second menu.
    emit telmo->activated(QSystemTrayIcon::DoubleClick);
    emit telmo->activated(QSystemTrayIcon::Unknown);
    EXPECT_EQ(calls,
              (std::vector<std::pair<unsigned, unsigned>>{{129, 517}, {7, 514}, {129, 515}}));

    EXPECT_FALSE(service.Add(telmoIcon));
    EXPECT_TRUE(service.Delete(129));
    EXPECT_EQ(IconOf(service, "Telmo"), nullptr);
    EXPECT_FALSE(service.Delete(129));
    EXPECT_FALSE(service.Modify(telmoIcon));
    EXPECT_TRUE(service.Add(telmoIcon));
}

namespace {

// How long this thread has waited for a core, runnable but not running.
std::chrono::nanoseconds RunQueueWait()
{
    std::ifstream schedstat("/proc/thread-self/schedstat"); // "running waiting timeslices"
    long long running = 0, waiting = 0;
    schedstat >> running >> waiting;
    return std::chrono::nanoseconds(waiting);
}

// A StatusNotifierWatcher on the bus, whose calls the test's own watchers take.
class FakeWatcher : public QDBusVirtualObject
{
public:
    explicit FakeWatcher(QDBusConnection bus)
    {
        bus.registerService(kStatusNotifierWatcherService);
        bus.registerVirtualObject(kStatusNotifierWatcherPath, this);
    }
    QString introspect(const QString&) const override { return {}; }
};

// A watcher that takes every call and never answers, as a frozen panel does; it counts the
// questions about a host.
class SilentWatcher : public FakeWatcher
{
public:
    using FakeWatcher::FakeWatcher;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection&) override
    {
        hostQuestions += message.member() == "Get";
        return true;
    }

    int hostQuestions = 0;
};

// A watcher that counts the items' registrations and accepts them.
class RegisteringWatcher : public FakeWatcher
{
public:
    using FakeWatcher::FakeWatcher;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        if (message.member() != "RegisterStatusNotifierItem")
            return false;
        ++registrations;
        return connection.send(message.createReply());
    }

    int registrations = 0;
};

// What the desktop's watcher says, as the test tells it.
class ToldProbe : public TrayHostProbe
{
public:
    std::optional<bool> StatusNotifierHostRegistered() const override { return m_hostRegistered; }
    std::optional<std::string> WatcherProgram() const override { return "waybar"; }
    bool XEmbedTrayOwned() const override { return false; }
    void Look() override {}
    void SetListener(std::function<void(bool newWatcher)> listener) override
    {
        m_listener = std::move(listener);
    }
    void Tell(std::optional<bool> hostRegistered, bool newWatcher)
    {
        m_hostRegistered = hostRegistered;
        if (m_listener)
            m_listener(newWatcher);
    }

private:
    std::optional<bool> m_hostRegistered;
    std::function<void(bool newWatcher)> m_listener;
};

} // namespace

TEST(StatusNotifierWatchTest, AWatcherThatNeverAnswersNeverHoldsUpTheProgram)
{
    testsupport::PrivateBus bus(DBUS_DAEMON);
    SilentWatcher watcher(bus.Connect("watcher"));
    DesktopTrayHostProbe probe(bus.Connect("telmo"));
    DesktopNotifyIconService service(probe);
    ASSERT_TRUE(service.Add({129, QIcon(), "Telmo", nullptr, nullptr, nullptr, nullptr}));
    // The longest stretch between two turns of the event loop, while Telmo looks for an area
    // (as the main window does too) until it has asked the watcher a second time. Time spent
    // waiting for a core (other programs' load) is no stretch of Telmo's.
    QElapsedTimer sinceLastTurn;
    std::chrono::nanoseconds waitedForCore = RunQueueWait();
    qint64 longestStretchMs = 0;
    QTimer turns;
    QObject::connect(&turns, &QTimer::timeout, [&] {
        const std::chrono::nanoseconds waited = RunQueueWait();
        const qint64 stretchNs = sinceLastTurn.nsecsElapsed() - (waited - waitedForCore).count();
        longestStretchMs = std::max(longestStretchMs, stretchNs / 1000000);
        sinceLastTurn.restart();
        waitedForCore = waited;
        EXPECT_FALSE(service.IsAreaAvailable());
    });
    turns.start(5);
    sinceLastTurn.start();
    EXPECT_TRUE(testsupport::WaitUntil([&] {
        QApplication::processEvents();
        return watcher.hostQuestions >= 2;
    }));
    EXPECT_LT(longestStretchMs, 100);
    EXPECT_EQ(service.Host(), TrayHost::None);
}

TEST(StatusNotifierWatchTest, IconsRegisterWithANewWatcherOnceAHostHasRegisteredWithIt)
{
    testsupport::PrivateBus bus(DBUS_DAEMON);
    RegisteringWatcher watcher(bus.Connect("watcher"));
    ToldProbe probe;
    QString itemConnection;
    DesktopNotifyIconService service(probe, [&](const QString& name) {
        itemConnection = name;
        return bus.Connect(name);
    });
    probe.Tell(true, true);
    ASSERT_TRUE(service.Add({129, QIcon(), "Telmo", nullptr, nullptr, nullptr, nullptr}));
    auto registeredTimes = [&](int count) {
        return testsupport::WaitUntil([&] {
            QApplication::processEvents();
            return watcher.registrations >= count;
        });
    };
    ASSERT_TRUE(registeredTimes(1));

    // A restarted panel: its watcher is new, its host still starting.
    probe.Tell(std::nullopt, true);
    probe.Tell(false, false);
    // The item's messages arrive in order: what it sent before is in once this is answered.
    QDBusPendingCall ping =
        QDBusConnection(itemConnection)
            .asyncCall(QDBusMessage::createMethodCall(kStatusNotifierWatcherService, "/",
                                                      "org.freedesktop.DBus.Peer", "Ping"));
    ASSERT_TRUE(testsupport::WaitUntil([&] {
        QApplication::processEvents();
        return ping.isFinished();
    }));
    EXPECT_EQ(watcher.registrations, 1) << "a host starting after the item may miss it";
    probe.Tell(true, false);
    EXPECT_TRUE(registeredTimes(2));
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
