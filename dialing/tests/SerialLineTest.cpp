#include "SerialLine.h"

#include "files/FileDescriptor.h"
#include "support/ChildProcess.h"
#include "support/TempFolder.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <stdexcept>
#include <sys/file.h>
#include <sys/stat.h>
#include <termios.h>

namespace {

constexpr int kPort = 3;

// Stands in for a modem: the line under test opens the slave side as its serial port, and the
// test reads at the master side what the modem would receive.
class PseudoTerminal
{
public:
    PseudoTerminal() : m_master(posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC))
    {
        if (!m_master.valid() || grantpt(m_master.get()) != 0 || unlockpt(m_master.get()) != 0)
            throw std::runtime_error("no pseudo-terminal");
        m_slavePath = ptsname(m_master.get());
    }

    // Names the slave COM3 and no other port; UUCP locks are kept in the given folder, or none.
    platform::SerialPortMap PortMap(std::filesystem::path locks = "/nonexistent") const
    {
        const std::filesystem::path nowhere = "/nonexistent";
        platform::SerialPortMap map({nowhere, nowhere, {}, {}, std::move(locks)});
        map.AddPort(kPort, m_slavePath);
        return map;
    }

    // Reads until `count` bytes arrived or nothing more came for two seconds.
    std::string Read(std::size_t count) const
    {
        std::string received;
        char buffer[256];
        pollfd wait{m_master.get(), POLLIN, 0};
        for (ssize_t got = 0; received.size() < count && poll(&wait, 1, 2000) > 0 &&
                              (got = read(m_master.get(), buffer, sizeof buffer)) > 0;)
            received.append(buffer, static_cast<std::size_t>(got));
        return received;
    }

    // A second descriptor on the slave, as another program would hold it.
    platform::FileDescriptor OpenSlave() const
    {
        return platform::FileDescriptor(open(m_slavePath.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC));
    }

    int Master() const { return m_master.get(); }
    void CloseMaster() { close(m_master.release()); }
    const std::string& SlavePath() const { return m_slavePath; }

private:
    platform::FileDescriptor m_master;
    std::string m_slavePath;
};

int Send(CSerialLine& line, const std::string& bytes)
{
    return line.Write(bytes.data(), static_cast<int>(bytes.size()));
}

} // namespace

TEST(SerialLineTest, OpensOnlyAFreeLineRaw8N1At9600AndSendsEveryByteUnchangedUntilClosed)
{
    PseudoTerminal modem;
    platform::SerialPortMap ports = modem.PortMap();
    ports.AddPort(5, "/dev/null");
    CSerialLine line(ports);
    EXPECT_FALSE(line.Open(kPort + 1, 9600));
    EXPECT_FALSE(line.Open(kPort, 9601));
    EXPECT_FALSE(line.Open(kPort, 0));
    EXPECT_FALSE(line.Open(5, 9600)) << "not a line";
    {
        platform::FileDescriptor other = modem.OpenSlave();
        ASSERT_EQ(flock(other.get(), LOCK_EX | LOCK_NB), 0);
        EXPECT_FALSE(line.Open(kPort, 9600));
    }
    EXPECT_FALSE(line.IsOpen());
    EXPECT_EQ(Send(line, "at"), 0);
    EXPECT_FALSE(line.WriteByte('a'));

    ASSERT_TRUE(line.Open(kPort, 9600));
    termios settings{};
    ASSERT_EQ(tcgetattr(modem.Master(), &settings), 0);
    EXPECT_EQ(cfgetospeed(&settings), B9600);
    EXPECT_EQ(cfgetispeed(&settings), B9600);
    EXPECT_EQ(settings.c_cflag & (CSIZE | PARENB | CSTOPB | CLOCAL | CREAD | HUPCL),
              static_cast<tcflag_t>(CS8 | CLOCAL | CREAD | HUPCL));
    EXPECT_EQ(settings.c_oflag & OPOST, 0u);
    // Open on an open line keeps the first port and rate.
    EXPECT_TRUE(line.Open(5, 19200));
    tcgetattr(modem.Master(), &settings);
    EXPECT_EQ(cfgetospeed(&settings), B9600);
    EXPECT_FALSE(CSerialLine(modem.PortMap()).Open(kPort, 9600)) << "a second line opened";
    EXPECT_EQ(line.Write("at", 0) + line.Write("at", -1) + line.Write(nullptr, 2), 0);
    // No CR/LF translation: NUL and 8-bit bytes pass as they are.
    std::string bytes("atm1\r\natdt9,5551234;\r\n\n\0\xff", 25);
    EXPECT_EQ(Send(line, bytes), 25);
    EXPECT_EQ(modem.Read(bytes.size()), bytes);

    EXPECT_TRUE(line.Close());
    EXPECT_TRUE(line.Close());
    EXPECT_EQ(Send(line, "at"), 0);
    ASSERT_TRUE(line.Open(kPort, 9600)) << "the port stays taken after Close";
    EXPECT_EQ(Send(line, "go"), 2);
    EXPECT_EQ(modem.Read(2), "go") << "nothing before the reopened line's bytes";
}

