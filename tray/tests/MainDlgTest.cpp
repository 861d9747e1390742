#include "MainDlg.h"

#include "MessageBox.h"
#include "ModalRun.h"
#include "NumberDlg.h"
#include "PhoneBookApp.h"
#include "support/FakeDesktop.h"
#include "support/TempFolder.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <map>

using platform::MessageResult;
using testsupport::ReadFile;
using testsupport::WriteFile;

namespace {

std::string Section(int n, const std::string& name, int pos, const std::string& fax = "",
                    int deleted = 0)
{
    return "[Item" + std::to_string(n) + "]\nName=" + name +
           "\nHomePhone=\nWorkPhone=\nCellPhone=\nBeeper=\nFax=" + fax +
           "\nPos=" + std::to_string(pos) + "\nDeleted=" + std::to_string(deleted) + "\n";
}

// Bakery, Office and Zoo, created in the order Office, Zoo, Bakery.
const std::string kThreeEntries = "[General]\nCount=3\nTopPos=2\n" + Section(0, "Office", 1) +
                                  Section(1, "Zoo", 2, "123 Fax") + Section(2, "Bakery", 0);

class MainDlgTest : public ::testing::Test
{
protected:
    MainDlgTest() { testsupport::TestApplication(); }

    CMainDlg& StartWith(const std::string& contents)
    {
        WriteFile(m_ini, contents);
        return Start();
    }

    CMainDlg& Start()
    {
        m_dialog = std::make_unique<CMainDlg>(m_ini, m_icons, m_tracker,
                                              [this](unsigned id) { m_passedOn.push_back(id); });
        m_dialog->OnInitDialog();
        return *m_dialog;
    }

    QLineEdit* Field(int id) { return m_dialog->findChild<QLineEdit*>(QString::number(id)); }
    QPushButton* Button(int id) { return m_dialog->findChild<QPushButton*>(QString::number(id)); }
    std::string Text(int id) { return Field(id)->text().toStdString(); }
    void Type(int id, const char* text) { Field(id)->setText(text); }

    // The entry-menu texts the user sees on a left click.
    std::vector<std::string> EntryTitles()
    {
        m_icons.Click(129, 514);
        return m_tracker.shown.back().texts;
    }

    std::vector<PhoneEntry> LiveEntries() { return CPhoneBook(m_ini).LiveEntries(); }
    PhoneEntry StoredEntry(const std::string& section)
    {
        platform::ProfileDocument document = platform::ProfileFile(m_ini).Load();
        return PhoneBookDocument(document).ReadEntry(section);
    }

    bool EditorVisible() { return m_dialog->isVisible(); }

    testsupport::TempFolder m_folder;
    std::filesystem::path m_ini = m_folder / "telmo.ini";
    testsupport::FakeNotifyIconService m_icons;
    testsupport::FakeMenuTracker m_tracker;
    std::vector<unsigned> m_passedOn;
    std::unique_ptr<CMainDlg> m_dialog;
};

using Calls = std::vector<std::string>;

} // namespace

TEST_F(MainDlgTest, StartsHiddenWithTheIconAndTheEntryMenu)
{
    CMainDlg& dialog = StartWith(kThreeEntries);
    EXPECT_FALSE(dialog.isVisible());
    // Nothing can show the window while the editor is not meant to be visible.
    dialog.show();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(m_icons.calls, Calls{"add 129 Telmo"});
    EXPECT_EQ(EntryTitles(), (std::vector<std::string>{"Bakery", "Office", "Zoo"}));
}

TEST_F(MainDlgTest, CardGetsTheStoredTextsAndItsEditOpensTheEditorAtTheKindsField)
{
    StartWith(kThreeEntries);
    std::vector<std::string> cardTexts;
    platform::ScopedModalAnswers answers([&](QDialog& shown) {
        auto& card = dynamic_cast<CNumberDlg&>(shown);
        cardTexts = {card.m_strName, card.m_strNumber, card.m_strKind};
        return CNumberDlg::kResultEdit;
    });
    m_tracker.shown.clear();
    m_icons.Click(129, 514);
    m_tracker.Choose(32804); // Fax of slot 2

    EXPECT_EQ(cardTexts, (std::vector<std::string>{"Zoo", "123 Fax", "Fax:"}));
    EXPECT_TRUE(EditorVisible());
    EXPECT_EQ(m_icons.shownIcons, 0);
    EXPECT_EQ(Text(1000), "Zoo");
    EXPECT_EQ(Text(1010), "123 Fax");
    EXPECT_TRUE(Button(1003)->isEnabled());
    EXPECT_EQ(m_dialog->focusWidget(), Field(1010));
}

