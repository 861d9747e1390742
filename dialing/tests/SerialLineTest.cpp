#include "SerialLine.h"

#include "PseudoTerminal.h"
#include "support/TempFolder.h"

#include <chrono>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr int kPort = 3;

// A second descriptor on the slave, as another program would hold it.
class SlaveDescriptor
{
public:
    explicit SlaveDescriptor(const std::string& path)
        : m_fd(open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC))
    {}
    ~SlaveDescriptor() { close(m_fd); }
    SlaveDescriptor(const SlaveDescriptor&) = delete;
    SlaveDescriptor& operator=(const SlaveDescriptor&) = delete;
    int Get() const { return m_fd; }

private:
    int m_fd;
};

int Send(CSerialLine& line, const std::string& bytes)
{
    return line.Write(bytes.data(), static_cast<int>(bytes.size()));
}

} // namespace

TEST(SerialLineTest, SendsEveryByteUnchangedAndInOrder)
{
    PseudoTerminal modem;
    CSerialLine line(modem.PortMap(kPort));
    ASSERT_TRUE(line.Open(kPort, 9600));
    // A raw line: no CR/LF translation, NUL and 8-bit bytes pass as they are.
    std::string bytes("atm1\r\natdt9,5551234;\r\n\n\0\xff", 25);
    EXPECT_EQ(Send(line, bytes), 25);
    EXPECT_EQ(modem.Read(bytes.size() + 1, std::chrono::milliseconds(300)), bytes);
}

TEST(SerialLineTest, OpensAt9600Baud8N1AndASecondOpenKeepsTheFirstSettings)
{
    PseudoTerminal modem;
    platform::SerialPortMap ports = modem.PortMap(kPort);
    ports.AddPort(5, "/nonexistent/ttyUSB9");
    CSerialLine line(ports);
    ASSERT_TRUE(line.Open(kPort, 9600));

    termios settings = modem.Settings();
    EXPECT_EQ(cfgetospeed(&settings), B9600);
    EXPECT_EQ(cfgetispeed(&settings), B9600);
    EXPECT_EQ(settings.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(settings.c_cflag & (PARENB | CSTOPB), 0u);
    EXPECT_EQ(settings.c_cflag & (CLOCAL | CREAD | HUPCL),
              static_cast<tcflag_t>(CLOCAL | CREAD | HUPCL));
    EXPECT_EQ(settings.c_oflag & OPOST, 0u);

    EXPECT_TRUE(line.Open(5, 19200));
    settings = modem.Settings();
    EXPECT_EQ(cfgetospeed(&settings), B9600);
    EXPECT_EQ(Send(line, "at"), 2);
    EXPECT_EQ(modem.Read(2), "at");
}

TEST(SerialLineTest, PortInUseFailsOpenAndLeavesNothingOpen)
{
    PseudoTerminal modem;
    {
        SlaveDescriptor other(modem.SlavePath());
        ASSERT_EQ(flock(other.Get(), LOCK_EX | LOCK_NB), 0);
        int before = OpenDescriptorCount();
        CSerialLine line(modem.PortMap(kPort));
        EXPECT_FALSE(line.Open(kPort, 9600));
        EXPECT_FALSE(line.IsOpen());
        EXPECT_EQ(OpenDescriptorCount(), before);
        EXPECT_EQ(Send(line, "at"), 0);
    }

    CSerialLine first(modem.PortMap(kPort));
    ASSERT_TRUE(first.Open(kPort, 9600));
    CSerialLine second(modem.PortMap(kPort));
    EXPECT_FALSE(second.Open(kPort, 9600));
}

TEST(SerialLineTest, UnknownPortsAndUnsupportedRatesFailOpen)
{
    PseudoTerminal modem;
    int before = OpenDescriptorCount();
    CSerialLine line(modem.PortMap(kPort));
    EXPECT_FALSE(line.Open(kPort + 1, 9600));
    EXPECT_FALSE(line.Open(kPort, 9601));
    EXPECT_FALSE(line.Open(kPort, 0));
    EXPECT_EQ(OpenDescriptorCount(), before);

    // A device that is not a terminal at all.
    platform::SerialPortMap ports(platform::SerialPortRoots{"/nonexistent", "/nonexistent"});
    ports.AddPort(1, "/dev/null");
    CSerialLine notALine(ports);
    EXPECT_FALSE(notALine.Open(1, 9600));
    EXPECT_EQ(OpenDescriptorCount(), before);
}

TEST(SerialLineTest, EmptyWritesAndClosedLinesSendNothing)
{
    PseudoTerminal modem;
    CSerialLine line(modem.PortMap(kPort));
    EXPECT_EQ(Send(line, "at"), 0);
    EXPECT_FALSE(line.WriteByte('a'));
    ASSERT_TRUE(line.Open(kPort, 9600));
    EXPECT_EQ(line.Write("at", 0), 0);
    EXPECT_EQ(line.Write("at", -1), 0);
    EXPECT_EQ(line.Write(nullptr, 2), 0);
    EXPECT_EQ(modem.Read(1, std::chrono::milliseconds(100)), "");
}

TEST(SerialLineTest, CloseReleasesThePortAndTwiceIsHarmless)
{
    PseudoTerminal modem;
    int before = OpenDescriptorCount();
    {
        CSerialLine line(modem.PortMap(kPort));
        ASSERT_TRUE(line.Open(kPort, 9600));
        EXPECT_EQ(OpenDescriptorCount(), before + 1);
        EXPECT_TRUE(line.Close());
        EXPECT_TRUE(line.Close());
        EXPECT_EQ(OpenDescriptorCount(), before);
        EXPECT_EQ(Send(line, "at"), 0);
        // Open after Close takes the port anew; the destructor releases it.
        ASSERT_TRUE(line.Open(kPort, 9600));
    }
    EXPECT_EQ(OpenDescriptorCount(), before);
    CSerialLine next(modem.PortMap(kPort));
    EXPECT_TRUE(next.Open(kPort, 9600));
}

TEST(SerialLineTest, StalledLineEndsTheWriteWithoutSendingAnythingLater)
{
    PseudoTerminal modem;
    CSerialLine line(modem.PortMap(kPort));
    ASSERT_TRUE(line.Open(kPort, 9600));
    SlaveDescriptor other(modem.SlavePath());
    ASSERT_EQ(tcflow(other.Get(), TCOOFF), 0);

    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Send(line, "atdt5551234;\r\n"), 14);
    EXPECT_LT(std::chrono::steady_clock::now() - start, CSerialLine::kWriteWait);

    // Nothing of the stalled write was queued: the line carries only what is written anew.
    ASSERT_EQ(tcflow(other.Get(), TCOON), 0);
    EXPECT_EQ(Send(line, "atdt1;\r\n"), 8);
    EXPECT_EQ(modem.Read(30, std::chrono::milliseconds(300)), "atdt1;\r\n");
}

