#include "SettingsDlg.h"

#include "MessageBox.h"
#include "support/RegistryFixture.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <functional>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

using testing::ElementsAre;
using testing::HasSubstr;
using testing::IsEmpty;
using testsupport::ReadFile;
using testsupport::RegistryFixture;
using testsupport::WriteFile;

namespace {

QApplication& Application()
{
    static int argc = 1;
    static char name[] = "settings_ui_tests";
    static char* argv[] = {name, nullptr};
    static QApplication application(argc, argv);
    return application;
}

template <typename Control> Control* Find(QWidget& dialog, int id)
{
    auto* control = dialog.findChild<Control*>(QString::number(id));
    EXPECT_NE(control, nullptr) << id;
    return control;
}

std::vector<std::string> Items(QComboBox& list)
{
    std::vector<std::string> items;
    for (int index = 0; index < list.count(); ++index)
        items.push_back(list.itemText(index).toStdString());
    return items;
}

class SettingsDlgTest : public testing::Test
{
protected:
    SettingsDlgTest()
    {
        Application();
        m_registry.Write(RegistryFixture::Slot("0000", "zeta modem", "COM5") +
                         RegistryFixture::Slot("0001", "ABC 56K", "COM3") +
                         RegistryFixture::SlotKey("0001\\Settings") +
                         "\"CallSetupFailTimer\"=\"S7=<#>\"\n\"Blind_Off\"=\"X4\"\n" +
                         RegistryFixture::Slot("0002", "Modem B", "") +
                         RegistryFixture::Slot("0003", "acme", "COM2") +
                         RegistryFixture::Slot("0004", "Telmo IP Virtual Modem", "COM9"));
    }

    // Runs the settings command; act is done on the dialog while it is shown modally.
    void RunSettings(std::function<void(CSettingsDlg&)> act)
    {
        bool acted = false;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<CSettingsDlg*>(QApplication::activeModalWidget());
            if (!dialog || acted)
                return;
            acted = true;
            act(*dialog);
        });
        poll.start(1);
        platform::ProfileFile file(m_ini);
        RunSettingsDialog(file);
        EXPECT_TRUE(acted);
    }

    static void Press(CSettingsDlg& dialog, int id) { Find<QPushButton>(dialog, id)->click(); }

    RegistryFixture m_registry;
    std::filesystem::path m_ini = m_registry.Folder() / "telmo.ini";
    platform::ScopedMessageBoxAnswers m_boxes;
};

} // namespace

TEST_F(SettingsDlgTest, WithoutSettingsTheTelmoDialerIsChosenAndNothingSelected)
{
    CSettingsDlg dialog;
    EXPECT_TRUE(dialog.OnInitDialog());
    EXPECT_TRUE(Find<QRadioButton>(dialog, 1024)->isChecked());
    EXPECT_FALSE(Find<QRadioButton>(dialog, 1023)->isChecked());
    for (int id : {1025, 1018, 1026, 1021})
        EXPECT_TRUE(Find<QWidget>(dialog, id)->isEnabled()) << id;
    QComboBox& list = *Find<QComboBox>(dialog, 1018);
    EXPECT_EQ(list.currentIndex(), -1);
    EXPECT_EQ(Find<QLineEdit>(dialog, 1021)->text(), "");
    // Sorted without regard to case, IP virtual modems left out, portless models listed.
    EXPECT_THAT(Items(list), ElementsAre("ABC 56K", "acme", "Modem B", "zeta modem"));
}

TEST_F(SettingsDlgTest, RadioButtonsEnableAndDisableTheModemControls)
{
    CSettingsDlg dialog;
    dialog.m_strName = "Modem";
    dialog.m_strDialOut = "9";
    dialog.OnInitDialog();
    Find<QRadioButton>(dialog, 1023)->click();
    for (int id : {1025, 1018, 1026, 1021})
        EXPECT_FALSE(Find<QWidget>(dialog, id)->isEnabled()) << id;
    Find<QRadioButton>(dialog, 1024)->click();
    for (int id : {1025, 1018, 1026, 1021})
        EXPECT_TRUE(Find<QWidget>(dialog, id)->isEnabled()) << id;
    EXPECT_EQ(Find<QComboBox>(dialog, 1018)->currentText(), "Modem B");
    EXPECT_EQ(Find<QLineEdit>(dialog, 1021)->text(), "9");
}

TEST_F(SettingsDlgTest, OkStoresTheFullNameOfTheModemTheSavedNameBeginsAndItsPort)
{
    WriteFile(m_ini, "[Modem]\nName=ab\nDialOut=\n");
    RunSettings([](CSettingsDlg& dialog) {
        EXPECT_EQ(Find<QComboBox>(dialog, 1018)->currentText(), "ABC 56K");
        Find<QLineEdit>(dialog, 1021)->setText("9");
        Press(dialog, 1);
    });
    platform::ProfileFile file(m_ini);
    EXPECT_EQ(file.ReadString("Modem", "Name", "-"), "ABC 56K");
    EXPECT_EQ(file.ReadString("Modem", "DialOut", "-"), "9");
    EXPECT_EQ(file.ReadString("Modem", "InitStr", "-"), "ATS7=60X4<cr>");
    EXPECT_EQ(file.ReadInt("Modem", "Port", -1), 3);
    EXPECT_EQ(file.ReadInt("Modem", "ExtDialer", -1), 0);
    EXPECT_THAT(m_boxes.shown(), IsEmpty());
}