TEST_F(MainDlgTest, CardResultsOtherThanEditLeaveTheEditorClosed)
{
    CMainDlg& dialog = StartWith(kThreeEntries);
    for (int result : {CNumberDlg::kResultClose, CNumberDlg::kResultCancel}) {
        platform::ScopedModalAnswers answers([&](QDialog&) { return result; });
        dialog.OnCommand(32781);
        EXPECT_EQ(answers.shown().size(), 1u);
        EXPECT_FALSE(EditorVisible()) << result;
    }
}

TEST_F(MainDlgTest, TheSettingsCommandAndTheCardsSettingsResultOpenTheDialerSettings)
{
    CMainDlg& dialog = StartWith(kThreeEntries);
    const std::string before = testsupport::ReadFile(m_ini);
    platform::ScopedModalAnswers answers([](QDialog& shown) {
        return dynamic_cast<CNumberDlg*>(&shown) ? CNumberDlg::kResultSettings
                                                 : int(QDialog::Rejected);
    });
    dialog.OnCommand(32772);
    ASSERT_EQ(answers.shown().size(), 1u);
    EXPECT_EQ(answers.shown()[0], QStringLiteral("144"));

    dialog.OnCommand(32781);
    ASSERT_EQ(answers.shown().size(), 3u);
    EXPECT_EQ(answers.shown()[2], QStringLiteral("144"));
    EXPECT_FALSE(EditorVisible());
    EXPECT_EQ(testsupport::ReadFile(m_ini), before) << "a cancelled dialog writes nothing";
}

TEST_F(MainDlgTest, EditEntryOpensTheEntryShownInTheSlotWithTheFocusOnTheName)
{
    // Positions broken by hand: Zero at 0, Seven at 7.
    CMainDlg& dialog =
        StartWith("[General]\nCount=2\n" + Section(0, "Seven", 7, "77") + Section(1, "Zero", 0));
    dialog.OnCommand(32790); // Edit Entry of slot 1
    EXPECT_EQ(Text(1000), "Seven");
    EXPECT_EQ(Text(1010), "77");
    EXPECT_TRUE(Button(1003)->isEnabled());
    EXPECT_EQ(m_dialog->focusWidget(), Field(1000));
}

TEST_F(MainDlgTest, AStaleMenusEditOnAVanishedEntryStartsANewOne)
{
    CMainDlg& dialog = StartWith(kThreeEntries);
    ASSERT_FALSE(
        CPhoneBook(m_ini).DeleteEntry(StoredEntry("Item1"))); // Zoo goes behind the menu's back
    dialog.OnCommand(32800);                                  // Edit Entry of slot 2: Zoo
    EXPECT_TRUE(EditorVisible());
    EXPECT_EQ(Text(1000), "");
    EXPECT_FALSE(Button(1003)->isEnabled());

    Type(1000, "Aquarium");
    QTest::mouseClick(Button(1005), Qt::LeftButton);
    EXPECT_FALSE(EditorVisible());
    const std::string file = ReadFile(m_ini);
    EXPECT_EQ(file.find("[]"), std::string::npos);
    std::vector<std::string> names;
    for (const PhoneEntry& entry : LiveEntries())
        names.push_back(entry.name);
    EXPECT_EQ(names, (std::vector<std::string>{"Aquarium", "Bakery", "Office"}));
}

