#include "DBusModemManager.h"

#include "support/TempFolder.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <chrono>
#include <csignal>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using platform::DBusModemManager;
using Hold = platform::ModemManager::Hold;

namespace {

constexpr auto kStartTimeout = std::chrono::seconds(30);
const QString kService = "org.freedesktop.ModemManager1";

// A program the test started with an extra environment variable, ended when the test ends.
class ChildProcess
{
public:
    ChildProcess(std::vector<std::string> arguments, const std::string& variable = "")
    {
        std::vector<char*> argv;
        for (std::string& argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        m_pid = fork();
        if (m_pid == 0) {
            if (!variable.empty())
                putenv(const_cast<char*>(variable.c_str()));
            execv(argv[0], argv.data());
            _exit(127);
        }
    }
    ~ChildProcess()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

private:
    pid_t m_pid = -1;
};

// True once the condition holds, false when it did not within the start-up bound.
template <typename Condition> bool WaitFor(Condition&& condition)
{
    auto deadline = std::chrono::steady_clock::now() + kStartTimeout;
    while (!condition() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return condition();
}

// A private bus with the test's ModemManager on it; never the machine's service.
class DBusModemManagerTest : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char name[] = "DBusModemManagerTest";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance())
            new QCoreApplication(argc, argv);
    }

    void SetUp() override
    {
        ASSERT_TRUE(WaitFor([&] {
            m_bus = std::make_unique<QDBusConnection>(
                QDBusConnection::connectToBus(m_address, QString::number(m_connections++)));
            return m_bus->isConnected();
        })) << "the private bus did not come up (" DBUS_DAEMON ", package dbus-daemon)";
        m_mock = std::make_unique<ChildProcess>(
            std::vector<std::string>{SYSTEM_PYTHON, "-m", "dbusmock", "--session", "-t",
                                     MODEMMANAGER_MOCK, "-l", (m_folder / "mock.log").string(),
                                     "-p", "{\"log\": \"" + m_log.string() + "\"}"},
            "DBUS_SESSION_BUS_ADDRESS=" + m_address.toStdString());
        ASSERT_TRUE(WaitFor([&] { return m_bus->interface()->isServiceRegistered(kService); }))
            << "the ModemManager mock did not come up (python3-dbusmock)";
    }

    void TearDown() override
    {
        if (m_bus)
            QDBusConnection::disconnectFromBus(m_bus->name());
    }

    // The Voice and Call methods the mock was called with, in order.
    std::vector<std::string> Calls() const
    {
        std::vector<std::string> calls;
        std::ifstream in(m_log);
        for (std::string line; std::getline(in, line);)
            calls.push_back(line);
        return calls;
    }

    static inline int m_connections = 0;
    testsupport::TempFolder m_folder;
    std::filesystem::path m_log = m_folder / "calls";
    QString m_address = QString::fromStdString("unix:path=" + (m_folder / "bus").string());
    ChildProcess m_daemon{{DBUS_DAEMON, "--session", "--nofork", "--nopidfile",
                           "--address=" + m_address.toStdString()}};
    std::unique_ptr<ChildProcess> m_mock;
    std::unique_ptr<QDBusConnection> m_bus;
};

const std::string kCall = "/org/freedesktop/ModemManager1/Call/1";

} // namespace

TEST_F(DBusModemManagerTest, TellsWhichDevicesItHoldsAndWhetherWithVoice)
{
    DBusModemManager manager(*m_bus);
    const std::pair<const char*, Hold> cases[] = {{"/dev/ttyUSB2", Hold::WithVoice},
                                                  {"/dev/ttyUSB1", Hold::WithVoice},
                                                  {"/dev/ttyACM0", Hold::WithoutVoice},
                                                  {"/dev/ttyS0", Hold::None}};
    for (const auto& [device, hold] : cases)
        EXPECT_EQ(manager.Holds(device), hold) << device;
    EXPECT_EQ(DBusModemManager(QDBusConnection::connectToBus("unix:path=/nonexistent", "none"))
                  .Holds("/dev/ttyUSB2"),
              Hold::None);
    EXPECT_TRUE(Calls().empty());
}

TEST_F(DBusModemManagerTest, CallsTheNumberStartsItAndHangsUpWhenAskedOrAtTheEnd)
{
    const std::vector<std::string> oneCall = {"CreateCall 9,5551234", "Start " + kCall,
                                              "Hangup " + kCall, "DeleteCall " + kCall};
    {
        DBusModemManager manager(*m_bus);
        EXPECT_EQ(manager.StartCall("/dev/ttyUSB2", "9,5551234"), std::nullopt);
        EXPECT_EQ(Calls(), std::vector(oneCall.begin(), oneCall.begin() + 2));
        manager.HangUp();
        manager.HangUp();
        EXPECT_EQ(Calls(), oneCall);
        // The call that the manager's end finds still going.
        EXPECT_EQ(manager.StartCall("/dev/ttyUSB1", "5551234"), std::nullopt);
    }
    const std::string second = "/org/freedesktop/ModemManager1/Call/2";
    std::vector<std::string> twoCalls = oneCall;
    twoCalls.insert(twoCalls.end(), {"CreateCall 5551234", "Start " + second, "Hangup " + second,
                                     "DeleteCall " + second});
    EXPECT_EQ(Calls(), twoCalls);
}

TEST_F(DBusModemManagerTest, ACallThatCannotBePlacedGivesTheReason)
{
    DBusModemManager manager(*m_bus);
    EXPECT_EQ(manager.StartCall("/dev/ttyUSB2", "fail"), "No network");
    EXPECT_EQ(manager.StartCall("/dev/ttyACM0", "5551234"),
              "ModemManager offers no voice calls on /dev/ttyACM0.");
    manager.HangUp();
    EXPECT_TRUE(Calls().empty());
}
