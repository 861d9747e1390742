#include "DialSequence.h"

#include "FakeOpener.h"
#include "PseudoTerminal.h"
#include "SerialLine.h"
#include "TelephonyRequest.h"
#include "support/FakeSerialDevices.h"
#include "support/ScopedEnvironment.h"
#include "support/TempFolder.h"

#include <fcntl.h>
#include <gmock/gmock.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using platform::MessageBoxRequest;
using platform::MessageButtons;
using platform::MessageIcon;
using platform::MessageResult;

namespace {

constexpr const char* kDialingText = "Click OK when call is answered or to stop dialing.";
constexpr const char* kModemInUseText = "Modem not responding or in use. Check settings now?";
constexpr const char* kNotConfiguredText = "Modem was not configured. Configure modem now?";
// How long the master side waits for one more byte before it takes what came as all of it.
constexpr std::chrono::milliseconds kQuiet{300};

// What happened to the fake lines of one test.
struct LineLog
{
    bool openSucceeds = true;
    std::vector<std::pair<int, int>> opens; // port, baud
    std::string written;
    int closes = 0;
    int destroyed = 0;
};

class FakeLine : public ModemLine
{
public:
    explicit FakeLine(LineLog& log) : m_log(log) {}
    ~FakeLine() override { ++m_log.destroyed; }
    bool Open(int port, int baud) override
    {
        m_log.opens.emplace_back(port, baud);
        return m_log.openSucceeds;
    }
    int Write(const char* data, int length) override
    {
        m_log.written.append(data, static_cast<std::size_t>(length));
        return length;
    }
    bool Close() override
    {
        ++m_log.closes;
        return true;
    }

private:
    LineLog& m_log;
};

// What ModemManager was asked, and how it answers.
struct ManagerLog
{
    platform::ModemManager::Hold hold = platform::ModemManager::Hold::None;
    std::optional<std::string> callFailure;
    std::vector<std::string> calls;
};

class FakeModemManager : public platform::ModemManager
{
public:
    explicit FakeModemManager(ManagerLog& log) : m_log(log) {}
    Hold Holds(const std::filesystem::path& device) override
    {
        m_log.calls.push_back("Holds " + device.string());
        return m_log.hold;
    }
    std::optional<std::string> StartCall(const std::filesystem::path& device,
                                         const std::string& number) override
    {
        m_log.calls.push_back("StartCall " + device.string() + " " + number);
        return m_log.callFailure;
    }
    void HangUp() override { m_log.calls.push_back("HangUp"); }

private:
    ManagerLog& m_log;
};

void ExpectBox(const MessageBoxRequest& shown, const char* text, const char* caption,
               MessageButtons buttons, MessageIcon icon)
{
    EXPECT_EQ(shown.text, text);
    EXPECT_EQ(shown.caption, caption);
    EXPECT_EQ(shown.buttons, buttons);
    EXPECT_EQ(shown.icon, icon);
}

void ExpectSettingsQuestion(const MessageBoxRequest& shown, const char* text)
{
    ExpectBox(shown, text, "Error", MessageButtons::YesNo, MessageIcon::Exclamation);
}

void ExpectDialingBox(const MessageBoxRequest& shown)
{
    ExpectBox(shown, kDialingText, "Dialing...", MessageButtons::Ok, MessageIcon::None);
}

class DialSequenceTest : public FakeOpenerTest
{
protected:
    // Services with a fake line; every box is recorded and answered with m_answer (Ok for an
    // Ok box), after m_whileShown has looked at the world as it is while the box is up.
    DialServices Services(DialSettings settings)
    {
        DialServices services;
        services.readSettings = [settings] { return settings; };
        services.showMessage = [this](const MessageBoxRequest& request) {
            m_shown.push_back(request);
            if (m_whileShown)
                m_whileShown();
            return request.buttons == MessageButtons::Ok ? MessageResult::Ok : m_answer;
        };
        services.makeLine = [this] { return std::make_unique<FakeLine>(m_lines); };
        services.requestMakeCall = RequestMakeCall;
        services.portDevice = [](int port) -> std::optional<std::filesystem::path> {
            if (port == 3)
                return "/dev/ttyUSB2";
            return std::nullopt;
        };
        services.modemManager = [this] { return std::make_unique<FakeModemManager>(m_manager); };
        return services;
    }

