#include "DBusModemManager.h"

#include "support/ChildProcess.h"
#include "support/TempFolder.h"
#include "support/WaitUntil.h"

#include <QDBusConnectionInterface>
#include <gtest/gtest.h>

using namespace platform;
using namespace testsupport;
using Hold = platform::ModemManager::Hold;

namespace {

const QString kService = "org.freedesktop.ModemManager1";
const std::string kCall = "/org/freedesktop/ModemManager1/Call/";

// A private bus with the test's ModemManager on it; never the machine's service.
class DBusModemManagerTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(WaitUntil([&] {
            m_bus = std::make_unique<QDBusConnection>(
                QDBusConnection::connectToBus(m_address, QString::number(m_connections++)));
            return m_bus->isConnected();
        })) << "the private bus did not come up (" DBUS_DAEMON ", package dbus-daemon)";
        testsupport::ChildOptions onThePrivateBus;
        onThePrivateBus.environment = {"DBUS_SESSION_BUS_ADDRESS=" + m_address.toStdString()};
        m_mock = std::make_unique<ChildProcess>(
            SYSTEM_PYTHON,
            std::vector<std::string>{"-m", "dbusmock", "--session", "-t", MODEMMANAGER_MOCK, "-l",
                                     (m_folder / "mock.log").string(), "-p",
                                     "{\"log\": \"" + m_log.string() + "\"}"},
            onThePrivateBus);
        ASSERT_TRUE(WaitUntil([&] { return m_bus->interface()->isServiceRegistered(kService); }))
            << "the ModemManager mock did not come up (python3-dbusmock)";
    }

    void TearDown() override { QDBusConnection::disconnectFromBus(m_bus->name()); }

    // The Voice and Call methods the mock was called with, one a line.
    std::string Calls() const { return testsupport::ReadFile(m_log); }

    static inline int m_connections = 0;
    testsupport::TempFolder m_folder;
    std::filesystem::path m_log = m_folder / "calls";
    QString m_address = QString::fromStdString("unix:path=" + (m_folder / "bus").string());
    ChildProcess m_daemon{
        DBUS_DAEMON,
        {"--session", "--nofork", "--nopidfile", "--address=" + m_address.toStdString()}};
    std::unique_ptr<ChildProcess> m_mock;
    std::unique_ptr<QDBusConnection> m_bus;
};

} // namespace

TEST_F(DBusModemManagerTest, TellsWhichDevicesItHoldsAndWhetherWithVoice)
{
    DBusModemManager manager(*m_bus);
    const std::pair<const char*, Hold> rows[] = {{"/dev/ttyUSB2", Hold::WithVoice},
                                                 {"/dev/ttyUSB1", Hold::WithVoice},
                                                 {"/dev/ttyACM0", Hold::WithoutVoice},
                                                 {"/dev/ttyS0", Hold::None}};
    for (const auto& [device, hold] : rows)
        EXPECT_EQ(manager.Holds(device), hold) << device;
    EXPECT_EQ(DBusModemManager(QDBusConnection::connectToBus("unix:path=/nonexistent", "none"))
                  .Holds("/dev/ttyUSB2"),
              Hold::None);
    EXPECT_EQ(Calls(), "");
}

TEST_F(DBusModemManagerTest, CallsTheNumberAndHangsUpWhenAskedOrAtTheEnd)
{
    {
        DBusModemManager manager(*m_bus);
        EXPECT_EQ(manager.StartCall("/dev/ttyUSB2", "9,5551234"), std::nullopt);
        EXPECT_EQ(Calls(), "CreateCall 9,5551234\nStart " + kCall + "1\n");
        manager.HangUp();
        manager.HangUp();
        // The call that the manager's end finds still going.
        EXPECT_EQ(manager.StartCall("/dev/ttyUSB1", "5551234"), std::nullopt);
    }
    EXPECT_EQ(Calls(), "CreateCall 9,5551234\nStart " + kCall + "1\nHangup " + kCall +
                           "1\nDeleteCall " + kCall + "1\nCreateCall 5551234\nStart " + kCall +
                           "2\nHangup " + kCall + "2\nDeleteCall " + kCall + "2\n");
}

TEST_F(DBusModemManagerTest, ACallThatCannotBePlacedGivesTheReason)
{
    DBusModemManager manager(*m_bus);
    EXPECT_EQ(manager.StartCall("/dev/ttyUSB2", "fail"), "No network");
    EXPECT_EQ(manager.StartCall("/dev/ttyACM0", "5551234"),
              "ModemManager offers no voice calls on /dev/ttyACM0.");
    manager.HangUp();
    EXPECT_EQ(Calls(), "");
}
