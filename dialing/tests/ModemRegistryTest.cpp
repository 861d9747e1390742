#include "ModemRegistry.h"

#include "PlatformInfo.h"
#include "support/RegistryFixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using testing::ElementsAre;
using testing::IsEmpty;
using testsupport::RegistryFixture;

namespace {

// A list control that behaves as the original one: sorted, answering -1 when there is nothing to
// remove.
class FakeModemList : public ModemListControl
{
public:
    int DeleteString(int index) override
    {
        if (index < 0 || index >= static_cast<int>(items.size()))
            return kError;
        items.erase(items.begin() + index);
        return static_cast<int>(items.size());
    }
    int AddString(const std::string& text) override
    {
        items.push_back(text);
        return static_cast<int>(items.size()) - 1;
    }
    std::vector<std::string> items;
};

class ModemRegistryTest : public testing::Test
{
protected:
    std::string EnumDevice(const std::string& path, const std::string& driver,
                           const std::string& portName)
    {
        return "[HKEY_LOCAL_MACHINE\\Enum\\" + path + "]\n\"Driver\"=\"" + driver +
               "\"\n\"PORTNAME\"=\"" + portName + "\"\n";
    }

    RegistryFixture m_registry;
    std::vector<RegistryErrorMessage> m_errors;
    CModemRegistry m_modems{
        [this](const RegistryErrorMessage& error) { m_errors.push_back(error); }};
};

} // namespace

TEST_F(ModemRegistryTest, SlotNamesAndPathsByPlatform)
{
    EXPECT_EQ(m_modems.FormatIndex(0), "0000");
    EXPECT_EQ(m_modems.FormatIndex(7), "0007");
    EXPECT_EQ(m_modems.FormatIndex(12), "0012");
    EXPECT_EQ(m_modems.FormatIndex(12345), "12345");

    const std::string nt = "SYSTEM\\CurrentControlSet\\Control\\Class\\"
                           "{4D36E96D-E325-11CE-BFC1-08002BE10318}\\0007";
    EXPECT_EQ(m_modems.GetModemKey(7), nt);
    {
        platform::ScopedPlatformVersion windows95(4, platform::VER_PLATFORM_WIN32_WINDOWS);
        EXPECT_EQ(m_modems.GetModemKey(7),
                  "SYSTEM\\CurrentControlSet\\Services\\Class\\Modem\\0007");
    }
    platform::ScopedPlatformVersion win32s(3, platform::VER_PLATFORM_WIN32s);
    EXPECT_EQ(m_modems.GetModemKey(7), nt);
}

TEST_F(ModemRegistryTest, ListsInstalledModelsExceptIpVirtualModems)
{
    m_registry.Write(RegistryFixture::Slot("0000", "Hayes Accura", "COM1") +
                     RegistryFixture::Slot("0001", "Zoom 56K", "") +
                     RegistryFixture::Slot("0003", "Hayes Accura", "COM3") +
                     RegistryFixture::Slot("0004", "Acme IP Virtual Modem #2", "COM4") +
                     RegistryFixture::Slot("0005", "ip virtual modem", "COM5") +
                     RegistryFixture::Slot("0010", "Beyond the tenth slot", "COM6"));
    FakeModemList list;
    list.items = {"stale", "entries"};
    m_modems.FillModemList(list);
    // Ports play no part, equal names are listed as often as they occur, and the exclusion
    // minds the letter case.
    EXPECT_THAT(list.items,
                ElementsAre("Hayes Accura", "Zoom 56K", "Hayes Accura", "ip virtual modem"));
    EXPECT_THAT(m_errors, IsEmpty());

    // The excluded model is still found by name.
    EXPECT_EQ(m_modems.FindModem("Acme IP Virtual Modem #2"), 4);
    EXPECT_EQ(m_modems.GetPortByName("Acme IP Virtual Modem #2"), 4);
    EXPECT_EQ(m_modems.FindModem("Beyond the tenth slot"), -1);
}