TEST_F(SettingsDlgTest, DefaultDialerStillStoresTheDisabledControls)
{
    WriteFile(m_ini, "[Modem]\nName=ZETA\nDialOut=0\nExtDialer=5\n");
    RunSettings([](CSettingsDlg& dialog) {
        EXPECT_TRUE(Find<QRadioButton>(dialog, 1023)->isChecked());
        EXPECT_FALSE(Find<QRadioButton>(dialog, 1024)->isChecked());
        for (int id : {1025, 1018, 1026, 1021})
            EXPECT_FALSE(Find<QWidget>(dialog, id)->isEnabled()) << id;
        Press(dialog, 1);
    });
    platform::ProfileFile file(m_ini);
    EXPECT_EQ(file.ReadInt("Modem", "ExtDialer", -1), 1);
    EXPECT_EQ(file.ReadString("Modem", "Name", "-"), "zeta modem");
    EXPECT_EQ(file.ReadString("Modem", "DialOut", "-"), "0");
    EXPECT_EQ(file.ReadInt("Modem", "Port", -1), 5);
    EXPECT_EQ(file.ReadString("Modem", "InitStr", "-"), "AT<cr>");
}

TEST_F(SettingsDlgTest, ANameNoLongerInstalledSelectsNothingAndStoresNoModem)
{
    WriteFile(m_ini, "[Modem]\nName=Gone Modem\nPort=4\nInitStr=ATZ\n");
    RunSettings([](CSettingsDlg& dialog) {
        EXPECT_EQ(Find<QComboBox>(dialog, 1018)->currentIndex(), -1);
        Press(dialog, 1);
    });
    platform::ProfileFile file(m_ini);
    EXPECT_EQ(file.ReadString("Modem", "Name", "-"), "");
    EXPECT_EQ(file.ReadInt("Modem", "Port", -1), 0);
    EXPECT_EQ(file.ReadString("Modem", "InitStr", "-"), "AT<cr>");
}

TEST_F(SettingsDlgTest, CancelAndClosingLeaveTheFileByteForByte)
{
    const std::string original = "; my phone book\r\n[Modem]\r\nName = ab\r\nExtDialer=0\r\n"
                                 "[Item1]\r\nName=Ann\r\n";
    WriteFile(m_ini, original);
    RunSettings([](CSettingsDlg& dialog) {
        Find<QRadioButton>(dialog, 1023)->click();
        Find<QLineEdit>(dialog, 1021)->setText("9");
        Find<QComboBox>(dialog, 1018)->setCurrentIndex(3);
        Press(dialog, 2);
    });
    EXPECT_EQ(ReadFile(m_ini), original);
    RunSettings([](CSettingsDlg& dialog) {
        Find<QLineEdit>(dialog, 1021)->setText("8");
        dialog.close();
    });
    EXPECT_EQ(ReadFile(m_ini), original);
}

TEST_F(SettingsDlgTest, AFailedWriteTellsTheUser)
{
    WriteFile(m_registry.Folder() / "file", "");
    m_ini = m_registry.Folder() / "file" / "telmo.ini";
    RunSettings([](CSettingsDlg& dialog) { Press(dialog, 1); });
    ASSERT_EQ(m_boxes.shown().size(), 1u);
    const platform::MessageBoxRequest& box = m_boxes.shown()[0];
    EXPECT_EQ(box.caption, "Error");
    EXPECT_EQ(box.icon, platform::MessageIcon::Exclamation);
    EXPECT_EQ(box.buttons, platform::MessageButtons::Ok);
    EXPECT_THAT(box.text, HasSubstr("could not be saved"));
}

TEST_F(SettingsDlgTest, RegistryErrorsOnOkAreShownAndTheChoiceIsStillStored)
{
    // The modem's port can only come from the device tree, which holds a name too long to list.
    m_registry.Write(RegistryFixture::Slot("0000", "Enum Modem", "") +
                     "[HKEY_LOCAL_MACHINE\\Enum\\" + std::string(200, 'X') + "]\n");
    WriteFile(m_ini, "[Modem]\nName=Enum Modem\n");
    RunSettings([](CSettingsDlg& dialog) { Press(dialog, 1); });
    ASSERT_FALSE(m_boxes.shown().empty());
    for (const platform::MessageBoxRequest& box : m_boxes.shown()) {
        EXPECT_EQ(box.caption, "More data is available.");
        EXPECT_EQ(box.icon, platform::MessageIcon::Information);
        EXPECT_THAT(box.text, HasSubstr("234 RegEnumKeyEx\n"));
    }
    platform::ProfileFile file(m_ini);
    EXPECT_EQ(file.ReadString("Modem", "Name", "-"), "Enum Modem");
    EXPECT_EQ(file.ReadInt("Modem", "Port", -1), 0);
}
