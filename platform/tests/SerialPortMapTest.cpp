#include "SerialPortMap.h"

#include "support/FakeSerialDevices.h"
#include "support/ScopedEnvironment.h"
#include "support/TempFolder.h"

#include <csignal>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using platform::SerialPort;
using platform::SerialPortMap;

namespace {

// A fake /sys and /dev: the kernel's tty class with a few ports of each series and some
// look-alikes that are not serial ports at all.
class SerialPortMapTest : public ::testing::Test
{
protected:
    SerialPortMapTest()
    {
        fs::create_directories(m_roots.dev);
        AddTty("ttyS0", "4");
        AddTty("ttyS1", "0");                       // reserved, no UART behind it
        AddTty("ttyS2", "4", /*withDevice=*/false); // no device node
        AddTty("ttyUSB10");
        AddTty("ttyUSB0");
        AddTty("ttyUSB2");
        AddTty("ttyACM0");
        AddTty("tty0");
        AddTty("ttySAC0");
        AddTty("console");
    }

    void SetPortsVariable(const std::string& value)
    {
        setenv(SerialPortMap::kEnvironmentVariable, value.c_str(), 1);
    }

    void AddTty(const std::string& name, const char* type = nullptr, bool withDevice = true)
    {
        fs::path folder = m_roots.sysfs / "class" / "tty" / name;
        fs::create_directories(folder);
        if (type)
            std::ofstream(folder / "type") << type << "\n";
        if (withDevice)
            std::ofstream(m_roots.dev / name);
    }

    fs::path Dev(const std::string& name) const { return m_roots.dev / name; }

    static std::vector<std::pair<int, fs::path>> Numbering(const std::vector<SerialPort>& ports)
    {
        std::vector<std::pair<int, fs::path>> result;
        for (const SerialPort& port : ports)
            result.emplace_back(port.comNumber, port.device);
        return result;
    }

    testsupport::TempFolder m_root;
    platform::SerialPortRoots m_roots{m_root / "sys", m_root / "dev", m_root / "udev",
                                      m_root / "serial-ports", m_root / "lock"};
    // Restores the variable after tests that set it.
    testsupport::ScopedEnvironment m_portsVariable{SerialPortMap::kEnvironmentVariable, {}};
};

using Numbers = std::vector<std::pair<int, fs::path>>;

} // namespace

TEST_F(SerialPortMapTest, MachinePortsAreNumberedSeriesBySeriesInKernelIndexOrder)
{
    SerialPortMap map(m_roots);
    std::vector<SerialPort> ports = map.Ports();
    EXPECT_EQ(Numbering(ports), (Numbers{{1, Dev("ttyS0")},
                                         {2, Dev("ttyUSB0")},
                                         {3, Dev("ttyUSB2")},
                                         {4, Dev("ttyUSB10")},
                                         {5, Dev("ttyACM0")}}));
    ASSERT_EQ(ports.size(), 5u);
    EXPECT_EQ(ports[3].deviceName, "ttyUSB10");
    EXPECT_EQ(ports[3].sysfsPath, m_roots.sysfs / "class" / "tty" / "ttyUSB10");
}

TEST_F(SerialPortMapTest, ExplicitEntriesKeepTheirNumbersAndTheMachineFillsTheGaps)
{
    SetPortsVariable("COM2=/dev/pts/7;com5=/tmp/modem");
    SerialPortMap map(m_roots);
    // Naming a machine device explicitly moves it rather than listing it twice.
    EXPECT_TRUE(map.AddPort(9, Dev("ttyACM0")));

    std::vector<SerialPort> ports = map.Ports();
    EXPECT_EQ(Numbering(ports), (Numbers{{1, Dev("ttyS0")},
                                         {2, "/dev/pts/7"},
                                         {3, Dev("ttyUSB0")},
                                         {4, Dev("ttyUSB2")},
                                         {5, "/tmp/modem"},
                                         {6, Dev("ttyUSB10")},
                                         {9, Dev("ttyACM0")}}));
    EXPECT_EQ(ports[1].deviceName, "7");
    EXPECT_TRUE(ports[1].sysfsPath.empty());
}