TEST_F(ModemRegistryTest, PortFromAttachedToAsAtolReadsIt)
{
    const std::pair<const char*, int> cases[] = {{"COM3", 3},
                                                 {"COM12", 12},
                                                 {"COM", 0},
                                                 {"CO", 0},
                                                 {"COM 7", 7},
                                                 {"COM+8", 8},
                                                 {"COM-3", -3},
                                                 {"COM12abc", 12},
                                                 {"LPT2", 2},
                                                 {"COMx", 0},
                                                 {"COM99999999999", 2147483647}};
    std::string lines;
    for (std::size_t slot = 0; slot < std::size(cases); ++slot)
        lines += RegistryFixture::Slot(m_modems.FormatIndex(static_cast<int>(slot)), "M",
                                       cases[slot].first);
    m_registry.Write(lines);
    for (int slot = 0; slot < static_cast<int>(std::size(cases)); ++slot)
        EXPECT_EQ(m_modems.GetPort(slot), cases[slot].second) << cases[slot].first;
}

TEST_F(ModemRegistryTest, ModelsWithoutAPortAreNeverFound)
{
    m_registry.Write(RegistryFixture::Slot("0000", "Same Modem", "COM") +
                     RegistryFixture::Slot("0001", "Same Modem", "COM-2") +
                     RegistryFixture::Slot("0002", "same MODEM", "COM7") +
                     RegistryFixture::Slot("0003", "Same Modem", "COM9") +
                     RegistryFixture::SlotKey("0002\\Settings") + "\"Blind_Off\"=\"X4\"\n" +
                     RegistryFixture::SlotKey("0003\\Settings") + "\"Blind_Off\"=\"X3\"\n");
    // The lowest slot with a port wins, for the port and the init string alike, whatever the case.
    EXPECT_EQ(m_modems.FindModem("SAME modem"), 2);
    EXPECT_EQ(m_modems.GetPortByName("Same Modem"), 7);
    EXPECT_EQ(m_modems.BuildInitString("Same Modem", -1), "ATX4<cr>");
    EXPECT_EQ(m_modems.FindModem(""), -1);
    EXPECT_EQ(m_modems.FindModem("Same"), -1);
    EXPECT_EQ(m_modems.GetPortByName("Other"), 0);
}

TEST_F(ModemRegistryTest, PortFoundThroughTheDeviceTree)
{
    m_registry.Write(RegistryFixture::Slot("0002", "Enum Modem", "") +
                     RegistryFixture::Slot("0004", "Portless Modem", "") +
                     EnumDevice("Root\\MODEM\\0000", "Modem\\0001", "COM8") +
                     EnumDevice("Root\\MODEM\\0001", "modem\\0002", "COM4") +
                     EnumDevice("Serenum\\Late", "MODEM\\0002", "COM5") +
                     EnumDevice("Root\\MODEM\\0002", "Modem\\0004", ""));
    EXPECT_EQ(m_modems.GetPort(2), 4);
    EXPECT_EQ(m_modems.GetPortByName("enum modem"), 4);
    EXPECT_EQ(m_modems.GetPort(4), 0);
    EXPECT_EQ(m_modems.FindModem("Portless Modem"), -1);
    EXPECT_EQ(m_modems.GetPort(3), 0);
    EXPECT_THAT(m_errors, IsEmpty());
}

