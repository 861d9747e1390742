#include "SerialRegistry.h"

#include "Registry.h"
#include "support/FakeSerialDevices.h"
#include "support/TempFolder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace platform;
using testing::ElementsAre;
using testing::Pair;

namespace {

// A machine with a real UART, a reserved ttyS without one, a USB serial adapter that udev knows
// from its database, and a USB modem that udev knows only by its own model string.
class SerialRegistryTest : public testing::Test
{
protected:
    SerialRegistryTest()
    {
        m_machine.Add("ttyS0", "4", "4:64");
        m_machine.Add("ttyS1", "0", "4:65");
        m_machine.Add("ttyUSB0", "", "188:0",
                      "S:serial/by-id/usb-Silicon_Labs\nE:ID_MODEL=CP2102_USB_to_UART\n"
                      "E:ID_MODEL_FROM_DATABASE=CP210x UART Bridge\n");
        m_machine.Add("ttyACM0", "", "166:0", "E:ID_MODEL=Conexant_USB_Modem\nE:ID_BUS=usb\n");
        m_machine.Add("tty0");
        WriteRegFile("");
    }

    void WriteRegFile(const std::string& lines)
    {
        testsupport::WriteFile(m_folder / "next.reg", "REGEDIT4\n" + lines);
        fs::rename(m_folder / "next.reg", m_file);
    }

    // The value as text, or "<none>".
    static std::string Read(const std::string& path, const std::string& name)
    {
        HKEY key = nullptr;
        if (RegOpenKeyEx(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return "<none>";
        char data[256] = {};
        std::uint32_t size = sizeof data - 1;
        std::int32_t result = RegQueryValueEx(key, name.c_str(), nullptr,
                                              reinterpret_cast<unsigned char*>(data), &size);
        RegCloseKey(key);
        return result == ERROR_SUCCESS ? std::string(data) : "<none>";
    }

    static std::string Slot(const std::string& slot)
    {
        return std::string(kModemClassPath) + "\\" + slot;
    }

    // Slot -> (model, port) for every slot of the modem class.
    static std::vector<std::pair<std::string, std::string>> Slots()
    {
        std::vector<std::pair<std::string, std::string>> slots;
        for (int index = 0; index < 10; ++index) {
            std::string slot = "000" + std::to_string(index);
            std::string model = Read(Slot(slot), "Model");
            if (model != "<none>")
                slots.emplace_back(model, Read(Slot(slot), "AttachedTo"));
        }
        return slots;
    }

    testsupport::TempFolder m_folder;
    fs::path m_file = m_folder / "registry.reg";
    testsupport::FakeSerialDevices m_machine{m_folder / "machine"};
    ScopedRegistrySources m_sources{m_machine.Sources({m_file})};
};

} // namespace

TEST_F(SerialRegistryTest, EachPortBecomesAModemSlotWithHayesSettings)
{
    // ttyS1 has no UART; the USB ports are numbered after the real ttyS ports.
    EXPECT_THAT(Slots(), ElementsAre(Pair("ttyS0", "COM1"), Pair("CP210x UART Bridge", "COM2"),
                                     Pair("Conexant_USB_Modem", "COM3")));
    std::string settings = Slot("0001\\Settings");
    const std::pair<const char*, const char*> fragments[] = {
        {"CallSetupFailTimer", "S7=<#>"}, {"InactivityTimeout", "S30=<#>"},
        {"SpeakerMode_Dial", "M1"},       {"SpeakerMode_OFF", "M0"},
        {"SpeakerVolume_Low", "L0"},      {"SpeakerVolume_Med", "L2"},
        {"SpeakerVolume_High", "L3"},     {"ErrorControl_On", "\\N3"},
        {"Compression_On", "%C1"},        {"FlowControl_Hard", "&K3"},
        {"Modulation_CCITT", "B0"},       {"Blind_Off", "X4"}};
    for (const auto& [name, command] : fragments)
        EXPECT_EQ(Read(settings, name), command) << name;

    EXPECT_EQ(Read(kSerialCommPath, m_machine.Device("ttyS0").string()), "COM1");
    EXPECT_EQ(Read(kSerialCommPath, m_machine.Device("ttyUSB0").string()), "COM2");
    EXPECT_EQ(Read(kSerialCommPath, m_machine.Device("ttyACM0").string()), "COM3");
    EXPECT_EQ(Read(kSerialCommPath, m_machine.Device("ttyS1").string()), "<none>");
}

TEST_F(SerialRegistryTest, SlotsFromTheFilesWin)
{
    // The file describes the modem on COM2 itself and holds slot 0001 for a modem elsewhere.
    WriteRegFile("[HKEY_LOCAL_MACHINE\\" + Slot("0000") +
                 "]\n"
                 "\"Model\"=\"My USB Modem\"\n\"AttachedTo\"=\"com2\"\n"
                 "[HKEY_LOCAL_MACHINE\\" +
                 Slot("0001") +
                 "]\n"
                 "\"Model\"=\"Hand Written\"\n\"AttachedTo\"=\"COM7\"\n");
    EXPECT_THAT(Slots(), ElementsAre(Pair("My USB Modem", "com2"), Pair("Hand Written", "COM7"),
                                     Pair("ttyS0", "COM1"), Pair("Conexant_USB_Modem", "COM3")));
    EXPECT_EQ(Read(Slot("0000\\Settings"), "Blind_Off"), "<none>");
}

TEST_F(SerialRegistryTest, SerialCommOfTheFilesNamesPorts)
{
    // The file gives the USB modem the name COM5 and describes a port the machine lacks.
    WriteRegFile("[HKEY_LOCAL_MACHINE\\HARDWARE\\DEVICEMAP\\SERIALCOMM]\n\"" +
                 m_machine.Device("ttyACM0").string() +
                 "\"=\"COM5\"\n"
                 "\"/dev/ttyV0\"=\"COM9\"\n"
                 "\"/dev/bad\"=\"LPT1\"\n");
    EXPECT_THAT(Slots(), ElementsAre(Pair("ttyS0", "COM1"), Pair("CP210x UART Bridge", "COM2"),
                                     Pair("Conexant_USB_Modem", "COM5"), Pair("ttyV0", "COM9")));
    SerialPortMap ports = RegistrySerialPortMap();
    EXPECT_EQ(ports.DeviceFor(5), m_machine.Device("ttyACM0"));
    EXPECT_EQ(ports.DeviceFor(9), fs::path("/dev/ttyV0"));
    EXPECT_EQ(ports.DeviceFor(3), std::nullopt);
    EXPECT_EQ(Read(kSerialCommPath, "/dev/bad"), "LPT1");
}

TEST_F(SerialRegistryTest, APortPluggedInIsSeenByTheNextOpen)
{
    HKEY held = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "", 0, KEY_READ, &held), ERROR_SUCCESS);
    m_machine.Add("ttyUSB1", "", "188:1");
    EXPECT_EQ(Slots().size(), 3u);
    RegCloseKey(held);
    // The modem on ttyACM0 keeps COM3; the new adapter gets the next free number.
    EXPECT_THAT(Slots(), ElementsAre(Pair("ttyS0", "COM1"), Pair("CP210x UART Bridge", "COM2"),
                                     Pair("Conexant_USB_Modem", "COM3"), Pair("ttyUSB1", "COM4")));
}

