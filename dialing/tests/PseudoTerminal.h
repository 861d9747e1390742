#pragma once

#include "SerialPortMap.h"

#include <chrono>
#include <string>
#include <termios.h>

// A pseudo-terminal standing in for a modem: the line under test opens the slave side as its
// serial port, and the test reads at the master side what the modem would receive.
class PseudoTerminal
{
public:
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    const std::string& SlavePath() const { return m_slavePath; }
    // A port map that names the slave COMn and knows no other port; UUCP locks are kept in the
    // given folder, by default in none.
    platform::SerialPortMap PortMap(int comNumber, std::filesystem::path locks = {}) const;

    // Reads until `count` bytes arrived or nothing more came for `quiet`.
    std::string Read(std::size_t count,
                     std::chrono::milliseconds quiet = std::chrono::milliseconds(2000));
    // The line's settings as the master sees them.
    termios Settings() const;
    void CloseMaster();

private:
    int m_master = -1;
    std::string m_slavePath;
};

// The number of descriptors this process has open.
int OpenDescriptorCount();