TEST_F(ModemRegistryTest, InitStringFromTheSettingsFragments)
{
    m_registry.Write(RegistryFixture::Slot("0000", "Example", "COM1") +
                     RegistryFixture::SlotKey("0000\\Settings") +
                     "\"CallSetupFailTimer\"=\"T1<#>\"\n"
                     "\"InactivityTimeout\"=\"T2<#>\"\n"
                     "\"ErrorControl_On\"=\"E\"\n"
                     "\"Compression_On\"=\"C\"\n"
                     "\"FlowControl_Hard\"=\"F\"\n"
                     "\"Modulation_CCITT\"=\"M\"\n"
                     "\"Blind_Off\"=\"B<cr>\"\n"
                     "\"SpeakerMode_Dial\"=\"M1\"\n"
                     "\"SpeakerMode_OFF\"=\"M0\"\n"
                     "\"SpeakerVolume_Low\"=\"L1\"\n" +
                     RegistryFixture::Slot("0001", "Twice", "COM2") +
                     RegistryFixture::SlotKey("0001\\Settings") +
                     "\"CallSetupFailTimer\"=\"S7=<#>;S8=<#>\"\n"
                     "\"InactivityTimeout\"=\"S30=<#><#>\"\n" +
                     RegistryFixture::Slot("0002", "Empty Settings", "COM3") +
                     RegistryFixture::SlotKey("0002\\Settings") +
                     RegistryFixture::Slot("0003", "No Settings", "COM4"));
    // Level -1 reads no speaker value; other text, "<cr>" within a value too, is copied.
    EXPECT_EQ(m_modems.BuildInitString("Example", -1), "ATT160T20ECFMB<cr><cr>");
    EXPECT_EQ(m_modems.BuildInitString("Twice", -1), "ATS7=60;S8=60S30=00<cr>");
    EXPECT_EQ(m_modems.BuildInitString("Empty Settings", 3), "AT<cr>");
    EXPECT_EQ(m_modems.BuildInitString("No Settings", 0), "AT<cr>");
    EXPECT_EQ(m_modems.BuildInitString("Not Installed", 1), "AT<cr>");
    EXPECT_EQ(m_modems.BuildInitString("", -1), "AT<cr>");
}

TEST_F(ModemRegistryTest, SpeakerCommandsFollowModesAndVolumes)
{
    auto modem = [](const std::string& slot, const std::string& model, const std::string& port,
                    const std::string& values) {
        return RegistryFixture::Slot(slot, model, port) +
               RegistryFixture::SlotKey(slot + "\\Settings") + values;
    };
    m_registry.Write(modem("0000", "Full", "COM1",
                           "\"SpeakerMode_Dial\"=\"M1\"\n\"SpeakerMode_OFF\"=\"M0\"\n"
                           "\"SpeakerVolume_Low\"=\"L0\"\n\"SpeakerVolume_Med\"=\"L2\"\n"
                           "\"SpeakerVolume_High\"=\"L3\"\n\"Blind_Off\"=\"X4\"\n") +
                     modem("0001", "No Volumes", "COM2",
                           "\"SpeakerMode_Dial\"=\"M1\"\n\"SpeakerMode_OFF\"=\"M0\"\n") +
                     modem("0002", "No Off Mode", "COM3",
                           "\"SpeakerMode_Dial\"=\"M1\"\n\"SpeakerVolume_Low\"=\"L0\"\n") +
                     modem("0003", "Only Off", "COM4",
                           "\"SpeakerMode_OFF\"=\"M0\"\n\"SpeakerVolume_High\"=\"L3\"\n"));

    EXPECT_TRUE(m_modems.HasSpeakerModes("Full"));
    EXPECT_EQ(m_modems.CountSpeakerVolumes("Full"), 3);
    EXPECT_EQ(m_modems.BuildInitString("Full", -1), "ATX4<cr>");
    EXPECT_EQ(m_modems.BuildInitString("Full", 0), "ATM0X4<cr>");
    EXPECT_EQ(m_modems.BuildInitString("Full", 1), "ATL0M1X4<cr>");
    EXPECT_EQ(m_modems.BuildInitString("Full", 2), "ATL2M1X4<cr>");
    EXPECT_EQ(m_modems.BuildInitString("Full", 3), "ATL3M1X4<cr>");
    EXPECT_EQ(m_modems.BuildInitString("Full", 4), "ATX4<cr>");

    EXPECT_EQ(m_modems.CountSpeakerVolumes("No Volumes"), 0);
    EXPECT_EQ(m_modems.BuildInitString("No Volumes", 1), "ATM1<cr>");
    EXPECT_EQ(m_modems.BuildInitString("No Volumes", 2), "AT<cr>");
    EXPECT_EQ(m_modems.BuildInitString("No Volumes", 3), "AT<cr>");

    EXPECT_FALSE(m_modems.HasSpeakerModes("No Off Mode"));
    EXPECT_EQ(m_modems.BuildInitString("No Off Mode", 1), "AT<cr>");
    EXPECT_FALSE(m_modems.HasSpeakerModes("Only Off"));
    EXPECT_EQ(m_modems.CountSpeakerVolumes("Only Off"), 1);
    EXPECT_FALSE(m_modems.HasSpeakerModes("Not Installed"));
    EXPECT_EQ(m_modems.CountSpeakerVolumes("Not Installed"), 0);
}