TEST_F(MainDlgTest, AnEntryReplacedWhileTheEditorIsOpenIsNeitherOverwrittenNorDeleted)
{
    // The import empties the book and puts two new people into Item0 and Item1.
    const std::string imported = "[General]\nCount=2\nTopPos=1\n" + Section(0, "Ann", 0) +
                                 Section(1, "Cy", 1) + Section(2, "Bakery", 0);
    CMainDlg& dialog = StartWith(kThreeEntries);
    dialog.OnCommand(32790); // Edit Entry of slot 1: Office in Item0
    WriteFile(m_ini, imported);
    {
        platform::ScopedMessageBoxAnswers answers(MessageResult::Yes);
        QTest::mouseClick(Button(1003), Qt::LeftButton);
        ASSERT_EQ(answers.shown().size(), 2u);
        EXPECT_EQ(answers.shown()[1].text,
                  "Office is no longer in the phone book. Nothing was deleted.");
    }
    EXPECT_EQ(ReadFile(m_ini), imported);
    EXPECT_FALSE(EditorVisible());

    dialog.OnCommand(32780); // Edit Entry of slot 0: Ann in Item0
    WriteFile(m_ini, kThreeEntries);
    Type(1002, "555");
    QTest::mouseClick(Button(1005), Qt::LeftButton);
    EXPECT_EQ(StoredEntry("Item0").name, "Office");
    EXPECT_EQ(StoredEntry("Item3").name, "Ann") << "saved as a new entry";
    EXPECT_EQ(StoredEntry("Item3").homePhone, "555");

    // With five live entries, a stale editor's Save never makes a sixth.
    dialog.OnCommand(32780);
    std::string full = "[General]\nCount=5\nTopPos=4\n";
    for (int n = 0; n < 5; ++n)
        full += Section(n, std::string(1, static_cast<char>('A' + n)), n);
    WriteFile(m_ini, full);
    {
        platform::ScopedMessageBoxAnswers answers;
        QTest::mouseClick(Button(1005), Qt::LeftButton);
        ASSERT_EQ(answers.shown().size(), 1u);
        EXPECT_EQ(answers.shown()[0].caption, "Limit");
    }
    EXPECT_EQ(ReadFile(m_ini), full);
    EXPECT_TRUE(EditorVisible());
}

TEST_F(MainDlgTest, TheCardsEditOpensThePickedEntryEvenAfterTheMenuWasRebuilt)
{
    CMainDlg& dialog = StartWith(kThreeEntries);
    platform::ScopedModalAnswers answers([&](QDialog&) {
        // Another program adds Ann, and the user refreshes while the card is open.
        std::string withAnn = kThreeEntries + Section(3, "Ann", 0);
        withAnn.replace(withAnn.find("Count=3"), 7, "Count=4");
        WriteFile(m_ini, withAnn);
        dialog.OnRefresh();
        return CNumberDlg::kResultEdit;
    });
    dialog.OnCommand(32794); // Fax of slot 1: Office
    EXPECT_EQ(Text(1000), "Office");
    EXPECT_EQ(m_dialog->focusWidget(), Field(1010));
}

TEST_F(MainDlgTest, NewEntryIsSavedInNameOrderAndTheMenuFollows)
{
    CMainDlg& dialog = StartWith(kThreeEntries);
    dialog.OnCommand(32771);
    EXPECT_TRUE(EditorVisible());
    EXPECT_FALSE(Button(1003)->isEnabled());
    EXPECT_EQ(m_dialog->focusWidget(), Field(1000));
    EXPECT_EQ(m_icons.shownIcons, 0);

    Type(1000, "Pharmacy");
    Type(1002, "1");
    Type(1006, "2");
    Type(1007, "3");
    Type(1010, "4");
    Type(1008, "5");
    QTest::mouseClick(Button(1005), Qt::LeftButton);

    EXPECT_FALSE(EditorVisible());
    EXPECT_EQ(m_icons.shownIcons, 1);
    const PhoneEntry saved = StoredEntry("Item3");
    EXPECT_EQ(saved.name, "Pharmacy");
    EXPECT_EQ(saved.pos, 2);
    EXPECT_EQ(std::vector<std::string>(
                  {saved.homePhone, saved.workPhone, saved.cellPhone, saved.fax, saved.beeper}),
              (std::vector<std::string>{"1", "2", "3", "4", "5"}));
    m_tracker.shown.clear();
    EXPECT_EQ(EntryTitles(), (std::vector<std::string>{"Bakery", "Office", "Pharmacy", "Zoo"}));
}

TEST_F(MainDlgTest, SavingWithTheSameNameKeepsSectionAndPositionAndRewritesEveryKey)
{
    // Office lacks most keys, Deleted included.
    CMainDlg& dialog = StartWith("[General]\nCount=2\nTopPos=1\n[Item0]\nName=Office\n"
                                 "HomePhone=old\nPos=1\n" +
                                 Section(1, "Bakery", 0));
    dialog.OnCommand(32790);
    Type(1002, "");
    Type(1006, "201");
    QTest::keyClick(Field(1006), Qt::Key_Return); // Enter saves
    EXPECT_FALSE(EditorVisible());

    const std::string file = ReadFile(m_ini);
    const std::size_t start = file.find("[Item0]");
    const std::string office = file.substr(start, file.find("[Item1]") - start);
    for (const char* line : {"Name=Office\n", "HomePhone=\n", "WorkPhone=201\n", "CellPhone=\n",
                             "Beeper=\n", "Fax=\n", "Pos=1\n", "Deleted=0\n"})
        EXPECT_NE(office.find(line), std::string::npos) << line << " in " << office;
    EXPECT_EQ(file.find("[Item2]"), std::string::npos);
    EXPECT_EQ(LiveEntries().size(), 2u);
}

