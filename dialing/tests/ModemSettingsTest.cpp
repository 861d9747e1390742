#include "DialerSettings.h"
#include "ModemRegistry.h"
#include "SettingsDlg.h"
#include "qt/MessageBox.h"
#include "qt/ModalRun.h"
#include "support/RegistryFixture.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <functional>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

using testing::ElementsAre;
using testing::IsEmpty;
using testsupport::RegistryFixture;

namespace {

class RegistryTest : public testing::Test
{
protected:
    // A key under Enum with a Driver value and, unless empty, a port name.
    static std::string Device(const std::string& path, const std::string& driver,
                              const std::string& portName = "")
    {
        return "[HKEY_LOCAL_MACHINE\\Enum\\" + path + "]\n\"Driver\"=\"" + driver + "\"\n" +
               (portName.empty() ? "" : "\"PORTNAME\"=\"" + portName + "\"\n");
    }

    static std::string Modem(const std::string& slot, const std::string& model,
                             const std::string& port, const std::string& settings)
    {
        return RegistryFixture::Slot(slot, model, port) +
               RegistryFixture::SlotKey(slot + "\\Settings") + settings;
    }

    RegistryFixture m_registry;
    std::vector<RegistryErrorMessage> m_errors;
    RegistryErrorReporter m_reporter = [this](const RegistryErrorMessage& error) {
        m_errors.push_back(error);
    };
    CModemRegistry m_modems{m_reporter};
};

using ModemRegistryTest = RegistryTest;
using RegistryExTest = RegistryTest;

} // namespace

// Ports are read as atol reads what follows "COM": a negative port or none is no port.
TEST_F(ModemRegistryTest, TheModemOfANameIsItsLowestSlotWithAPort)
{
    m_registry.Write(RegistryFixture::Slot("0000", "Same Modem", "COM") +
                     RegistryFixture::Slot("0001", "Same Modem", "COM-2") +
                     Modem("0002", "same MODEM", "COM  +7x", "\"Blind_Off\"=\"X4\"\n") +
                     Modem("0003", "Same Modem", "COM9", "\"Blind_Off\"=\"X3\"\n") +
                     RegistryFixture::Slot("0004", "Enum Modem", "") +
                     RegistryFixture::Slot("0005", "Portless Modem", "") +
                     RegistryFixture::Slot("0006", "Huge", "COM99999999999") +
                     RegistryFixture::Slot("0010", "Beyond the tenth slot", "COM6") +
                     Device("Root\\MODEM\\0000", "Modem\\0001", "COM8") +
                     Device("Root\\MODEM\\0001", "modem\\0004", "COM4") +
                     Device("Serenum\\Late", "MODEM\\0004", "COM5") +
                     Device("Root\\MODEM\\0002", "Modem\\0005"));
    // clang-format off
    const std::tuple<const char*, int, int> cases[] = {
        {"SAME modem", 2, 7}, {"Enum Modem", 4, 4}, {"Portless Modem", -1, 0},
        {"Huge", 6, 2147483647}, {"Beyond the tenth slot", -1, 0}, {"Same", -1, 0}, {"", -1, 0}};
    // clang-format on
    for (const auto& [name, slot, port] : cases) {
        EXPECT_EQ(m_modems.FindModem(name), slot) << name;
        EXPECT_EQ(m_modems.GetPortByName(name), port) << name;
    }
    EXPECT_EQ(m_modems.BuildInitString("Same Modem", -1), "ATX4<cr>");
    EXPECT_THAT(m_errors, IsEmpty());
}

