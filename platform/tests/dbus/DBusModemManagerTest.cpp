#include "dbus/DBusModemManager.h"

#include "support/ChildProcess.h"
#include "support/TempFolder.h"
#include "support/WaitUntil.h"

#include <QDBusConnectionInterface>
#include <QEventLoop>
#include <QTest>
#include <QTimer>
#include <csignal>
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
    bool Called(const std::string& call) const { return Calls().find(call) != std::string::npos; }

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

// Waits for the answer that `ask` gets.
template <class Answer> Answer AnswerTo(const std::function<void(std::function<void(Answer)>)>& ask)
{
    std::optional<Answer> answer;
    ask([&](Answer given) { answer = std::move(given); });
    EXPECT_TRUE(QTest::qWaitFor([&] { return answer.has_value(); }, 30000));
    return answer.value_or(Answer());
}

std::optional<std::string> Placed(ModemManager& manager, const std::string& device,
                                  const std::string& number)
{
    return AnswerTo<std::optional<std::string>>(
        [&](auto answer) { manager.StartCall(device, number, answer); });
}

// Runs the event loop: does `act` in it, then turns it until the condition holds (30 s at most).
// Gives the longest time the loop went without a turn meanwhile, as a timer that ticks every
// 10 ms sees it.
std::chrono::milliseconds LongestStall(const std::function<void()>& act,
                                       const std::function<bool()>& until)
{
    using Clock = std::chrono::steady_clock;
    QEventLoop loop;
    QTimer ticks;
    Clock::time_point last = Clock::now();
    Clock::duration longest{};
    QObject::connect(&ticks, &QTimer::timeout, [&] {
        longest = std::max(longest, Clock::now() - last);
        last = Clock::now();
        if (until())
            loop.quit();
    });
    QTimer::singleShot(0, &loop, act);
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    ticks.start(10);
    loop.exec();
    EXPECT_TRUE(until());
    return std::chrono::duration_cast<std::chrono::milliseconds>(longest);
}

} // namespace

TEST_F(DBusModemManagerTest, TellsWhichDevicesItHoldsAndWhetherWithVoice)
{
    DBusModemManager manager(*m_bus);
    DBusModemManager nowhere(QDBusConnection::connectToBus("unix:path=/nonexistent", "none"));
    const std::tuple<DBusModemManager*, const char*, Hold> rows[] = {
        {&manager, "/dev/ttyUSB2", Hold::WithVoice},
        {&manager, "/dev/ttyUSB1", Hold::WithVoice},
        {&manager, "/dev/ttyACM0", Hold::WithoutVoice},
        {&manager, "/dev/ttyS0", Hold::None},
        {&nowhere, "/dev/ttyUSB2", Hold::None}};
    for (const auto& [asked, device, hold] : rows)
        EXPECT_EQ(AnswerTo<Hold>([&](auto answer) { asked->AskHold(device, answer); }), hold)
            << device;
    EXPECT_EQ(Calls(), "");
}

TEST_F(DBusModemManagerTest, ACallPlacedGoesOnUntilHungUp)
{
    {
        DBusModemManager manager(*m_bus);
        EXPECT_EQ(Placed(manager, "/dev/ttyUSB2", "9,5551234"), std::nullopt);
        manager.HangUp();
        EXPECT_EQ(Placed(manager, "/dev/ttyUSB1", "5551234"), std::nullopt);
    }
    // ModemManager answers in order, so all that the ended manager sent it came before this.
    DBusModemManager after(*m_bus);
    AnswerTo<Hold>([&](auto answer) { after.AskHold("/dev/ttyS0", answer); });
    EXPECT_EQ(Calls(), "CreateCall 9,5551234\nStart " + kCall + "1\nHangup " + kCall +
                           "1\nDeleteCall " + kCall + "1\nCreateCall 5551234\nStart " + kCall +
                           "2\n");
}

TEST_F(DBusModemManagerTest, ASlowCallNeverStallsTheEventLoopAndHangingUpEndsItMidWay)
{
    DBusModemManager manager(*m_bus);
    bool answered = false;
    const std::chrono::milliseconds untilStarted = LongestStall(
        [&] { manager.StartCall("/dev/ttyUSB2", "slow", [&](auto) { answered = true; }); },
        [&] { return Called("Start"); });
    const std::chrono::milliseconds untilEnded =
        LongestStall([&] { manager.HangUp(); }, [&] { return Called("DeleteCall"); });
    RecordProperty("longestStallMs", static_cast<int>(std::max(untilStarted, untilEnded).count()));
    EXPECT_LT(std::max(untilStarted, untilEnded), std::chrono::milliseconds(100));
    EXPECT_FALSE(answered) << "an answer came after the hang-up";
    EXPECT_EQ(Calls(), "CreateCall slow\nStart " + kCall + "1\nHangup " + kCall + "1\nDeleteCall " +
                           kCall + "1\n");
}

TEST_F(DBusModemManagerTest, ACallThatCannotBePlacedGivesTheReasonInASentence)
{
    DBusModemManager manager(*m_bus);
    EXPECT_EQ(Placed(manager, "/dev/ttyUSB2", "fail"), "No network.");
    EXPECT_EQ(Placed(manager, "/dev/ttyACM0", "5551234"),
              "ModemManager offers no voice calls on /dev/ttyACM0.");
    EXPECT_EQ(AnswerTo<std::optional<std::string>>([&](auto answer) {
                  manager.StartCall("/dev/ttyUSB2", "slow", answer);
                  EXPECT_TRUE(QTest::qWaitFor([&] { return Called("Start"); }, 30000));
                  m_mock->Signal(SIGKILL); // ModemManager ends while it starts the call
              }),
              "ModemManager did not answer.");
}