// A phone book carried over from the original platform holds Windows-1252 names.
TEST_F(MainDlgTest, ACarriedOverNameShowsAsItReadsAndANumberChangeKeepsItsBytes)
{
    CMainDlg& dialog = StartWith("[General]\nCount=1\n" + Section(0, "M\xFCller", 0));
    dialog.OnCommand(32780);
    EXPECT_EQ(Text(1000), "M\xC3\xBCller");
    Type(1006, "201");
    QTest::mouseClick(Button(1005), Qt::LeftButton);
    const PhoneEntry saved = StoredEntry("Item0");
    EXPECT_EQ(saved.name, "M\xFCller");
    EXPECT_EQ(saved.workPhone, "201");
    EXPECT_EQ(LiveEntries().size(), 1u);
    EXPECT_EQ(ReadFile(m_ini).find("[Item1]"), std::string::npos) << "no rename";
}

TEST_F(MainDlgTest, ACaseOnlyRenameMovesTheEntryToANewSection)
{
    CMainDlg& dialog = StartWith(kThreeEntries);
    dialog.OnCommand(32780); // Bakery
    Type(1000, "bakery");
    QTest::mouseClick(Button(1005), Qt::LeftButton);
    const std::vector<PhoneEntry> live = LiveEntries();
    ASSERT_EQ(live.size(), 3u);
    EXPECT_EQ(live[2].name, "bakery"); // small letters sort after capitals
    EXPECT_EQ(live[2].section, "Item3");
    EXPECT_EQ(StoredEntry("Item2").deleted, 1);
}

TEST_F(MainDlgTest, DeleteAsksWithTheTypedNameAndNoChangesNothing)
{
    CMainDlg& dialog = StartWith(kThreeEntries);
    const std::string before = ReadFile(m_ini);
    dialog.OnCommand(32790); // Office
    Type(1000, "Offices");
    {
        platform::ScopedMessageBoxAnswers answers(MessageResult::No);
        QTest::mouseClick(Button(1003), Qt::LeftButton);
        ASSERT_EQ(answers.shown().size(), 1u);
        const platform::MessageBoxRequest& question = answers.shown()[0];
        EXPECT_EQ(question.text, "Delete Offices?");
        EXPECT_EQ(question.caption, "telmo");
        EXPECT_EQ(question.buttons, platform::MessageButtons::YesNo);
        EXPECT_EQ(question.icon, platform::MessageIcon::None);
    }
    EXPECT_TRUE(EditorVisible());
    EXPECT_EQ(ReadFile(m_ini), before);

    platform::ScopedMessageBoxAnswers yes(MessageResult::Yes);
    QTest::mouseClick(Button(1003), Qt::LeftButton);
    EXPECT_FALSE(EditorVisible());
    m_tracker.shown.clear();
    EXPECT_EQ(EntryTitles(), (std::vector<std::string>{"Bakery", "Zoo"}));
}

TEST_F(MainDlgTest, NewEntryAtFiveShowsTheLimitUntilOneIsDeleted)
{
    std::string file = "[General]\nCount=5\nTopPos=4\n";
    for (int n = 0; n < 5; ++n)
        file += Section(n, std::string(1, static_cast<char>('A' + n)), n);
    CMainDlg& dialog = StartWith(file);
    {
        platform::ScopedMessageBoxAnswers answers;
        dialog.OnCommand(32771);
        ASSERT_EQ(answers.shown().size(), 1u);
        EXPECT_EQ(answers.shown()[0].text, "The limit of entries was reached. Delete existing "
                                           "entries before adding new entries.");
        EXPECT_EQ(answers.shown()[0].caption, "Limit");
        EXPECT_EQ(answers.shown()[0].icon, platform::MessageIcon::Exclamation);
        EXPECT_FALSE(EditorVisible());
    }
    ASSERT_FALSE(CPhoneBook(m_ini).DeleteEntry(StoredEntry("Item2")));
    dialog.OnCommand(32771);
    EXPECT_TRUE(EditorVisible());
    EXPECT_EQ(Text(1000), "");
}

