#pragma once

#include "DialerSettings.h"
#include "DialingBox.h"
#include "ModemLine.h"
#include "messages/MessageBoxRequest.h"
#include "serial/ModemManager.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

// What the dial sequence needs from around it, so that it runs the same under the number
// card and in tests.
struct DialServices
{
    using MessageBoxFunction =
        std::function<platform::MessageResult(const platform::MessageBoxRequest&)>;
    using TelephonyFunction =
        std::function<std::int32_t(const std::string& destination, const std::string& application,
                                   const std::string& calledParty, const std::string& comment)>;

    std::function<DialerSettings()> readSettings;
    MessageBoxFunction showMessage;
    std::function<std::unique_ptr<ModemLine>()> makeLine;
    TelephonyFunction requestMakeCall;
    // The device behind a COM number, when it is present.
    std::function<std::optional<std::filesystem::path>(int port)> portDevice;
    // ModemManager, asked before the modem's port is written to; none where it is not asked.
    std::function<std::unique_ptr<platform::ModemManager>()> modemManager;
    // The "Dialing..." box, for one dial.
    std::function<std::unique_ptr<DialingBox>()> makeDialingBox;
};

// The real services: the settings of the telmo.ini at the path, the machine's serial ports and
// the desktop's default dialer; the boxes are shown by the given function. ModemManager and the
// "Dialing..." box are left to the caller.
DialServices SystemDialServices(std::filesystem::path iniPath,
                                DialServices::MessageBoxFunction showMessage);

enum class DialOutcome
{
    CardStaysOpen,
    OpenSettings // the card ends with kOpenSettingsResult and its caller opens the settings
};

inline constexpr int kOpenSettingsResult = 23;
inline constexpr int kModemBaud = 9600;

// Dials the number the way the settings say: through the desktop's default dialer, or by
// sending the dial command to the modem and keeping its port open until the user dismisses
// the "Dialing..." box. A modem that ModemManager manages is never written to: the call goes
// through ModemManager, with the box up and Cancel offered from the first question, and once
// placed it goes on until the user chooses Hang Up. When no modem is configured or its port
// cannot be opened, the user may choose to open the settings.
DialOutcome RunDialSequence(const DialServices& services, const std::string& name,
                            const std::string& number);
