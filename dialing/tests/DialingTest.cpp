#include "DialCommand.h"
#include "DialSequence.h"
#include "TelephonyRequest.h"
#include "support/FakeCommands.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

using platform::MessageBoxRequest;
using platform::MessageResult;
using Hold = platform::ModemManager::Hold;
using Path = std::filesystem::path;

TEST(DialCommandTest, PrefixPauseNumberAndNothingThatEndsTheCommandEarly)
{
    const std::tuple<std::string, std::string, std::string> cases[] = {
        {"9", "5551234", "atm1\r\natdt9,5551234;\r\n"},
        {"", "5551234", "atm1\r\natdt5551234;\r\n"},
        {"0w", "+1 (555) 123-4567 #*\xe9\x7f", "atm1\r\natdt0w,+1 (555) 123-4567 #*\xe9\x7f;\r\n"},
        // ";" and control characters would hand the rest to the modem as commands of its own.
        {"9;&F", "5551234;&W", "atm1\r\natdt9&F,5551234&W;\r\n"},
        {"9\r\nath", std::string("555\r\nat&f\n\0\t1", 13), "atm1\r\natdt9ath,555at&f1;\r\n"},
        // A prefix of nothing but breaks is no prefix: no stray pause.
        {";\r\n\x1f", "\x01\x1b;2", "atm1\r\natdt2;\r\n"}};
    for (const auto& [dialOut, number, command] : cases)
        EXPECT_EQ(BuildDialCommand(dialOut, number), command) << dialOut << "|" << number;
}

namespace {

using Choice = DialingBox::Choice;

// What the sequence meets in one case, and everything it did there, in order.
struct World
{
    DialerSettings settings{};
    MessageResult answer = MessageResult::No;
    bool opens = true;
    std::optional<Path> denied{};
    Hold hold = Hold::None;
    std::optional<std::string> callFailure{};
    // ModemManager's answers that come before the user gives up, and the user's choice once a
    // call is placed.
    mutable int answersBeforeCancel = 2;
    Choice onCall = Choice::Ok;
    mutable std::vector<std::string> events{};
    mutable std::function<void()> unanswered{};
};

// The modem's line, ModemManager and the box, all recording what they are asked in the world's
// events. ModemManager answers while the box waits.
class Fake : public ModemLine, public platform::ModemManager, public DialingBox
{
public:
    explicit Fake(const World& world) : m_world(world) {}
    bool Open(int port, int baud) override
    {
        return Log("open " + std::to_string(port) + " " + std::to_string(baud), m_world.opens);
    }
    int Write(const char* data, int length) override
    {
        // 0, as a stalled line answers: the sequence goes on regardless.
        return Log("write " + std::string(data, static_cast<std::size_t>(length)), 0);
    }
    bool Close() override { return Log("close", true); }
    std::optional<Path> PermissionDenied() const override { return m_world.denied; }
    void AskHold(const Path& device, HoldAnswer answer) override
    {
        Log("holds? " + device.string(), 0);
        m_world.unanswered = [this, answer] { answer(m_world.hold); };
    }
    void StartCall(const Path& device, const std::string& number, CallAnswer answer) override
    {
        Log("call " + device.string() + " " + number, 0);
        m_world.unanswered = [this, answer] { answer(m_world.callFailure); };
    }
    void HangUp() override
    {
        m_world.unanswered = nullptr;
        Log("hang up", 0);
    }
    void Show(const std::string& text, Buttons buttons) override
    {
        m_buttons = buttons;
        Log("box: " + text, 0);
    }
    Choice Wait() override
    {
        if (m_world.unanswered && m_world.answersBeforeCancel-- > 0)
            std::exchange(m_world.unanswered, nullptr)();
        if (std::exchange(m_ended, false))
            return Choice::Ended;
        const Choice choice = m_buttons == Buttons::Cancel ? Choice::Cancel
                              : m_buttons == Buttons::Ok   ? Choice::Ok
                                                           : m_world.onCall;
        const char* names[] = {"OK", "Cancel", "Hang Up"};
        return Log(names[static_cast<int>(choice)], choice);
    }
    void End() override { m_ended = true; }
    void Hide() override { Log("box hidden", 0); }

private:
    template <class Answer> Answer Log(const std::string& event, Answer answer) const
    {
        m_world.events.push_back(event);
        return answer;
    }
    const World& m_world;
    Buttons m_buttons = Buttons::Ok;
    bool m_ended = false;
};

// COM3 is /dev/ttyUSB2 and no other port is present.
DialServices FakeServices(const World& world)
{
    DialServices services;
    services.readSettings = [&world] { return world.settings; };
    services.showMessage = [&world](const MessageBoxRequest& box) {
        const bool question = box.buttons == platform::MessageButtons::YesNo;
        world.events.push_back(box.caption + (question ? "? " : ": ") + box.text);
        return question ? world.answer : MessageResult::Ok;
    };
    services.makeLine = [&world] { return std::make_unique<Fake>(world); };
    services.requestMakeCall = [&world](const std::string& destination, const std::string& app,
                                        const std::string& party, const std::string& comment) {
        world.events.push_back("desktop " + destination + "|" + app + "|" + party + "|" + comment);
        return 0;
    };
    services.portDevice = [](int port) -> std::optional<Path> {
        return port == 3 ? std::optional<Path>("/dev/ttyUSB2") : std::nullopt;
    };
    services.modemManager = [&world] { return std::make_unique<Fake>(world); };
    services.makeDialingBox = [&world] { return std::make_unique<Fake>(world); };
    return services;
}

} // namespace

