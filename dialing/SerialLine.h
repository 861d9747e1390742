#pragma once

#include "ModemLine.h"
#include "serial/SerialPortMap.h"
#include "serial/UucpLock.h"

#include <chrono>

// The program's own write-only line to a modem on a serial port. It opens the port exclusively
// (a port in use by another program fails Open, and so does one that another program has
// locked with a UUCP lock file; the line holds such a lock of its own while it is open), sets raw
// 8N1 at the asked baud rate and writes byte by byte without ever blocking for long: each byte
// waits at most one second for the line, a whole Write at most five seconds. The destructor closes
// the port.
class CSerialLine : public ModemLine
{
public:
    static constexpr std::chrono::milliseconds kByteWait{1000};
    static constexpr std::chrono::milliseconds kWriteWait{5000};

    explicit CSerialLine(platform::SerialPortMap ports = platform::SerialPortMap());
    ~CSerialLine() override;
    CSerialLine(const CSerialLine&) = delete;
    CSerialLine& operator=(const CSerialLine&) = delete;

    // On an open line this returns true at once and the earlier port and baud rate stay.
    bool Open(int port, int baud) override;
    bool Close() override;
    std::optional<std::filesystem::path> PermissionDenied() const override { return m_denied; }
    // True when the byte went out; false when the line is closed, stalled past the byte's wait
    // (or the write's deadline) or the device is gone. A byte that was not accepted is never
    // sent later, so nothing can reach the modem twice or out of order.
    bool WriteByte(unsigned char byte);
    // Sends the bytes in order and stops at the first one that could not go out: queueing
    // more behind a stalled byte would drop bytes from the middle of a modem command.
    // Returns the length when the line is open and the length is positive, else 0;
    // like the single bytes' failures, a stalled line is not reported.
    int Write(const char* data, int length) override;

    bool IsOpen() const { return m_bOpened; }

private:
    using Clock = std::chrono::steady_clock;

    // The write under way: its deadline bounds every byte's wait.
    struct WriteRecord
    {
        Clock::time_point deadline = Clock::time_point::max();
    };

    platform::SerialPortMap m_ports;
    int m_hPort = -1;
    WriteRecord m_ovWrite;
    bool m_bOpened = false;
    platform::UucpLock m_lock;
    std::optional<std::filesystem::path> m_denied;
};