TEST_F(ModemRegistryTest, InitStringFromTheSettingsFragmentsAndTheSpeakerLevel)
{
    const std::string speaker = "\"SpeakerMode_Dial\"=\"M1\"\n\"SpeakerMode_OFF\"=\"M0\"\n";
    m_registry.Write(
        Modem(
            "0000", "Example", "COM1",
            "\"CallSetupFailTimer\"=\"T1<#>\"\n\"InactivityTimeout\"=\"T2<#>\"\n"
            "\"ErrorControl_On\"=\"E\"\n\"Compression_On\"=\"C\"\n\"FlowControl_Hard\"=\"F\"\n"
            "\"Modulation_CCITT\"=\"M\"\n\"Blind_Off\"=\"B<cr>\"\n\"SpeakerVolume_Low\"=\"L1\"\n" +
                speaker) +
        Modem("0001", "Twice", "COM2",
              "\"CallSetupFailTimer\"=\"S7=<#>;S8=<#>\"\n\"InactivityTimeout\"=\"S30=<#><#>\"\n") +
        Modem("0002", "Empty Settings", "COM3", "") +
        RegistryFixture::Slot("0003", "No Settings", "COM4") +
        Modem("0004", "Full", "COM5",
              speaker + "\"SpeakerVolume_Low\"=\"L0\"\n\"SpeakerVolume_Med\"=\"L2\"\n"
                        "\"SpeakerVolume_High\"=\"L3\"\n\"Blind_Off\"=\"X4\"\n") +
        Modem("0005", "No Volumes", "COM6", speaker) +
        Modem("0006", "No Off Mode", "COM7",
              "\"SpeakerMode_Dial\"=\"M1\"\n\"SpeakerVolume_Low\"=\"L0\"\n"));
    // Speaker -1 leaves it alone, 0 turns it off, 1 to 3 are low to high.
    // clang-format off
    const std::tuple<const char*, int, const char*> cases[] = {
        {"Example", -1, "ATT160T20ECFMB<cr><cr>"}, {"Example", 1, "ATT160T20L1M1ECFMB<cr><cr>"},
        {"Twice", -1, "ATS7=60;S8=60S30=00<cr>"}, {"Empty Settings", 3, "AT<cr>"},
        {"No Settings", 0, "AT<cr>"}, {"Not Installed", 1, "AT<cr>"}, {"Full", -1, "ATX4<cr>"},
        {"Full", 0, "ATM0X4<cr>"}, {"Full", 1, "ATL0M1X4<cr>"}, {"Full", 2, "ATL2M1X4<cr>"},
        {"Full", 3, "ATL3M1X4<cr>"}, {"Full", 4, "ATX4<cr>"}, {"No Volumes", 1, "ATM1<cr>"},
        {"No Volumes", 2, "AT<cr>"}, {"No Off Mode", 1, "AT<cr>"}};
    // clang-format on
    for (const auto& [model, speakerLevel, init] : cases)
        EXPECT_EQ(m_modems.BuildInitString(model, speakerLevel), init) << model << speakerLevel;
}

TEST_F(RegistryExTest, ValuesHoldAtMost200BytesAndNamesAtMost199Characters)
{
    m_registry.Write("[HKEY_LOCAL_MACHINE\\Values]\n\"Fits\"=\"" + std::string(199, 'a') +
                     "\"\n\"TooLong\"=\"" + std::string(200, 'b') + "\"\n" +
                     "[HKEY_LOCAL_MACHINE\\Enum\\A]\n[HKEY_LOCAL_MACHINE\\Enum\\" +
                     std::string(199, 'W') + "]\n[HKEY_LOCAL_MACHINE\\Enum\\" +
                     std::string(200, 'X') + "]\n[HKEY_LOCAL_MACHINE\\Enum\\Z]\n");
    CRegistryKey key(platform::HKEY_LOCAL_MACHINE, m_reporter);
    std::vector<std::string> names = {"old"};
    EXPECT_FALSE(key.EnumSubKeys("Nowhere", names));
    EXPECT_THAT(names, ElementsAre("old"));
    EXPECT_FALSE(key.EnumSubKeys("Enum", names));
    EXPECT_THAT(names, ElementsAre("A", std::string(199, 'W')));
    ASSERT_EQ(m_errors.size(), 1u);
    EXPECT_EQ(m_errors[0].text, "234 RegEnumKeyEx\nRegistryEx.cpp 1024");
    EXPECT_EQ(m_errors[0].caption, "More data is available.");
    EXPECT_TRUE(key.EnumSubKeys("Enum\\A", names));
    EXPECT_THAT(names, IsEmpty());

    ASSERT_TRUE(key.Open(platform::HKEY_LOCAL_MACHINE, "VALUES"));
    std::string text = "unchanged";
    EXPECT_FALSE(key.QueryString("TooLong", text));
    EXPECT_FALSE(key.QueryString("Missing", text));
    EXPECT_EQ(text, "unchanged");
    EXPECT_TRUE(key.QueryString("fits", text));
    EXPECT_EQ(text, std::string(199, 'a'));
    // A code the system has no text for gets the box's own caption.
    ReportRegistryError(m_reporter, 4242, "RegEnumKeyEx", "RegistryEx.cpp", 1024);
    EXPECT_EQ(m_errors.back().caption, "Error");
}

