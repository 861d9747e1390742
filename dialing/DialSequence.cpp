#include "DialSequence.h"

#include "DialCommand.h"
#include "SerialLine.h"
#include "TelephonyRequest.h"
#include "registry/Registry.h"

#include <optional>
#include <pwd.h>
#include <unistd.h>

namespace {

using Hold = platform::ModemManager::Hold;
using Buttons = DialingBox::Buttons;
using Choice = DialingBox::Choice;

constexpr const char* kApplicationName = "Telmo";
constexpr const char* kDialingText = "Click OK when call is answered or to stop dialing.";
constexpr const char* kModemInUseText = "Modem not responding or in use. Check settings now?";
constexpr const char* kModemNotConfiguredText = "Modem was not configured. Configure modem now?";
// ModemManager's call is the call itself: no handset keeps the line as on an analogue modem, so
// OK must not end it.
constexpr const char* kCallPlacedText =
    "ModemManager has placed the call. Click OK to close this box and let the call go on, or "
    "Hang Up to end it.";

// Said instead of "not responding or in use" when the port is there but this user may not open
// it, so that the user looks for the missing group rather than for another program.
std::string PermissionDeniedText(const std::filesystem::path& device)
{
    const passwd* user = getpwuid(geteuid());
    std::string name = user && user->pw_name ? user->pw_name : "$USER";
    return "You may not use the modem's port " + device.string() +
           ". Serial ports belong to the group dialout: add yourself to it (sudo adduser " + name +
           " dialout), log out and log in again. Check settings now?";
}

// A modem port that may be ModemManager's is never written to.
std::string PortLeftAloneText(const std::string& why)
{
    return "ModemManager " + why + ", so Telmo leaves its port alone. Check settings now?";
}

DialOutcome OfferSettings(const DialServices& services, const std::string& text)
{
    platform::MessageResult answer = services.showMessage(
        {text, "Error", platform::MessageButtons::YesNo, platform::MessageIcon::Exclamation});
    return answer == platform::MessageResult::Yes ? DialOutcome::OpenSettings
                                                  : DialOutcome::CardStaysOpen;
}

// Where ModemManager manages the modem, its port belongs to ModemManager: the call is placed
// through it, or refused. Nothing when ModemManager leaves the modem to us. The box is up from
// the first question, and the user may give up at any moment.
std::optional<DialOutcome> DialThroughModemManager(const DialServices& services, DialingBox& box,
                                                   const DialerSettings& settings,
                                                   const std::string& number)
{
    if (!services.modemManager || !services.portDevice)
        return std::nullopt;
    const std::optional<std::filesystem::path> device = services.portDevice(settings.port);
    if (!device)
        return std::nullopt;
    std::optional<Hold> hold;
    std::optional<std::string> failure;
    const std::unique_ptr<platform::ModemManager> manager = services.modemManager();

    box.Show("Asking ModemManager about the modem on " + device->string() + "...", Buttons::Cancel);
    manager->AskHold(*device, [&](Hold answer) {
        hold = answer;
        box.End();
    });
    if (box.Wait() != Choice::Ended) {
        manager->HangUp();
        return DialOutcome::CardStaysOpen;
    }
    switch (*hold) {
    case Hold::None:
        return std::nullopt;
    case Hold::WithVoice:
        break;
    case Hold::WithoutVoice:
        box.Hide();
        return OfferSettings(services,
                             PortLeftAloneText("manages the modem on " + device->string() +
                                               " and offers no voice calls on it"));
    case Hold::Unknown:
        box.Hide();
        return OfferSettings(
            services,
            PortLeftAloneText("did not say whether it manages the modem on " + device->string()));
    }

    const std::string dialString = BuildDialString(settings.dialOut, number);
    box.Show("Calling " + dialString + " through ModemManager...", Buttons::Cancel);
    manager->StartCall(*device, dialString, [&](std::optional<std::string> reason) {
        failure = std::move(reason);
        box.End();
    });
    if (box.Wait() != Choice::Ended) {
        manager->HangUp();
        return DialOutcome::CardStaysOpen;
    }
    if (failure) {
        box.Hide();
        services.showMessage({"ModemManager could not place the call: " + *failure, "Error",
                              platform::MessageButtons::Ok, platform::MessageIcon::Exclamation});
        return DialOutcome::CardStaysOpen;
    }
    box.Show(kCallPlacedText, Buttons::HangUpOrOk);
    if (box.Wait() == Choice::HangUp)
        manager->HangUp();
    return DialOutcome::CardStaysOpen;
}

// The modem on the serial port dials, and keeps the call only while its port is open: the port
// is held until the box is dismissed.
DialOutcome DialOnTheLine(const DialServices& services, DialingBox& box,
                          const DialerSettings& settings, const std::string& number)
{
    // The line closes when this function is left, whichever way that happens.
    std::unique_ptr<ModemLine> line = services.makeLine();
    if (!line->Open(settings.port, kModemBaud)) {
        box.Hide();
        std::optional<std::filesystem::path> denied = line->PermissionDenied();
        return OfferSettings(services, denied ? PermissionDeniedText(*denied) : kModemInUseText);
    }
    std::string command = BuildDialCommand(settings.dialOut, number);
    line->Write(command.data(), static_cast<int>(command.size()));
    box.Show(kDialingText, Buttons::Ok);
    box.Wait();
    line->Close();
    return DialOutcome::CardStaysOpen;
}

} // namespace

DialServices SystemDialServices(std::filesystem::path iniPath,
                                DialServices::MessageBoxFunction showMessage)
{
    DialServices services;
    services.readSettings = [file = platform::ProfileFile(std::move(iniPath))] {
        return ReadDialerSettings(file);
    };
    services.showMessage = std::move(showMessage);
    // COM names as the registry gives them, so a port that a registry file names is dialled too.
    services.makeLine = [] {
        return std::make_unique<CSerialLine>(platform::RegistrySerialPortMap());
    };
    services.requestMakeCall = RequestMakeCall;
    services.portDevice = [](int port) {
        return platform::RegistrySerialPortMap().DeviceFor(port);
    };
    return services;
}

DialOutcome RunDialSequence(const DialServices& services, const std::string& name,
                            const std::string& number)
{
    DialerSettings settings = services.readSettings();
    if (settings.extDialer != 0) {
        // Failures of a service the user did not ask for directly stay silent.
        services.requestMakeCall(number, kApplicationName, name, name);
        return DialOutcome::CardStaysOpen;
    }
    if (settings.port == 0)
        return OfferSettings(services, kModemNotConfiguredText);
    const std::unique_ptr<DialingBox> box = services.makeDialingBox();
    if (std::optional<DialOutcome> outcome =
            DialThroughModemManager(services, *box, settings, number))
        return *outcome;
    return DialOnTheLine(services, *box, settings, number);
}
