#include "SerialLine.h"

#include "files/FileDescriptor.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#include <utility>

namespace {

std::optional<speed_t> SpeedFor(int baud)
{
    static constexpr std::pair<int, speed_t> kSpeeds[] = {
        {50, B50},       {75, B75},         {110, B110},       {134, B134},       {150, B150},
        {200, B200},     {300, B300},       {600, B600},       {1200, B1200},     {1800, B1800},
        {2400, B2400},   {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},
        {57600, B57600}, {115200, B115200}, {230400, B230400}, {460800, B460800}, {921600, B921600},
    };
    for (const auto& [rate, speed] : kSpeeds) {
        if (rate == baud)
            return speed;
    }
    return std::nullopt;
}

// Raw 8N1 at the speed; the modem is driven without modem-status lines (CLOCAL), and closing
// lowers DTR (HUPCL), which hangs up a modem that is still off hook. Hardware flow control is
// left as the port has it.
termios LineSettings(termios settings, speed_t speed)
{
    cfmakeraw(&settings);
    settings.c_iflag &= ~(IXON | IXOFF | IXANY);
    settings.c_cflag &= ~(CSIZE | PARENB | CSTOPB);
    settings.c_cflag |= CS8 | CLOCAL | CREAD | HUPCL;
    cfsetispeed(&settings, speed);
    cfsetospeed(&settings, speed);
    return settings;
}

// tcsetattr succeeds when any one change was taken, so the port is asked what it now has.
bool SettingsTaken(int fd, const termios& wanted)
{
    termios actual{};
    if (tcgetattr(fd, &actual) != 0)
        return false;
    constexpr tcflag_t kControlBits = CSIZE | PARENB | CSTOPB | CLOCAL | CREAD | HUPCL;
    return (actual.c_cflag & kControlBits) == (wanted.c_cflag & kControlBits) &&
           (actual.c_oflag & OPOST) == 0 && cfgetospeed(&actual) == cfgetospeed(&wanted) &&
           cfgetispeed(&actual) == cfgetispeed(&wanted);
}

} // namespace

CSerialLine::CSerialLine(platform::SerialPortMap ports) : m_ports(std::move(ports)) {}

CSerialLine::~CSerialLine()
{
    Close();
}

bool CSerialLine::Open(int port, int baud)
{
    if (m_bOpened)
        return true;
    m_denied.reset();
    std::optional<std::filesystem::path> device = m_ports.DeviceFor(port);
    std::optional<speed_t> speed = SpeedFor(baud);
    if (!device || !speed)
        return false;

    // The lock goes with the line; it is released on every way out before that.
    platform::UucpLock lock;
    if (lock.Acquire(m_ports.Roots().locks, *device) == platform::UucpLock::Result::HeldByOther)
        return false;
    platform::FileDescriptor fd(open(device->c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0) {
        if (errno == EACCES || errno == EPERM)
            m_denied = *device;
        return false;
    }
    // Programs that share serial ports on Linux agree through this advisory lock; the exclusive
    // mode then makes every further open of the device fail while the line holds it.
    if (flock(fd.get(), LOCK_EX | LOCK_NB) != 0 || ioctl(fd.get(), TIOCEXCL) != 0)
        return false;

    termios current{};
    if (tcgetattr(fd.get(), &current) != 0)
        return false;
    termios wanted = LineSettings(current, *speed);
    if (tcsetattr(fd.get(), TCSANOW, &wanted) != 0 || !SettingsTaken(fd.get(), wanted))
        return false;
    tcflush(fd.get(), TCIOFLUSH);

    m_hPort = fd.release();
    m_lock = std::move(lock);
    m_bOpened = true;
    return true;
}

bool CSerialLine::Close()
{
    if (!m_bOpened || m_hPort < 0)
        return true;
    // Unsent output is dropped rather than drained, so that closing never waits on a stalled
    // line; the modem gets no further command.
    tcflush(m_hPort, TCOFLUSH);
    ioctl(m_hPort, TIOCNXCL);
    close(m_hPort);
    m_lock.Release();
    m_hPort = -1;
    m_bOpened = false;
    return true;
}

bool CSerialLine::WriteByte(unsigned char byte)
{
    if (!m_bOpened || m_hPort < 0)
        return false;
    Clock::time_point deadline = std::min(Clock::now() + kByteWait, m_ovWrite.deadline);
    for (;;) {
        ssize_t written = write(m_hPort, &byte, 1);
        if (written == 1)
            return true;
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            return false; // EIO and the like: the device is gone

        auto remaining =
            std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (remaining <= 0)
            return false;
        pollfd wait{m_hPort, POLLOUT, 0};
        int ready = poll(&wait, 1, static_cast<int>(remaining));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0 || (wait.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0)
            return false;
    }
}

int CSerialLine::Write(const char* data, int length)
{
    if (!m_bOpened || m_hPort < 0 || length <= 0 || data == nullptr)
        return 0;
    m_ovWrite.deadline = Clock::now() + kWriteWait;
    for (int i = 0; i < length; ++i) {
        if (!WriteByte(static_cast<unsigned char>(data[i])))
            break;
    }
    m_ovWrite.deadline = Clock::time_point::max();
    return length;
}
