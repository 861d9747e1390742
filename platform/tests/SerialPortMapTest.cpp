#include "SerialPortMap.h"

#include "support/ScopedEnvironment.h"
#include "support/TempFolder.h"

#include <fstream>
#include <gtest/gtest.h>

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
    platform::SerialPortRoots m_roots{m_root / "sys", m_root / "dev"};
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