TEST_F(ModemRegistryTest, ReadStringTakesTextUpToTheFirstNul)
{
    std::string longText(500, 'x');
    m_registry.Write("[HKEY_LOCAL_MACHINE\\Values]\n"
                     "\"Text\"=\"COM3\"\n"
                     "\"Long\"=\"" +
                     longText +
                     "\"\n"
                     "\"Nul\"=hex:41,54,00,42\n"
                     "\"NoNul\"=hex:41,54\n"
                     "\"Empty\"=hex:\n"
                     "\"Dword\"=dword:00000033\n");
    auto read = [&](const char* name) {
        return m_modems.ReadString(platform::HKEY_LOCAL_MACHINE, "values", name, "default");
    };
    EXPECT_EQ(read("Text"), "COM3");
    EXPECT_EQ(read("Long"), longText);
    EXPECT_EQ(read("Nul"), "AT");
    EXPECT_EQ(read("NoNul"), "AT");
    EXPECT_EQ(read("Empty"), "");
    EXPECT_EQ(read("Dword"), "3");
    EXPECT_EQ(read("Missing"), "default");
    EXPECT_EQ(m_modems.ReadString(platform::HKEY_LOCAL_MACHINE, "Nowhere", "Text", "default"),
              "default");
}

TEST_F(ModemRegistryTest, NothingInstalledGivesEmptyAnswers)
{
    FakeModemList list;
    m_modems.FillModemList(list);
    EXPECT_THAT(list.items, IsEmpty());
    EXPECT_EQ(m_modems.GetModel(0), "");
    EXPECT_EQ(m_modems.GetPort(0), 0);
    EXPECT_EQ(m_modems.GetPortByName("Any"), 0);
    EXPECT_THAT(m_errors, IsEmpty());
}

TEST_F(ModemRegistryTest, TheMachinesSerialPortsAreInstalledModems)
{
    m_registry.Machine().Add("ttyUSB0", "", "188:0", "E:ID_MODEL_FROM_DATABASE=USB Modem\n");
    m_registry.Machine().Add("ttyS0", "4", "4:64");
    m_registry.Write(RegistryFixture::Slot("0000", "Hand Written", "COM7"));
    FakeModemList list;
    m_modems.FillModemList(list);
    EXPECT_THAT(list.items, ElementsAre("Hand Written", "ttyS0", "USB Modem"));
    EXPECT_EQ(m_modems.GetPortByName("usb modem"), 2);
    EXPECT_EQ(m_modems.BuildInitString("USB Modem", -1), "ATS7=60S30=0\\N3%C1&K3B0X4<cr>");
    EXPECT_EQ(m_modems.BuildInitString("USB Modem", 2), "ATS7=60S30=0L2M1\\N3%C1&K3B0X4<cr>");
}

TEST_F(ModemRegistryTest, EachPortOfAMultiPortModemIsChosenAndFoundAgainByItsName)
{
    // The modem's AT port is its third; its ports are numbered after the adapter on COM1.
    m_registry.Machine().AddUsb("ttyUSB0", "188:0", "Adapter", "B");
    for (int port = 1; port <= 3; ++port)
        m_registry.Machine().AddUsb("ttyUSB" + std::to_string(port), "188:" + std::to_string(port),
                                    "EM7455", "1234", "0" + std::to_string(port - 1));
    FakeModemList list;
    m_modems.FillModemList(list);
    EXPECT_THAT(list.items, ElementsAre("Adapter", "EM7455 (interface 00)", "EM7455 (interface 01)",
                                        "EM7455 (interface 02)"));
    platform::SerialPortMap ports = platform::RegistrySerialPortMap();
    for (int at = 1; at <= 3; ++at) {
        SCOPED_TRACE(list.items[at]);
        int port = m_modems.GetPortByName(list.items[at]);
        EXPECT_EQ(ports.DeviceFor(port),
                  m_registry.Machine().Device("ttyUSB" + std::to_string(at)));
    }
}