    DialServices ModemServices(DialSettings settings, PseudoTerminal& modem)
    {
        DialServices services = Services(std::move(settings));
        services.makeLine = [&modem] { return std::make_unique<CSerialLine>(modem.PortMap(3)); };
        return services;
    }

    LineLog m_lines;
    ManagerLog m_manager;
    std::vector<MessageBoxRequest> m_shown;
    MessageResult m_answer = MessageResult::No;
    std::function<void()> m_whileShown;
};

} // namespace

TEST_F(DialSequenceTest, ExternalDialerGetsTheBareNumberAndNoPortIsOpened)
{
    InstallOpener();
    DialOutcome outcome = RunDialSequence(Services({1, 3, "9"}), "Ann", "555 1234");
    EXPECT_EQ(outcome, DialOutcome::CardStaysOpen);
    EXPECT_EQ(WaitForArguments(), "tel:555%201234\n");
    EXPECT_TRUE(m_lines.opens.empty());
    EXPECT_TRUE(m_shown.empty());
}

TEST_F(DialSequenceTest, ExternalDialerReceivesTheNameAsCalledPartyAndComment)
{
    DialServices services = Services({1, 0, ""});
    std::vector<std::string> received;
    services.requestMakeCall = [&](const std::string& destination, const std::string& application,
                                   const std::string& calledParty, const std::string& comment) {
        received = {destination, application, calledParty, comment};
        return TAPIERR_REQUESTFAILED;
    };
    // A failed request is silent and leaves the card open.
    EXPECT_EQ(RunDialSequence(services, "Ann Lee", "5551234"), DialOutcome::CardStaysOpen);
    EXPECT_EQ(received, (std::vector<std::string>{"5551234", "Telmo", "Ann Lee", "Ann Lee"}));
    EXPECT_TRUE(m_shown.empty());
}

TEST_F(DialSequenceTest, MissingDefaultDialerIsSilent)
{
    EXPECT_EQ(RunDialSequence(Services({1, 0, ""}), "Ann", "5551234"), DialOutcome::CardStaysOpen);
    EXPECT_EQ(RunDialSequence(Services({1, 0, ""}), "Ann", "5551234"), DialOutcome::CardStaysOpen);
    EXPECT_TRUE(m_shown.empty());
}

TEST_F(DialSequenceTest, NoModemConfiguredOffersTheSettings)
{
    m_answer = MessageResult::Yes;
    EXPECT_EQ(RunDialSequence(Services({0, 0, "9"}), "Ann", "5551234"), DialOutcome::OpenSettings);
    m_answer = MessageResult::No;
    EXPECT_EQ(RunDialSequence(Services({0, 0, "9"}), "Ann", "5551234"), DialOutcome::CardStaysOpen);

    ASSERT_EQ(m_shown.size(), 2u);
    ExpectSettingsQuestion(m_shown[0], kNotConfiguredText);
    ExpectSettingsQuestion(m_shown[1], kNotConfiguredText);
    EXPECT_TRUE(m_lines.opens.empty());
}

TEST_F(DialSequenceTest, PortThatWillNotOpenOffersTheSettings)
{
    m_lines.openSucceeds = false;
    m_answer = MessageResult::Yes;
    EXPECT_EQ(RunDialSequence(Services({0, 3, ""}), "Ann", "5551234"), DialOutcome::OpenSettings);
    m_answer = MessageResult::No;
    EXPECT_EQ(RunDialSequence(Services({0, 3, ""}), "Ann", "5551234"), DialOutcome::CardStaysOpen);

    ASSERT_EQ(m_shown.size(), 2u);
    ExpectSettingsQuestion(m_shown[0], kModemInUseText);
    EXPECT_EQ(m_lines.opens, (std::vector<std::pair<int, int>>{{3, 9600}, {3, 9600}}));
    EXPECT_TRUE(m_lines.written.empty());
    EXPECT_EQ(m_lines.destroyed, 2);
}