TEST(SerialLineTest, AStalledWriteEndsInTimeNothingOfItSentLaterAndOneToAModemGoneAtOnce)
{
    PseudoTerminal modem;
    CSerialLine line(modem.PortMap());
    ASSERT_TRUE(line.Open(kPort, 9600));
    platform::FileDescriptor other = modem.OpenSlave();
    ASSERT_EQ(tcflow(other.get(), TCOOFF), 0);

    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Send(line, "atdt5551234;\r\n"), 14);
    EXPECT_LT(std::chrono::steady_clock::now() - start, CSerialLine::kWriteWait);

    ASSERT_EQ(tcflow(other.get(), TCOON), 0);
    EXPECT_EQ(Send(line, "atdt1;\r\n"), 8);
    EXPECT_EQ(modem.Read(8), "atdt1;\r\n");

    // A line that waited for the vanished device would take a byte's wait at least.
    modem.CloseMaster();
    start = std::chrono::steady_clock::now();
    EXPECT_EQ(Send(line, "atdt5551234;\r\n"), 14);
    EXPECT_FALSE(line.WriteByte('a'));
    EXPECT_TRUE(line.Close());
    EXPECT_LT(std::chrono::steady_clock::now() - start, CSerialLine::kByteWait);
}

TEST(SerialLineTest, APortThisUserMayNotOpenIsNamed)
{
    PseudoTerminal modem;
    ASSERT_EQ(chmod(modem.SlavePath().c_str(), 0), 0);
    // Root opens any file whatever its mode, so the line is opened as nobody.
    testsupport::ChildProcess child = testsupport::ForkAsNobody([&] {
        CSerialLine line(modem.PortMap());
        return !line.Open(kPort, 9600) &&
                       line.PermissionDenied() == std::filesystem::path(modem.SlavePath())
                   ? 0
                   : 1;
    });
    EXPECT_EQ(testsupport::ExitCode(child.WaitForExit()), 0);
}

TEST(SerialLineTest, APortAnotherProgramLockedIsRefusedAndOurOwnLockHeldWhileOpen)
{
    // What the lock files say is the lock's own business; the line only acts on the answer.
    PseudoTerminal modem;
    testsupport::TempFolder locks;
    const auto lockFile = platform::UucpLock::LockFileFor(locks.path(), modem.SlavePath());
    testsupport::WriteFile(lockFile, std::to_string(getppid()) + "\n");
    CSerialLine line(modem.PortMap(locks.path()));
    EXPECT_FALSE(line.Open(kPort, 9600));
    std::filesystem::remove(lockFile);
    ASSERT_TRUE(line.Open(kPort, 9600));
    EXPECT_TRUE(std::filesystem::exists(lockFile));
    line.Close();
    EXPECT_FALSE(std::filesystem::exists(lockFile));
}