TEST_F(SerialRegistryTest, PortsOfOneModemAndTwinModemsGetNamesOfTheirOwn)
{
    // A modem with three ports, and two adapters of one kind without serial numbers.
    m_machine.Remove("ttyUSB0");
    m_machine.Remove("ttyACM0");
    for (int port = 0; port < 3; ++port)
        m_machine.AddUsb("ttyUSB" + std::to_string(port), "188:" + std::to_string(port), "EM7455",
                         "1234", "0" + std::to_string(port));
    m_machine.AddUsb("ttyUSB3", "188:3", "USB-Serial", "");
    m_machine.AddUsb("ttyUSB4", "188:4", "USB-Serial", "");
    EXPECT_THAT(Slots(), ElementsAre(Pair("ttyS0", "COM1"), Pair("EM7455 (interface 00)", "COM2"),
                                     Pair("EM7455 (interface 01)", "COM3"),
                                     Pair("EM7455 (interface 02)", "COM4"),
                                     Pair("USB-Serial (interface 00) on COM5", "COM5"),
                                     Pair("USB-Serial (interface 00) on COM6", "COM6")));
}

TEST(SerialPortModelTest, AnExplicitPortIsFoundInUdevByItsDeviceNumber)
{
    testsupport::TempFolder folder;
    testsupport::FakeSerialDevices machine(folder.path());
    // /dev/null is a character device (1:3).
    SerialPortMap map(machine.Roots());
    map.AddPort(3, "/dev/null");
    const std::pair<const char*, const char*> cases[] = {
        {"E:ID_BUS=none\n", "null"},
        {"E:ID_MODEL=Null_Modem\n", "Null_Modem"},
        {"E:ID_MODEL=Null_Modem\nE:ID_MODEL_FROM_DATABASE=Null Modem Inc.\n", "Null Modem Inc."},
    };
    for (const auto& [lines, name] : cases) {
        testsupport::WriteFile(folder / "udev" / "c1:3", lines);
        EXPECT_THAT(ModemNames(map.Ports()), ElementsAre(name)) << lines;
    }
}
