#pragma once

#include "SerialPortMap.h"

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <stdexcept>
#include <stdlib.h>
#include <string>
#include <termios.h>
#include <unistd.h>

// A pseudo-terminal standing in for a modem: the line under test opens the slave side as its
// serial port, and the test reads at the master side what the modem would receive.
class PseudoTerminal
{
public:
    PseudoTerminal() : m_master(posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC))
    {
        char name[128];
        if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0 ||
            ptsname_r(m_master, name, sizeof name) != 0)
            throw std::runtime_error("no pseudo-terminal");
        m_slavePath = name;
    }
    ~PseudoTerminal() { CloseMaster(); }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    const std::string& SlavePath() const { return m_slavePath; }

    // A port map that names the slave COMn and knows no other port; UUCP locks are kept in the
    // given folder, by default in none.
    platform::SerialPortMap PortMap(int comNumber, std::filesystem::path locks = {}) const
    {
        const std::filesystem::path nowhere = "/nonexistent-telmo-test-root";
        platform::SerialPortMap map(
            {nowhere, nowhere, nowhere, {}, locks.empty() ? nowhere : std::move(locks)});
        map.AddPort(comNumber, m_slavePath);
        return map;
    }

    // Reads until `count` bytes arrived or nothing more came for two seconds.
    std::string Read(std::size_t count)
    {
        std::string received;
        char buffer[256];
        pollfd wait{m_master, POLLIN, 0};
        for (ssize_t got = 0; received.size() < count && poll(&wait, 1, 2000) > 0 &&
                              (got = read(m_master, buffer, sizeof buffer)) > 0;)
            received.append(buffer, static_cast<std::size_t>(got));
        return received;
    }

    // The line's settings as the master sees them.
    termios Settings() const
    {
        termios settings{};
        tcgetattr(m_master, &settings);
        return settings;
    }

    void CloseMaster()
    {
        if (m_master >= 0)
            close(m_master);
        m_master = -1;
    }

private:
    int m_master;
    std::string m_slavePath;
};
