#pragma once

#include <filesystem>
#include <optional>

// A write-only line to a modem, opened for one dial attempt. The dial sequence talks to it
// through this interface so that it can be driven against a fake line.
class ModemLine
{
public:
    virtual ~ModemLine() = default;

    // Opens COMn at the baud rate; true when the line is open.
    virtual bool Open(int port, int baud) = 0;
    // Sends the bytes; see CSerialLine::Write for the result.
    virtual int Write(const char* data, int length) = 0;
    // Releases the port; always true, harmless when the line is closed.
    virtual bool Close() = 0;
    // The device of the port when the last Open failed because this user may not open it.
    virtual std::optional<std::filesystem::path> PermissionDenied() const { return std::nullopt; }
};
