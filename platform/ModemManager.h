#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace platform {

// ModemManager, the desktop service that may own a modem and its serial ports. Where it does,
// nobody else may write to the ports: calls go through it instead.
class ModemManager
{
public:
    enum class Hold
    {
        None,         // ModemManager does not manage the device (or does not run)
        WithoutVoice, // it manages the device's modem, which places no voice calls
        WithVoice     // it manages the device's modem and places voice calls on it
    };

    // A call still going when the object ends is hung up.
    virtual ~ModemManager() = default;

    // How ModemManager holds the modem that the serial device ("/dev/ttyUSB2") belongs to.
    virtual Hold Holds(const std::filesystem::path& device) = 0;
    // Dials the number as a voice call on the device's modem; the reason when it could not.
    virtual std::optional<std::string> StartCall(const std::filesystem::path& device,
                                                 const std::string& number) = 0;
    // Hangs up the call that StartCall placed; nothing when there is none.
    virtual void HangUp() = 0;
};

} // namespace platform