TEST(DialSequenceTest, EachSettingAndAnswerTakesItsRouteWithItsMessages)
{
    const DialerSettings modem{"", "9", "", 3, 0};
    const std::string asking = "box: Asking ModemManager about the modem on /dev/ttyUSB2...",
                      holds = "holds? /dev/ttyUSB2", open = "open 3 9600", hidden = "box hidden";
    const std::string calling = "box: Calling 9,555 1234 through ModemManager...",
                      call = "call /dev/ttyUSB2 9,555 1234";
    const std::string placed = "box: ModemManager has placed the call. Click OK to close this box "
                               "and let the call go on, or Hang Up to end it.";
    const std::string dialing = "box: Click OK when call is answered or to stop dialing.";
    const std::string inUse = "Error? Modem not responding or in use. Check settings now?";
    const passwd* me = getpwuid(geteuid());
    const std::string user = me ? me->pw_name : "$USER";
    const struct
    {
        const char* what;
        World world;
        DialOutcome outcome;
        std::vector<std::string> events;
    } cases[] = {
        // clang-format off
        {"the desktop's dialer gets the bare number", {.settings = {"", "9", "", 3, 1}},
         DialOutcome::CardStaysOpen, {"desktop 555 1234|Telmo|Ann|Ann"}},
        {"no modem, Yes", {.answer = MessageResult::Yes},
         DialOutcome::OpenSettings, {"Error? Modem was not configured. Configure modem now?"}},
        {"port in use, No", {.settings = modem, .opens = false},
         DialOutcome::CardStaysOpen, {asking, holds, open, hidden, inUse}},
        {"port this user may not open, Yes",
         {.settings = modem, .answer = MessageResult::Yes, .opens = false, .denied = "/dev/x"},
         DialOutcome::OpenSettings,
         {asking, holds, open, hidden, "Error? You may not use the modem's port /dev/x. Serial "
          "ports belong to the group dialout: add yourself to it (sudo adduser " + user + " "
          "dialout), log out and log in again. Check settings now?"}},
        // The port is held until the box is dismissed: the modem keeps the call only so long.
        {"the modem dials", {.settings = modem}, DialOutcome::CardStaysOpen,
         {asking, holds, open, "write atm1\r\natdt9,555 1234;\r\n", dialing, "OK", "close"}},
        {"ModemManager's modem without voice", {.settings = modem, .hold = Hold::WithoutVoice},
         DialOutcome::CardStaysOpen,
         {asking, holds, hidden, "Error? ModemManager manages the modem on /dev/ttyUSB2 and "
                                 "offers no voice calls on it, so Telmo leaves its port alone. "
                                 "Check settings now?"}},
        {"ModemManager does not say", {.settings = modem, .hold = Hold::Unknown},
         DialOutcome::CardStaysOpen,
         {asking, holds, hidden, "Error? ModemManager did not say whether it manages the modem "
                                 "on /dev/ttyUSB2, so Telmo leaves its port alone. Check "
                                 "settings now?"}},
        // OK leaves the call going: ModemManager's call is the call itself.
        {"ModemManager's call, OK",
         {.settings = {"", "9;", "", 3, 0}, .hold = Hold::WithVoice}, DialOutcome::CardStaysOpen,
         {asking, holds, calling, call, placed, "OK"}},
        {"ModemManager's call, Hang Up",
         {.settings = modem, .hold = Hold::WithVoice, .onCall = Choice::HangUp},
         DialOutcome::CardStaysOpen, {asking, holds, calling, call, placed, "Hang Up", "hang up"}},
        {"a call ModemManager cannot place",
         {.settings = modem, .hold = Hold::WithVoice, .callFailure = "No network."},
         DialOutcome::CardStaysOpen,
         {asking, holds, calling, call, hidden,
          "Error: ModemManager could not place the call: No network."}},
        {"cancelled while ModemManager is asked",
         {.settings = modem, .hold = Hold::WithVoice, .answersBeforeCancel = 0},
         DialOutcome::CardStaysOpen, {asking, holds, "Cancel", "hang up"}},
        {"cancelled while the call is placed",
         {.settings = modem, .hold = Hold::WithVoice, .answersBeforeCancel = 1},
         DialOutcome::CardStaysOpen, {asking, holds, calling, call, "Cancel", "hang up"}},
        // clang-format on
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(RunDialSequence(FakeServices(row.world), "Ann", "555 1234"), row.outcome);
        EXPECT_EQ(row.world.events, row.events);
    }
}