TEST_F(SerialPortMapTest, TheEnvironmentOutranksAddedEntriesAndBadEntriesAreIgnored)
{
    SetPortsVariable("junk;COM0=/a;COMx=/b;COM4=;=/c;;COM3=/dev/pts/3");
    SerialPortMap map(platform::SerialPortRoots{m_root / "none", m_root / "none"});
    EXPECT_FALSE(map.AddPort(3, "/dev/ttyUSB7"));
    EXPECT_FALSE(map.AddPort(0, "/dev/ttyUSB7"));
    EXPECT_FALSE(map.AddPort(6, ""));
    EXPECT_TRUE(map.AddPort(6, "/dev/ttyUSB7"));
    EXPECT_EQ(Numbering(map.Ports()), (Numbers{{3, "/dev/pts/3"}, {6, "/dev/ttyUSB7"}}));
}

TEST_F(SerialPortMapTest, LooksUpBothWays)
{
    SetPortsVariable("COM1=/dev/pts/9");
    SerialPortMap map(m_roots);
    EXPECT_EQ(map.DeviceFor(1), fs::path("/dev/pts/9"));
    EXPECT_EQ(map.DeviceFor(2), Dev("ttyS0"));
    EXPECT_EQ(map.DeviceFor(6), Dev("ttyACM0"));
    EXPECT_FALSE(map.DeviceFor(7).has_value());
    EXPECT_FALSE(map.DeviceFor(0).has_value());

    EXPECT_EQ(map.ComNumberFor("/dev/pts/9"), 1);
    EXPECT_EQ(map.ComNumberFor(m_roots.dev / "." / "ttyUSB0"), 3);
    EXPECT_FALSE(map.ComNumberFor(Dev("ttyS1")).has_value());
}

namespace {

using PortList = std::vector<std::pair<int, std::string>>;

// COM number -> kernel name of every port present.
PortList Present(const SerialPortMap& map)
{
    PortList present;
    for (const SerialPort& port : map.Ports())
        present.emplace_back(port.comNumber, port.deviceName);
    return present;
}

} // namespace

TEST(SerialPortNumbersTest, EveryDeviceKeepsItsNumberThroughPluggingAndReboots)
{
    testsupport::TempFolder folder;
    testsupport::FakeSerialDevices machine(folder.path());
    auto modemA = [&](const std::string& name) { machine.AddUsb(name, "166:9", "Modem", "A"); };
    auto adapterB = [&](const std::string& name) { machine.AddUsb(name, "188:7", "Adapter", "B"); };
    auto adapterC = [&](const std::string& name) { machine.AddUsb(name, "188:8", "Adapter", "C"); };
    const struct
    {
        const char* what;
        std::function<void()> change;
        PortList expected;
    } steps[] = {
        {"first start",
         [&] { machine.Add("ttyS0", "4"), modemA("ttyACM0"); },
         {{1, "ttyS0"}, {2, "ttyACM0"}}},
        {"an adapter plugged in",
         [&] { adapterB("ttyUSB0"); },
         {{1, "ttyS0"}, {2, "ttyACM0"}, {3, "ttyUSB0"}}},
        {"the modem unplugged", [&] { machine.Remove("ttyACM0"); }, {{1, "ttyS0"}, {3, "ttyUSB0"}}},
        {"another adapter plugged in",
         [&] { adapterC("ttyUSB1"); },
         {{1, "ttyS0"}, {3, "ttyUSB0"}, {4, "ttyUSB1"}}},
        {"a reboot that names every USB device anew",
         [&] {
             for (const char* name : {"ttyUSB0", "ttyUSB1"})
                 machine.Remove(name);
             adapterC("ttyUSB0"), adapterB("ttyUSB1"), modemA("ttyACM1");
         },
         {{1, "ttyS0"}, {2, "ttyACM1"}, {3, "ttyUSB1"}, {4, "ttyUSB0"}}},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        step.change();
        // A map of its own for each step, as each program start has: only the file remembers.
        SerialPortMap map(machine.Roots());
        EXPECT_EQ(Present(map), step.expected);
    }
    EXPECT_EQ(platform::ReadKeptNumbers(machine.NumbersFile()),
              (platform::KeptNumbers{{1, "ttyS0"},
                                     {2, "serial/by-id/usb-Modem_A-if00"},
                                     {3, "serial/by-id/usb-Adapter_B-if00"},
                                     {4, "serial/by-id/usb-Adapter_C-if00"}}));
}

