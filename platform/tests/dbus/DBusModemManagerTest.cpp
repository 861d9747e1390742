#include "DBusModemManager.h"

#include "support/TempFolder.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <chrono>
#include <csignal>
#include <fstream>
#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

using platform::DBusModemManager;
using Hold = platform::ModemManager::Hold;

namespace {

constexpr auto kStartTimeout = std::chrono::seconds(30);
const QString kService = "org.freedesktop.ModemManager1";

// A program the test started, ended when the test ends.
class ChildProcess
{
public:
    // Starts the program with the extra environment; with a pipe for its output when asked.
    ChildProcess(std::vector<std::string> arguments, const std::vector<std::string>& environment,
                 bool captureOutput = false)
    {
        std::vector<std::string> variables = environment;
        for (char** variable = environ; *variable; ++variable)
            variables.emplace_back(*variable);
        std::vector<char*> argv, envp;
        for (std::string& argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        for (std::string& variable : variables)
            envp.push_back(variable.data());
        envp.push_back(nullptr);

        int output[2] = {-1, -1};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        if (captureOutput && pipe(output) == 0) {
            posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
            posix_spawn_file_actions_addclose(&actions, output[0]);
        }
        if (posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0)
            m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        if (output[1] >= 0)
            close(output[1]);
        m_output = output[0];
    }
    ~ChildProcess()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
        if (m_output >= 0)
            close(m_output);
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return m_pid > 0; }

    // The first line the program wrote, waiting for it at most the timeout.
    std::string FirstLine()
    {
        std::string line;
        auto deadline = std::chrono::steady_clock::now() + kStartTimeout;
        char c = 0;
        while (std::chrono::steady_clock::now() < deadline) {
            pollfd wait{m_output, POLLIN, 0};
            if (poll(&wait, 1, 100) > 0 && read(m_output, &c, 1) == 1) {
                if (c == '\n')
                    break;
                line += c;
            }
        }
        return line;
    }

private:
    pid_t m_pid = -1;
    int m_output = -1;
};

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
        ASSERT_TRUE(m_daemon.Started()) << DBUS_DAEMON << " did not start (dbus-daemon package)";
        std::string address = m_daemon.FirstLine();
        ASSERT_FALSE(address.empty()) << "the private bus gave no address";
        m_mock = std::make_unique<ChildProcess>(
            std::vector<std::string>{SYSTEM_PYTHON, "-m", "dbusmock", "--session", "-t",
                                     MODEMMANAGER_MOCK, "-l", (m_folder / "mock.log").string(),
                                     "-p", "{\"log\": \"" + m_log.string() + "\"}"},
            std::vector<std::string>{"DBUS_SESSION_BUS_ADDRESS=" + address});
        m_bus = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(
            QString::fromStdString(address), QString::number(m_connections++)));
        ASSERT_TRUE(m_bus->isConnected());
        auto deadline = std::chrono::steady_clock::now() + kStartTimeout;
        while (!m_bus->interface()->isServiceRegistered(kService) &&
               std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        ASSERT_TRUE(m_bus->interface()->isServiceRegistered(kService))
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
    ChildProcess m_daemon{{DBUS_DAEMON, "--session", "--nofork", "--print-address=1",
                           "--address=unix:path=" + (m_folder / "bus").string()},
                          {},
                          true};
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

TEST_F(DBusModemManagerTest, CallsTheNumberStartsItAndHangsUpWhenAsked)
{
    DBusModemManager manager(*m_bus);
    EXPECT_EQ(manager.StartCall("/dev/ttyUSB2", "9,5551234"), std::nullopt);
    EXPECT_EQ(Calls(), (std::vector<std::string>{"CreateCall 9,5551234", "Start " + kCall}));
    manager.HangUp();
    manager.HangUp();
    EXPECT_EQ(Calls(), (std::vector<std::string>{"CreateCall 9,5551234", "Start " + kCall,
                                                 "Hangup " + kCall, "DeleteCall " + kCall}));
}

TEST_F(DBusModemManagerTest, ACallStillGoingIsHungUpWhenTheManagerEnds)
{
    {
        DBusModemManager manager(*m_bus);
        ASSERT_EQ(manager.StartCall("/dev/ttyUSB1", "5551234"), std::nullopt);
    }
    EXPECT_EQ(Calls(), (std::vector<std::string>{"CreateCall 5551234", "Start " + kCall,
                                                 "Hangup " + kCall, "DeleteCall " + kCall}));
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