TEST(SerialLineTest, ModemGoneDuringAWriteEndsIt)
{
    PseudoTerminal modem;
    CSerialLine line(modem.PortMap(kPort));
    ASSERT_TRUE(line.Open(kPort, 9600));
    SlaveDescriptor other(modem.SlavePath());
    ASSERT_EQ(tcflow(other.Get(), TCOOFF), 0);

    std::thread unplug([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        modem.CloseMaster();
    });
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Send(line, "atdt5551234;\r\n"), 14);
    unplug.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, CSerialLine::kWriteWait);

    // The vanished device refuses every further byte, and closing does not wait on it.
    EXPECT_FALSE(line.WriteByte('a'));
    EXPECT_TRUE(line.Close());
}

namespace {

// A process id that belonged to a process that has ended.
pid_t EndedProcess()
{
    pid_t child = fork();
    if (child == 0)
        _exit(0);
    waitpid(child, nullptr, 0);
    return child;
}

std::string ReadText(const std::filesystem::path& file)
{
    std::ifstream in(file);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

} // namespace

TEST(SerialLineTest, UucpLockFilesAreHonouredTakenOverWhenStaleAndOwnedWhileOpen)
{
    char ownLock[16];
    std::snprintf(ownLock, sizeof ownLock, "%10d\n", static_cast<int>(getpid()));
    const struct
    {
        const char* what;
        std::optional<std::string> lockBefore;
        bool opens;
    } cases[] = {
        {"no lock", std::nullopt, true},
        {"a live process's lock", std::to_string(getppid()) + "\n", false},
        {"a lock of a process that ended", "  " + std::to_string(EndedProcess()) + "\n", true},
        {"a lock without a process id", "garbage", true},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.what);
        PseudoTerminal modem;
        testsupport::TempFolder locks;
        std::filesystem::path lockFile =
            platform::UucpLock::LockFileFor(locks.path(), modem.SlavePath());
        EXPECT_EQ(lockFile.filename().string(),
                  "LCK..pts_" + std::filesystem::path(modem.SlavePath()).filename().string());
        if (row.lockBefore)
            testsupport::WriteFile(lockFile, *row.lockBefore);
        {
            CSerialLine line(modem.PortMap(kPort, locks.path()));
            EXPECT_EQ(line.Open(kPort, 9600), row.opens);
            EXPECT_EQ(ReadText(lockFile), row.opens ? ownLock : *row.lockBefore);
            EXPECT_TRUE(line.Close());
        }
        EXPECT_EQ(std::filesystem::exists(lockFile), !row.opens);
    }
}