TEST_F(DialSequenceTest, APortThisUserMayNotOpenIsSaidSoWithTheWayToAccess)
{
    PseudoTerminal modem;
    ASSERT_EQ(chmod(modem.SlavePath().c_str(), 0), 0);
    int channel[2];
    ASSERT_EQ(pipe(channel), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(channel[0]);
        // Root opens any file whatever its mode, so the dial runs as nobody.
        constexpr id_t kNobody = 65534;
        if (geteuid() == 0 &&
            (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0))
            _exit(2);
        DialServices services = ModemServices({0, 3, ""}, modem);
        services.showMessage = [&](const MessageBoxRequest& request) {
            std::string shown = request.caption + "|" + request.text;
            _exit(write(channel[1], shown.data(), shown.size()) ==
                          static_cast<ssize_t>(shown.size())
                      ? 0
                      : 3);
            return MessageResult::No;
        };
        RunDialSequence(services, "Ann", "5551234");
        _exit(4);
    }
    close(channel[1]);
    std::string shown;
    char buffer[512];
    for (ssize_t got; (got = read(channel[0], buffer, sizeof buffer)) > 0;)
        shown.append(buffer, static_cast<std::size_t>(got));
    close(channel[0]);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0) << "2: no way to drop root, 4: no box was shown";
    EXPECT_THAT(shown, testing::StartsWith("Error|You may not use the modem's port " +
                                           modem.SlavePath() + "."));
    EXPECT_THAT(shown, testing::HasSubstr(" dialout)"));
}

TEST_F(DialSequenceTest, AModemThatModemManagerManagesIsLeftToIt)
{
    using Hold = platform::ModemManager::Hold;
    const std::string holds = "Holds /dev/ttyUSB2", call = "StartCall /dev/ttyUSB2 9,5551234";
    const struct
    {
        const char* what;
        Hold hold;
        std::optional<std::string> callFailure;
        std::vector<std::string> events; // ModemManager's calls and the boxes, in order
    } cases[] = {
        {"not managed", Hold::None, {}, {holds, "Dialing..."}},
        {"managed, no voice",
         Hold::WithoutVoice,
         {},
         {holds, "Error: ModemManager manages the modem on /dev/ttyUSB2 and offers no voice "
                 "calls on it, so Telmo leaves its port alone. Check settings now?"}},
        {"managed with voice", Hold::WithVoice, {}, {holds, call, "Dialing...", "HangUp"}},
        {"a call ModemManager cannot place",
         Hold::WithVoice,
         "No network",
         {holds, call, "Error: ModemManager could not place the call: No network"}},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.what);
        m_manager = {row.hold, row.callFailure, {}};
        m_lines = {};
        m_whileShown = [&] {
            const MessageBoxRequest& box = m_shown.back();
            m_manager.calls.push_back(box.caption == "Error" ? "Error: " + box.text : box.caption);
        };
        RunDialSequence(Services({0, 3, "9;"}), "Ann", "5551234");
        EXPECT_EQ(m_manager.calls, row.events);
        // The port is written to only where ModemManager leaves the modem alone.
        EXPECT_EQ(m_lines.written.empty(), row.hold != Hold::None);
    }
}

TEST_F(DialSequenceTest, LineIsReleasedEvenWhenTheBoxFails)
{
    m_whileShown = [] { throw std::runtime_error("no display"); };
    EXPECT_THROW(RunDialSequence(Services({0, 3, ""}), "Ann", "5551234"), std::runtime_error);
    EXPECT_EQ(m_lines.written, "atm1\r\natdt5551234;\r\n");
    EXPECT_EQ(m_lines.destroyed, 1);
}

TEST_F(DialSequenceTest, ModemGetsTheCommandWhileTheDialingBoxIsUp)
{
    PseudoTerminal modem;
    std::string received;
    bool portHeld = false;
    m_whileShown = [&] {
        received = modem.Read(22);
        CSerialLine other(modem.PortMap(3));
        portHeld = !other.Open(3, 9600);
    };
    EXPECT_EQ(RunDialSequence(ModemServices({0, 3, "9"}, modem), "Ann", "5551234"),
              DialOutcome::CardStaysOpen);
    EXPECT_EQ(received, "atm1\r\natdt9,5551234;\r\n");
    EXPECT_TRUE(portHeld);
    ASSERT_EQ(m_shown.size(), 1u);
    ExpectDialingBox(m_shown[0]);

    // The box dismissed, the port is free and Dial works again.
    CSerialLine after(modem.PortMap(3));
    EXPECT_TRUE(after.Open(3, 9600));
    after.Close();
    m_whileShown = [&] { received = modem.Read(20); };
    EXPECT_EQ(RunDialSequence(ModemServices({0, 3, ""}, modem), "Ann", "5551234"),
              DialOutcome::CardStaysOpen);
    EXPECT_EQ(received, "atm1\r\natdt5551234;\r\n");
}

