#include "SerialLine.h"

#include "FileDescriptor.h"
#include "PseudoTerminal.h"
#include "support/ChildProcess.h"
#include "support/TempFolder.h"

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kPort = 3;

// A second descriptor on the slave, as another program would hold it.
platform::FileDescriptor OpenSlave(const PseudoTerminal& modem)
{
    return platform::FileDescriptor(open(modem.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC));
}

int Send(CSerialLine& line, const std::string& bytes)
{
    return line.Write(bytes.data(), static_cast<int>(bytes.size()));
}

} // namespace

TEST(SerialLineTest, OpensRaw8N1At9600AndSendsEveryByteUnchanged)
{
    PseudoTerminal modem;
    platform::SerialPortMap ports = modem.PortMap(kPort);
    ports.AddPort(5, "/nonexistent/ttyUSB9");
    CSerialLine line(ports);
    ASSERT_TRUE(line.Open(kPort, 9600));
    termios settings = modem.Settings();
    EXPECT_EQ(cfgetospeed(&settings), B9600);
    EXPECT_EQ(cfgetispeed(&settings), B9600);
    EXPECT_EQ(settings.c_cflag & (CSIZE | PARENB | CSTOPB | CLOCAL | CREAD | HUPCL),
              static_cast<tcflag_t>(CS8 | CLOCAL | CREAD | HUPCL));
    EXPECT_EQ(settings.c_oflag & OPOST, 0u);

    // Open on an open line keeps the first port and rate.
    EXPECT_TRUE(line.Open(5, 19200));
    settings = modem.Settings();
    EXPECT_EQ(cfgetospeed(&settings), B9600);
    // No CR/LF translation: NUL and 8-bit bytes pass as they are.
    std::string bytes("atm1\r\natdt9,5551234;\r\n\n\0\xff", 25);
    EXPECT_EQ(Send(line, bytes), 25);
    EXPECT_EQ(modem.Read(bytes.size()), bytes);
}

TEST(SerialLineTest, APortMissingInUseOrNotALineFailsOpenAndAClosedLineSendsNothing)
{
    PseudoTerminal modem;
    CSerialLine line(modem.PortMap(kPort));
    EXPECT_FALSE(line.Open(kPort + 1, 9600));
    EXPECT_FALSE(line.Open(kPort, 9601));
    EXPECT_FALSE(line.Open(kPort, 0));
    platform::SerialPortMap ports(platform::SerialPortRoots{"/nonexistent", "/nonexistent"});
    ports.AddPort(1, "/dev/null");
    EXPECT_FALSE(CSerialLine(ports).Open(1, 9600));
    {
        platform::FileDescriptor other = OpenSlave(modem);
        ASSERT_EQ(flock(other.get(), LOCK_EX | LOCK_NB), 0);
        EXPECT_FALSE(line.Open(kPort, 9600));
    }
    EXPECT_FALSE(line.IsOpen());
    EXPECT_EQ(Send(line, "at"), 0);
    EXPECT_FALSE(line.WriteByte('a'));

    ASSERT_TRUE(line.Open(kPort, 9600));
    EXPECT_FALSE(CSerialLine(modem.PortMap(kPort)).Open(kPort, 9600)) << "a second line opened";
    EXPECT_EQ(line.Write("at", 0) + line.Write("at", -1) + line.Write(nullptr, 2), 0);
    EXPECT_TRUE(line.Close());
    EXPECT_TRUE(line.Close());
    EXPECT_EQ(Send(line, "at"), 0);
    ASSERT_TRUE(line.Open(kPort, 9600)) << "the port stays taken after Close";
    EXPECT_EQ(Send(line, "go"), 2);
    EXPECT_EQ(modem.Read(2), "go") << "nothing before the reopened line's bytes";
}

TEST(SerialLineTest, AStalledWriteEndsInTimeAndNothingOfItIsSentLater)
{
    PseudoTerminal modem;
    CSerialLine line(modem.PortMap(kPort));
    ASSERT_TRUE(line.Open(kPort, 9600));
    platform::FileDescriptor other = OpenSlave(modem);
    ASSERT_EQ(tcflow(other.get(), TCOOFF), 0);

    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Send(line, "atdt5551234;\r\n"), 14);
    EXPECT_LT(std::chrono::steady_clock::now() - start, CSerialLine::kWriteWait);

    ASSERT_EQ(tcflow(other.get(), TCOON), 0);
    EXPECT_EQ(Send(line, "atdt1;\r\n"), 8);
    EXPECT_EQ(modem.Read(8), "atdt1;\r\n");
}

TEST(SerialLineTest, AModemGoneBeforeAWriteEndsItAtOnce)
{
    PseudoTerminal modem;
    CSerialLine line(modem.PortMap(kPort));
    ASSERT_TRUE(line.Open(kPort, 9600));
    modem.CloseMaster();

    // A line that waited for the vanished device would take a byte's wait at least.
    auto start = std::chrono::steady_clock::now();
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
    testsupport::ChildProcess child = testsupport::ChildProcess::Fork([&] {
        constexpr id_t kNobody = 65534;
        if (geteuid() == 0 &&
            (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0))
            return 2;
        CSerialLine line(modem.PortMap(kPort));
        if (line.Open(kPort, 9600))
            return 3;
        return line.PermissionDenied() == std::filesystem::path(modem.SlavePath()) ? 0 : 4;
    });
    EXPECT_EQ(testsupport::ExitCode(child.WaitForExit()), 0)
        << "2: root could not be dropped, 3: opened, 4: not named";
}

TEST(SerialLineTest, UucpLockFilesAreHonouredTakenOverWhenStaleAndOwnedWhileOpen)
{
    testsupport::ChildProcess ended = testsupport::ChildProcess::Fork([] { return 0; });
    ASSERT_TRUE(ended.WaitForExit());
    const std::tuple<const char*, std::optional<std::string>, bool> cases[] = {
        {"no lock", std::nullopt, true},
        {"a live process's lock", std::to_string(getppid()) + "\n", false},
        {"a lock of a process that ended", "  " + std::to_string(ended.Pid()) + "\n", true},
        {"a lock without a process id", "garbage", true}};
    for (const auto& [what, lockBefore, opens] : cases) {
        SCOPED_TRACE(what);
        PseudoTerminal modem;
        testsupport::TempFolder locks;
        const std::filesystem::path lockFile =
            platform::UucpLock::LockFileFor(locks.path(), modem.SlavePath());
        if (lockBefore)
            testsupport::WriteFile(lockFile, *lockBefore);
        {
            CSerialLine line(modem.PortMap(kPort, locks.path()));
            EXPECT_EQ(line.Open(kPort, 9600), opens);
            // Other programs read the owner as ten columns of process id and a newline.
            EXPECT_EQ(testsupport::ReadFile(lockFile),
                      opens ? std::string(10 - std::to_string(getpid()).size(), ' ') +
                                  std::to_string(getpid()) + "\n"
                            : *lockBefore);
        }
        EXPECT_EQ(std::filesystem::exists(lockFile), !opens);
    }
}