TEST(TelephonyRequestTest, TelUriPercentEncodesWhatIsNotPartOfANumber)
{
    // clang-format off
    const std::pair<std::string, std::string> cases[] = {
        {"5551234", "tel:5551234"}, {"+1 (555) 123-4567", "tel:+1%20(555)%20123-4567"},
        {"*31#0.1", "tel:*31%230.1"}, {"9,555;ext=1/2%", "tel:9%2C555%3Bext%3D1%2F2%25"},
        {std::string("\n\xe9\0", 3), "tel:%0A%E9%00"}};
    // clang-format on
    for (const auto& [number, uri] : cases)
        EXPECT_EQ(TelUri(number), uri);
}

TEST(TelephonyRequestTest, TheOpenerIsLookedForOnceAndGetsTheTelUriOfEachCall)
{
    testsupport::FakeCommands commands; // alone on PATH
    const auto call = [](const std::string& number) {
        return RequestMakeCall(number, "Telmo", "Ann", "Ann");
    };
    ResetTelephonyBinding();
    EXPECT_EQ(call("5551234"), LINEERR_OPERATIONUNAVAIL);
    commands.Add("xdg-open");
    EXPECT_EQ(call("5551234"), TAPIERR_REQUESTFAILED);
    EXPECT_FALSE(commands.WasStarted("xdg-open"));

    ResetTelephonyBinding();
    EXPECT_EQ(call("555 1234#"), kTelephonyOk);
    EXPECT_EQ(commands.WaitForArguments("xdg-open"), "tel:555%201234%23\n");
    EXPECT_EQ(call(""), TAPIERR_INVALDESTADDRESS);
    std::filesystem::remove(commands.Folder() / "xdg-open");
    EXPECT_EQ(call("911"), TAPIERR_NOREQUESTRECIPIENT); // bound to an opener gone since
    ResetTelephonyBinding();
}
