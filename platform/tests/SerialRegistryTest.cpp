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
    // The USB series comes before the ACM series, so the modem on ttyACM0 moves up to COM4.
    EXPECT_THAT(Slots(), ElementsAre(Pair("ttyS0", "COM1"), Pair("CP210x UART Bridge", "COM2"),
                                     Pair("ttyUSB1", "COM3"), Pair("Conexant_USB_Modem", "COM4")));
}

TEST(SerialPortModelTest, FallsBackToTheDeviceName)
{
    testsupport::TempFolder folder;
    SerialDeviceInfo info{folder / "sys", folder / "udev"};
    // /dev/null is a character device (1:3); udev's data for it names no model.
    fs::create_directories(folder / "udev");
    testsupport::WriteFile(folder / "udev" / "c1:3", "E:ID_BUS=none\n");
    SerialPort explicitPort{3, "/dev/null", "null", {}};
    EXPECT_EQ(SerialPortModel(explicitPort, info), "null");
    testsupport::WriteFile(folder / "udev" / "c1:3", "E:ID_MODEL=Null_Modem\n");
    EXPECT_EQ(SerialPortModel(explicitPort, info), "Null_Modem");
    SerialPort noNumber{1, folder / "ttyS0", "ttyS0", folder / "sys" / "class" / "tty" / "ttyS0"};
    EXPECT_EQ(SerialPortModel(noNumber, info), "ttyS0");
}
