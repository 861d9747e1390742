#include "PseudoTerminal.h"

#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <stdexcept>
#include <stdlib.h>
#include <unistd.h>

PseudoTerminal::PseudoTerminal()
{
    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0)
        throw std::runtime_error("no pseudo-terminal");
    char name[128];
    if (ptsname_r(m_master, name, sizeof name) != 0)
        throw std::runtime_error("no pseudo-terminal name");
    m_slavePath = name;
}

PseudoTerminal::~PseudoTerminal()
{
    CloseMaster();
}

platform::SerialPortMap PseudoTerminal::PortMap(int comNumber, std::filesystem::path locks) const
{
    std::filesystem::path nowhere = "/nonexistent-telmo-test-root";
    platform::SerialPortMap map(
        {nowhere, nowhere, nowhere, {}, locks.empty() ? nowhere : std::move(locks)});
    map.AddPort(comNumber, m_slavePath);
    return map;
}

std::string PseudoTerminal::Read(std::size_t count, std::chrono::milliseconds quiet)
{
    std::string received;
    while (received.size() < count) {
        pollfd wait{m_master, POLLIN, 0};
        if (poll(&wait, 1, static_cast<int>(quiet.count())) <= 0)
            break;
        char buffer[256];
        ssize_t got = read(m_master, buffer, sizeof buffer);
        if (got <= 0)
            break;
        received.append(buffer, static_cast<std::size_t>(got));
    }
    return received;
}

termios PseudoTerminal::Settings() const
{
    termios settings{};
    tcgetattr(m_master, &settings);
    return settings;
}

void PseudoTerminal::CloseMaster()
{
    if (m_master >= 0)
        close(m_master);
    m_master = -1;
}

int OpenDescriptorCount()
{
    int count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++count;
    return count;
}