TEST_F(DialSequenceTest, SemicolonsInPrefixOrNumberNeverReachTheModem)
{
    const struct
    {
        const char* dialOut;
        const char* number;
        std::string expected;
    } cases[] = {
        {"", "5551234;&W", "atm1\r\natdt5551234&W;\r\n"},
        {"9;&W0", "5551234", "atm1\r\natdt9&W0,5551234;\r\n"},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.number);
        PseudoTerminal modem;
        std::string received;
        m_whileShown = [&] { received = modem.Read(row.expected.size() + 1, kQuiet); };
        RunDialSequence(ModemServices({0, 3, row.dialOut}, modem), "Ann", row.number);
        EXPECT_EQ(received, row.expected);
    }
}

TEST_F(DialSequenceTest, StalledModemStillGetsTheDialingBox)
{
    PseudoTerminal modem;
    int other = open(modem.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(other, 0);
    ASSERT_EQ(tcflow(other, TCOOFF), 0);
    std::string received = "not read";
    m_whileShown = [&] { received = modem.Read(1, std::chrono::milliseconds(100)); };

    EXPECT_EQ(RunDialSequence(ModemServices({0, 3, "9"}, modem), "Ann", "5551234"),
              DialOutcome::CardStaysOpen);
    ASSERT_EQ(m_shown.size(), 1u);
    ExpectDialingBox(m_shown[0]);
    EXPECT_EQ(received, "");
    close(other);
}

TEST(DialSettingsTest, ReadsTheModemSectionWithItsDefaults)
{
    testsupport::TempFolder folder;
    platform::ProfileFile file(folder / "telmo.ini");
    DialSettings missing = ReadDialSettings(file);
    EXPECT_EQ(missing.extDialer, 0);
    EXPECT_EQ(missing.port, 0);
    EXPECT_EQ(missing.dialOut, "");

    testsupport::WriteFile(file.Path(), "[Item1]\nPort=7\n[modem]\nport=4\nDialOut=0w\n");
    DialSettings stored = ReadDialSettings(file);
    EXPECT_EQ(stored.extDialer, 0);
    EXPECT_EQ(stored.port, 4);
    EXPECT_EQ(stored.dialOut, "0w");
}

TEST_F(DialSequenceTest, SystemServicesDialTheModemNamedInTelmoIni)
{
    PseudoTerminal modem;
    testsupport::TempFolder folder;
    testsupport::FakeSerialDevices machine(folder / "machine");
    platform::ScopedRegistrySources sources(machine.Sources({}));
    testsupport::ScopedEnvironment ports(platform::SerialPortMap::kEnvironmentVariable,
                                         "COM4=" + modem.SlavePath());
    testsupport::WriteFile(folder / "telmo.ini", "[Modem]\nExtDialer=0\nPort=4\nDialOut=9\n");
    std::string received;
    auto showMessage = [&](const MessageBoxRequest& request) {
        m_shown.push_back(request);
        received = modem.Read(22);
        return MessageResult::Ok;
    };
    EXPECT_EQ(
        RunDialSequence(SystemDialServices(folder / "telmo.ini", showMessage), "Ann", "5551234"),
        DialOutcome::CardStaysOpen);
    EXPECT_EQ(received, "atm1\r\natdt9,5551234;\r\n");
    ASSERT_EQ(m_shown.size(), 1u);
    ExpectDialingBox(m_shown[0]);
}

TEST_F(DialSequenceTest, SystemServicesHandExternalDialsToTheDesktop)
{
    InstallOpener();
    testsupport::TempFolder folder;
    testsupport::WriteFile(folder / "telmo.ini", "[Modem]\nExtDialer=1\nPort=4\n");
    auto noBox = [](const MessageBoxRequest&) -> MessageResult {
        throw std::logic_error("no box expected");
    };
    EXPECT_EQ(RunDialSequence(SystemDialServices(folder / "telmo.ini", noBox), "Ann", "*31#555"),
              DialOutcome::CardStaysOpen);
    EXPECT_EQ(WaitForArguments(), "tel:*31%23555\n");
}
