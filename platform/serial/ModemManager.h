#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace platform {

// ModemManager, the desktop service that may own a modem and its serial ports. Where it does,
// nobody else may write to the ports: calls go through it instead.
//
// Every question is answered later, from the program's event loop, so that a slow or hung
// ModemManager never holds up the user interface. No answer comes after HangUp or after the
// object has ended.
class ModemManager
{
public:
    enum class Hold
    {
        None,         // ModemManager does not manage the device (or does not run)
        WithoutVoice, // it manages the device's modem, which places no voice calls
        WithVoice,    // it manages the device's modem and places voice calls on it
        Unknown       // it runs but did not say: the device may be its own
    };

    using HoldAnswer = std::function<void(Hold)>;
    // Nothing when the call is placed; else why not, as a sentence for the user.
    using CallAnswer = std::function<void(std::optional<std::string> failure)>;

    // A call still being placed is hung up; a call placed goes on, for the user is talking.
    virtual ~ModemManager() = default;

    // How ModemManager holds the modem that the serial device ("/dev/ttyUSB2") belongs to.
    virtual void AskHold(const std::filesystem::path& device, HoldAnswer answer) = 0;
    // Dials the number as a voice call on the device's modem.
    virtual void StartCall(const std::filesystem::path& device, const std::string& number,
                           CallAnswer answer) = 0;
    // Ends the call that StartCall placed or is placing, and any question still unanswered.
    virtual void HangUp() = 0;
};

} // namespace platform
