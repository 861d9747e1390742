#include "DialSequence.h"

#include "DialCommand.h"
#include "Registry.h"
#include "SerialLine.h"
#include "TelephonyRequest.h"

#include <optional>
#include <pwd.h>
#include <unistd.h>

namespace {

constexpr const char* kApplicationName = "Telmo";
constexpr const char* kDialingText = "Click OK when call is answered or to stop dialing.";
constexpr const char* kModemInUseText = "Modem not responding or in use. Check settings now?";
constexpr const char* kModemNotConfiguredText = "Modem was not configured. Configure modem now?";

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

DialOutcome OfferSettings(const DialServices& services, const std::string& text)
{
    platform::MessageResult answer = services.showMessage(
        {text, "Error", platform::MessageButtons::YesNo, platform::MessageIcon::Exclamation});
    return answer == platform::MessageResult::Yes ? DialOutcome::OpenSettings
                                                  : DialOutcome::CardStaysOpen;
}

void ShowDialingBox(const DialServices& services)
{
    services.showMessage(
        {kDialingText, "Dialing...", platform::MessageButtons::Ok, platform::MessageIcon::None});
}

// Where ModemManager manages the modem, its port belongs to ModemManager: the call is placed
// through it, or refused. Nothing when ModemManager leaves the modem to us.
std::optional<DialOutcome> DialThroughModemManager(const DialServices& services,
                                                   const DialerSettings& settings,
                                                   const std::string& number)
{
    if (!services.modemManager || !services.portDevice)
        return std::nullopt;
    std::optional<std::filesystem::path> device = services.portDevice(settings.port);
    if (!device)
        return std::nullopt;
    std::unique_ptr<platform::ModemManager> manager = services.modemManager();
    switch (manager->Holds(*device)) {
    case platform::ModemManager::Hold::None:
        return std::nullopt;
    case platform::ModemManager::Hold::WithoutVoice:
        return OfferSettings(services, "ModemManager manages the modem on " + device->string() +
                                           " and offers no voice calls on it, so Telmo leaves "
                                           "its port alone. Check settings now?");
    case platform::ModemManager::Hold::WithVoice:
        break;
    }
    if (std::optional<std::string> reason =
            manager->StartCall(*device, BuildDialString(settings.dialOut, number))) {
        services.showMessage({"ModemManager could not place the call: " + *reason, "Error",
                              platform::MessageButtons::Ok, platform::MessageIcon::Exclamation});
        return DialOutcome::CardStaysOpen;
    }
    ShowDialingBox(services);
    manager->HangUp();
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
    if (std::optional<DialOutcome> outcome = DialThroughModemManager(services, settings, number))
        return *outcome;

    // The line closes when this function is left, whichever way that happens.
    std::unique_ptr<ModemLine> line = services.makeLine();
    if (!line->Open(settings.port, kModemBaud)) {
        std::optional<std::filesystem::path> denied = line->PermissionDenied();
        return OfferSettings(services, denied ? PermissionDeniedText(*denied) : kModemInUseText);
    }

    std::string command = BuildDialCommand(settings.dialOut, number);
    line->Write(command.data(), static_cast<int>(command.size()));
    // The modem keeps the call only while its port is open, so the box comes first.
    ShowDialingBox(services);
    line->Close();
    return DialOutcome::CardStaysOpen;
}