TEST_F(MainDlgTest, AFailedWriteSaysSoAndKeepsTheEditorWithTheTypedText)
{
    CMainDlg& dialog = StartWith(kThreeEntries);
    dialog.OnCommand(32790);
    Type(1000, "Renamed");
    // The folder becomes a plain file: nothing can be written there, whoever we are.
    const std::filesystem::path moved = m_folder.path().string() + "-moved";
    std::filesystem::rename(m_folder.path(), moved);
    WriteFile(m_folder.path(), "not a folder");
    {
        platform::ScopedMessageBoxAnswers answers;
        QTest::mouseClick(Button(1005), Qt::LeftButton);
        ASSERT_EQ(answers.shown().size(), 1u);
        EXPECT_EQ(answers.shown()[0].caption, "Error");
        EXPECT_EQ(answers.shown()[0].icon, platform::MessageIcon::Exclamation);
        EXPECT_NE(answers.shown()[0].text.find("could not be saved"), std::string::npos);
    }
    EXPECT_TRUE(EditorVisible());
    EXPECT_EQ(Text(1000), "Renamed");
    {
        platform::ScopedMessageBoxAnswers answers(MessageResult::Yes);
        QTest::mouseClick(Button(1003), Qt::LeftButton);
        EXPECT_EQ(answers.shown().back().caption, "Error");
    }
    EXPECT_TRUE(EditorVisible());

    std::filesystem::remove(m_folder.path());
    std::filesystem::rename(moved, m_folder.path());
    QTest::mouseClick(Button(1005), Qt::LeftButton);
    EXPECT_FALSE(EditorVisible());
    EXPECT_EQ(LiveEntries()[1].name, "Renamed");
}

TEST_F(MainDlgTest, EscapeCloseBoxAndMinimiseOnlyHideTheEditor)
{
    CMainDlg& dialog = StartWith(kThreeEntries);
    const std::string before = ReadFile(m_ini);
    dialog.OnCommand(32780);
    Type(1000, "Typed");
    QTest::keyClick(Field(1000), Qt::Key_Escape);
    EXPECT_FALSE(EditorVisible());
    EXPECT_EQ(m_icons.shownIcons, 1);

    dialog.OnCommand(32780);
    dialog.close();
    EXPECT_FALSE(EditorVisible());

    dialog.OnCommand(32780);
    dialog.showMinimized();
    EXPECT_FALSE(EditorVisible());
    EXPECT_FALSE(dialog.isMinimized());
    EXPECT_EQ(m_icons.shownIcons, 1);
    EXPECT_EQ(ReadFile(m_ini), before);
}

TEST_F(MainDlgTest, RefreshShowsWhatOthersWroteMeanwhile)
{
    CMainDlg& dialog = StartWith(kThreeEntries);
    PhoneEntry imported;
    imported.name = "Cafe";
    ASSERT_FALSE(CPhoneBook(m_ini).SaveEntry({}, imported));
    EXPECT_EQ(EntryTitles(), (std::vector<std::string>{"Bakery", "Office", "Zoo"}));
    dialog.OnCommand(33277);
    EXPECT_EQ(EntryTitles(), (std::vector<std::string>{"Bakery", "Cafe", "Office", "Zoo"}));
}

TEST_F(MainDlgTest, AboutBoxShowsTheVersion)
{
    CMainDlg& dialog = Start();
    QString title;
    QStringList texts;
    platform::ScopedModalAnswers answers([&](QDialog& about) {
        title = about.windowTitle();
        for (QLabel* label : about.findChildren<QLabel*>())
            texts << label->text();
        QPushButton* ok = about.findChild<QPushButton*>("1");
        EXPECT_EQ(ok ? ok->text() : QString(), "OK");
        return 1;
    });
    dialog.OnCommand(57664);
    EXPECT_EQ(answers.shown(), std::vector<QString>{"100"});
    EXPECT_EQ(title, "About Telmo");
    EXPECT_TRUE(texts.contains("Telmo Version 1.3"));
}

TEST_F(MainDlgTest, HelpGoesOnToTheApplication)
{
    CMainDlg& dialog = Start();
    dialog.OnCommand(57670);
    EXPECT_EQ(m_passedOn, std::vector<unsigned>{57670});
}