using testing::HasSubstr;
using testsupport::WriteFile;

namespace {

template <typename Control = QWidget> Control* Find(QWidget& dialog, int id)
{
    auto* control = dialog.findChild<Control*>(QString::number(id));
    EXPECT_NE(control, nullptr) << id;
    return control;
}

// The four modem controls are enabled just when the Telmo dialer is chosen.
void ExpectModemControlsEnabled(QWidget& dialog, bool enabled)
{
    EXPECT_EQ(Find<QRadioButton>(dialog, 1024)->isChecked(), enabled);
    EXPECT_EQ(Find<QRadioButton>(dialog, 1023)->isChecked(), !enabled);
    for (int id : {1025, 1018, 1026, 1021})
        EXPECT_EQ(Find(dialog, id)->isEnabled(), enabled) << id;
}

void PressOk(QWidget& dialog)
{
    Find<QPushButton>(dialog, CSettingsDlg::kIdOk)->click();
}

class SettingsDlgTest : public testing::Test
{
protected:
    SettingsDlgTest()
    {
        m_registry.Write(RegistryFixture::Slot("0000", "zeta modem", "COM5") +
                         RegistryFixture::Slot("0001", "ABC 56K", "COM3") +
                         RegistryFixture::SlotKey("0001\\Settings") +
                         "\"CallSetupFailTimer\"=\"S7=<#>\"\n\"Blind_Off\"=\"X4\"\n" +
                         RegistryFixture::Slot("0002", "Modem B", "") +
                         RegistryFixture::Slot("0003", "acme", "COM2") +
                         RegistryFixture::Slot("0004", "Telmo IP Virtual Modem", "COM9") +
                         RegistryFixture::Slot("0005", "ip virtual modem", "COM8") +
                         RegistryFixture::Slot("0006", "acme", "") +
                         RegistryFixture::Slot("0010", "Beyond the tenth slot", "COM6"));
    }

    // The settings command, with act done on the dialog where the user would act.
    void RunSettings(const std::function<void(CSettingsDlg&)>& act)
    {
        platform::ScopedModalAnswers answers([&act](QDialog& dialog) {
            act(dynamic_cast<CSettingsDlg&>(dialog));
            return dialog.result();
        });
        platform::ProfileFile file(m_ini);
        RunSettingsDialog(file);
        ASSERT_EQ(answers.shown().size(), 1u);
    }

    RegistryFixture m_registry;
    std::filesystem::path m_ini = m_registry.Folder() / "telmo.ini";
    platform::ScopedMessageBoxAnswers m_boxes;
};

} // namespace

