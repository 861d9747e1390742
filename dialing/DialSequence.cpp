#include "DialSequence.h"

#include "DialCommand.h"
#include "Registry.h"
#include "SerialLine.h"
#include "TelephonyRequest.h"

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

} // namespace

DialSettings ReadDialSettings(const platform::ProfileFile& file)
{
    platform::ProfileDocument document = file.Load();
    return {document.ReadInt("Modem", "ExtDialer", 0), document.ReadInt("Modem", "Port", 0),
            document.ReadString("Modem", "DialOut", "")};
}

DialServices SystemDialServices(std::filesystem::path iniPath,
                                DialServices::MessageBoxFunction showMessage)
{
    DialServices services;
    services.readSettings = [file = platform::ProfileFile(std::move(iniPath))] {
        return ReadDialSettings(file);
    };
    services.showMessage = std::move(showMessage);
    // COM names as the registry gives them, so a port that a registry file names is dialled too.
    services.makeLine = [] {
        return std::make_unique<CSerialLine>(platform::RegistrySerialPortMap());
    };
    services.requestMakeCall = RequestMakeCall;
    return services;
}

DialOutcome RunDialSequence(const DialServices& services, const std::string& name,
                            const std::string& number)
{
    DialSettings settings = services.readSettings();
    if (settings.extDialer != 0) {
        // Failures of a service the user did not ask for directly stay silent.
        services.requestMakeCall(number, kApplicationName, name, name);
        return DialOutcome::CardStaysOpen;
    }
    if (settings.port == 0)
        return OfferSettings(services, kModemNotConfiguredText);

    // The line closes when this function is left, whichever way that happens.
    std::unique_ptr<ModemLine> line = services.makeLine();
    if (!line->Open(settings.port, kModemBaud)) {
        std::optional<std::filesystem::path> denied = line->PermissionDenied();
        return OfferSettings(services, denied ? PermissionDeniedText(*denied) : kModemInUseText);
    }

    std::string command = BuildDialCommand(settings.dialOut, number);
    line->Write(command.data(), static_cast<int>(command.size()));
    // The modem keeps the call only while its port is open, so the box comes first.
    services.showMessage(
        {kDialingText, "Dialing...", platform::MessageButtons::Ok, platform::MessageIcon::None});
    line->Close();
    return DialOutcome::CardStaysOpen;
}