TEST_F(MainDlgTest, WithoutANotificationAreaTheUserIsToldOnceAndMayEndTelmo)
{
    m_icons.areaAvailable = false;
    CMainDlg& dialog = Start();
    platform::ScopedMessageBoxAnswers answers(MessageResult::No);
    for (int look = 1; look < CMainDlg::kSecondsBeforeNoAreaNotice; ++look)
        dialog.OnTrayAreaLook();
    EXPECT_TRUE(answers.shown().empty());
    dialog.OnTrayAreaLook();
    ASSERT_EQ(answers.shown().size(), 1u);
    EXPECT_EQ(answers.shown()[0].buttons, platform::MessageButtons::YesNo);
    EXPECT_NE(answers.shown()[0].text.find("notification area"), std::string::npos);
    EXPECT_EQ(dialog.EntryMenu().GetSubMenu(0), nullptr); // No means Exit
}

TEST_F(MainDlgTest, KeepingTelmoRunningWithoutAnAreaIsNotAskedAgain)
{
    m_icons.areaAvailable = false;
    CMainDlg& dialog = Start();
    platform::ScopedMessageBoxAnswers answers(MessageResult::Yes);
    for (int look = 0; look < 3 * CMainDlg::kSecondsBeforeNoAreaNotice; ++look)
        dialog.OnTrayAreaLook();
    EXPECT_EQ(answers.shown().size(), 1u);
    EXPECT_NE(dialog.EntryMenu().GetSubMenu(0), nullptr);
}

TEST_F(MainDlgTest, ImportStartsTheWizardFromTheWorkingDirectoryAndFailuresAreSilent)
{
    CMainDlg& dialog = Start();
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(m_folder.path());
    WriteFile(m_folder / "telmo-import", "#!/bin/sh\ntouch imported\n");
    std::filesystem::permissions(m_folder / "telmo-import", std::filesystem::perms::owner_all);
    platform::ScopedMessageBoxAnswers answers;
    dialog.OnCommand(32775);
    dialog.OnCommand(32774); // no export program here
    for (int wait = 0; wait < 500 && !std::filesystem::exists(m_folder / "imported"); ++wait)
        QTest::qWait(10);
    std::filesystem::current_path(previous);
    EXPECT_TRUE(std::filesystem::exists(m_folder / "imported"));
    EXPECT_TRUE(answers.shown().empty());
}

TEST(PhoneBookAppTest, AWorkingDirectoryDeletedBeforeTheStartStillNamesThePhoneBook)
{
    testsupport::TempFolder parent;
    const std::filesystem::path vanished = parent / "vanished";
    std::filesystem::create_directory(vanished);
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(vanished);
    EXPECT_EQ(CPhoneBookApp::ProfilePath(), vanished / "telmo.ini");
    std::filesystem::remove(vanished);
    std::filesystem::path profile;
    EXPECT_NO_THROW(profile = CPhoneBookApp::ProfilePath());
    std::filesystem::current_path(previous);
    EXPECT_EQ(profile, "telmo.ini");
}

TEST_F(MainDlgTest, AnAreaThatAppearsInTimeNeedsNoNotice)
{
    m_icons.areaAvailable = false;
    CMainDlg& dialog = Start();
    platform::ScopedMessageBoxAnswers answers;
    dialog.OnTrayAreaLook();
    m_icons.areaAvailable = true;
    for (int look = 0; look < 2 * CMainDlg::kSecondsBeforeNoAreaNotice; ++look)
        dialog.OnTrayAreaLook();
    EXPECT_TRUE(answers.shown().empty());
    EXPECT_EQ(m_icons.shownIcons, 1);
}

TEST_F(MainDlgTest, EditorFieldsHaveTheirLabelsAndTabOrder)
{
    CMainDlg& dialog = Start();
    dialog.OnCommand(32771);
    std::map<QString, QString> labels;
    for (QLabel* label : dialog.findChildren<QLabel*>()) {
        if (label->buddy())
            labels[label->buddy()->objectName()] = label->text();
    }
    const std::map<QString, QString> expected{{"1000", "Name:"},       {"1002", "Home phone:"},
                                              {"1006", "Work phone:"}, {"1007", "Cellphone:"},
                                              {"1010", "Fax:"},        {"1008", "Beeper:"}};
    EXPECT_EQ(labels, expected);
    EXPECT_NE(dialog.findChild<QLabel*>("1011"), nullptr);

    QStringList order;
    QWidget* widget = Field(1000);
    do {
        if (widget->focusPolicy() & Qt::TabFocus)
            order << widget->objectName();
        widget = widget->nextInFocusChain();
    } while (widget != Field(1000));
    EXPECT_EQ(order, QStringList(
                         {"1000", "1002", "1006", "1007", "1010", "1008", "1005", "1003", "1009"}));
}