TEST(SerialPortNumbersTest, ExplicitNumbersWinAndTheFileIsReadWithCare)
{
    testsupport::TempFolder folder;
    testsupport::FakeSerialDevices machine(folder.path());
    machine.AddUsb("ttyUSB0", "188:0", "Adapter", "B");
    machine.AddUsb("ttyUSB1", "188:1", "Adapter", "C");
    fs::create_directories(machine.NumbersFile().parent_path());
    testsupport::WriteFile(machine.NumbersFile(),
                           "junk\nCOM0=zero\nCOMx=x\nCOM9=\nCOM2=serial/by-id/usb-Adapter_B-if00\n"
                           "COM2=taken twice\nCOM5=serial/by-id/usb-Adapter_B-if00\n"
                           "com3=serial/by-id/usb-Adapter_C-if00\r\n");
    EXPECT_EQ(platform::ReadKeptNumbers(machine.NumbersFile()),
              (platform::KeptNumbers{{2, "serial/by-id/usb-Adapter_B-if00"},
                                     {3, "serial/by-id/usb-Adapter_C-if00"}}));

    // COM3 is named explicitly, so the device that had it is given the lowest free number.
    testsupport::ScopedEnvironment named(SerialPortMap::kEnvironmentVariable, "COM3=/dev/pts/9");
    SerialPortMap map(machine.Roots());
    EXPECT_EQ(Present(map), (PortList{{1, "ttyUSB1"}, {2, "ttyUSB0"}, {3, "9"}}));
    EXPECT_EQ(platform::ReadKeptNumbers(machine.NumbersFile()),
              (platform::KeptNumbers{{1, "serial/by-id/usb-Adapter_C-if00"},
                                     {2, "serial/by-id/usb-Adapter_B-if00"}}));
}

TEST(SerialPortNumbersTest, TheFileSurvivesAWriterKilledMidway)
{
    testsupport::TempFolder folder;
    testsupport::FakeSerialDevices machine(folder.path());
    pid_t writer = fork();
    ASSERT_GE(writer, 0);
    if (writer == 0) {
        // Every round a device never seen before: every round rewrites the file, a line longer.
        for (int round = 0;; ++round) {
            machine.Remove("ttyUSB0");
            machine.AddUsb("ttyUSB0", "188:0", "Adapter", std::to_string(round));
            SerialPortMap(machine.Roots()).Ports();
        }
    }
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (platform::ReadKeptNumbers(machine.NumbersFile()).size() < 50 &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    kill(writer, SIGKILL);
    int status = 0;
    waitpid(writer, &status, 0);

    std::ifstream in(machine.NumbersFile(), std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    platform::KeptNumbers kept = platform::ReadKeptNumbers(machine.NumbersFile());
    ASSERT_GE(kept.size(), 50u) << "the writer made too little progress in 30 s";
    // Whole: every line complete, numbers 1..n without a gap.
    EXPECT_EQ(text, platform::FormatKeptNumbers(kept));
    EXPECT_EQ(kept.rbegin()->first, static_cast<int>(kept.size()));
    // The next program start carries on from it.
    machine.Remove("ttyUSB0");
    machine.AddUsb("ttyUSB0", "188:0", "Adapter", "new");
    EXPECT_EQ(Present(SerialPortMap(machine.Roots())),
              (PortList{{static_cast<int>(kept.size()) + 1, "ttyUSB0"}}));
}

TEST(SerialPortNameTest, ParsesAndFormatsComNames)
{
    EXPECT_EQ(SerialPortMap::ParseComName("COM3"), 3);
    EXPECT_EQ(SerialPortMap::ParseComName("com12"), 12);
    EXPECT_FALSE(SerialPortMap::ParseComName("COM").has_value());
    EXPECT_FALSE(SerialPortMap::ParseComName("COM0").has_value());
    EXPECT_FALSE(SerialPortMap::ParseComName("COM-1").has_value());
    EXPECT_FALSE(SerialPortMap::ParseComName("COM1:").has_value());
    EXPECT_FALSE(SerialPortMap::ParseComName("LPT1").has_value());
    EXPECT_FALSE(SerialPortMap::ParseComName("COM99999999999").has_value());
    EXPECT_EQ(SerialPortMap::ComName(4), "COM4");
}