TEST_F(SettingsDlgTest, OkStoresTheChoiceWithItsPortAndInitStringAndCancelNothing)
{
    const struct
    {
        const char* what;
        std::string before;
        std::function<void(CSettingsDlg&)> act;
        std::string after;
    } cases[] = {
        {"the full name of the modem the saved name begins", "[Modem]\nName=ab\nDialOut=\n",
         [](CSettingsDlg& dialog) {
             auto& list = *Find<QComboBox>(dialog, 1018);
             std::vector<std::string> items;
             for (int index = 0; index < list.count(); ++index)
                 items.push_back(list.itemText(index).toStdString());
             // Case is no matter for the order but is for leaving IP virtual modems out; models
             // without a port are listed, and only the first ten slots count.
             EXPECT_THAT(items, ElementsAre("ABC 56K", "acme", "acme", "ip virtual modem",
                                            "Modem B", "zeta modem"));
             EXPECT_EQ(list.currentText(), "ABC 56K");
             ExpectModemControlsEnabled(dialog, true);
             Find<QLineEdit>(dialog, 1021)->setText("9");
             PressOk(dialog);
         },
         "[Modem]\nName=ABC 56K\nDialOut=9\nInitStr=ATS7=60X4<cr>\nPort=3\nExtDialer=0\n"},
        {"the default dialer keeps the disabled controls' choice",
         "[Modem]\nName=ZETA\nDialOut=0\nExtDialer=5\n",
         [](CSettingsDlg& dialog) {
             ExpectModemControlsEnabled(dialog, false);
             PressOk(dialog);
         },
         "[Modem]\nName=zeta modem\nDialOut=0\nExtDialer=1\nInitStr=AT<cr>\nPort=5\n"},
        {"a modem no longer installed", "[Modem]\nName=Gone Modem\nPort=4\nInitStr=ATZ\n",
         [](CSettingsDlg& dialog) {
             EXPECT_EQ(Find<QComboBox>(dialog, 1018)->currentIndex(), -1);
             PressOk(dialog);
         },
         "[Modem]\nName=\nPort=0\nInitStr=AT<cr>\nDialOut=\nExtDialer=0\n"},
        {"Cancel", "; my phone book\r\n[Modem]\r\nName = ab\r\nExtDialer=0\r\n",
         [](CSettingsDlg& dialog) {
             Find<QRadioButton>(dialog, 1023)->click();
             ExpectModemControlsEnabled(dialog, false);
             Find<QRadioButton>(dialog, 1024)->click();
             ExpectModemControlsEnabled(dialog, true);
             Find<QLineEdit>(dialog, 1021)->setText("9");
             Find<QPushButton>(dialog, CSettingsDlg::kIdCancel)->click();
         },
         "; my phone book\r\n[Modem]\r\nName = ab\r\nExtDialer=0\r\n"},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.what);
        WriteFile(m_ini, row.before);
        RunSettings(row.act);
        EXPECT_EQ(testsupport::ReadFile(m_ini), row.after);
    }
    EXPECT_TRUE(m_boxes.shown().empty());
}

TEST_F(SettingsDlgTest, AFailedWriteAndRegistryErrorsAreShownAndTheChoiceStillStored)
{
    // The modem's port can only come from the device tree, which holds a name too long to list.
    m_registry.Write(RegistryFixture::Slot("0000", "Enum Modem", "") +
                     "[HKEY_LOCAL_MACHINE\\Enum\\" + std::string(200, 'X') + "]\n");
    WriteFile(m_ini, "[Modem]\nName=Enum Modem\n");
    RunSettings(PressOk);
    ASSERT_FALSE(m_boxes.shown().empty());
    for (const platform::MessageBoxRequest& box : m_boxes.shown()) {
        EXPECT_EQ(std::tie(box.caption, box.icon),
                  std::make_tuple("More data is available.", platform::MessageIcon::Information));
        EXPECT_THAT(box.text, HasSubstr("234 RegEnumKeyEx\n"));
    }
    EXPECT_EQ(ReadDialerSettings(platform::ProfileFile(m_ini)).name, "Enum Modem");

    m_ini = m_ini / "telmo.ini";
    RunSettings(PressOk);
    const platform::MessageBoxRequest& box = m_boxes.shown().back();
    EXPECT_EQ(std::tie(box.caption, box.icon),
              std::make_tuple("Error", platform::MessageIcon::Exclamation));
    EXPECT_THAT(box.text, HasSubstr("could not be saved"));
}
