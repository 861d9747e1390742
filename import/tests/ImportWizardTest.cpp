#include "FileDialog.h"
#include "ImportStrings.h"
#include "PhoneBook.h"
#include "ProfileFile.h"
#include "WizardDriver.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyleOptionComboBox>
#include <QTest>
#include <QTimer>
#include <gmock/gmock.h>
#include <map>

using testing::ElementsAre;
using testing::IsEmpty;

namespace {

constexpr auto kFrom = CWizardSheet::kImportFromPage;
constexpr auto kFile = CWizardSheet::kSelectFilePage;
constexpr auto kMatch = CWizardSheet::kMatchFieldsPage;
constexpr auto kNames = CWizardSheet::kSelectNamesPage;

const std::string kHeader = "First Name,Last Name,Home Phone,Work Phone,Mobile Phone,Fax,Pager\n";

std::string Section(int n, const std::string& name, int pos, int deleted = 0)
{
    return "[Item" + std::to_string(n) + "]\nName=" + name + "\nHomePhone=" + std::to_string(n) +
           "\nWorkPhone=\nCellPhone=\nFax=\nBeeper=\nPos=" + std::to_string(pos) +
           "\nDeleted=" + std::to_string(deleted) + "\n";
}

// Four live entries in name order Bob, Dan, Eve, Gus, and one marked deleted.
const std::string kFourLive = "; the user's own note\n[General]\nCount=5\nTopPos=3\n" +
                              Section(0, "Eve", 2) + Section(1, "Bob", 0) +
                              Section(2, "Old", 0, 1) + Section(3, "Gus", 3) + Section(4, "Dan", 1);

std::string TwentyPeople()
{
    std::string text = kHeader;
    const char* names[] = {"Ann", "Bob", "Carl", "Dora", "Emil", "Fay", "Gus",
                           "Hal", "Ida", "Jon",  "Kim",  "Lea",  "Max", "Ned",
                           "Ola", "Pia", "Quin", "Rob",  "Sue",  "Tom"};
    int n = 0;
    for (const char* name : names) {
        text += std::string(name) + ",Lee,555-" + std::to_string(100 + n) + ",666-" +
                std::to_string(100 + n) + ",,,\n";
        ++n;
    }
    return text;
}

std::vector<std::string> Names(const std::vector<PhoneEntry>& entries)
{
    std::vector<std::string> names;
    for (const PhoneEntry& entry : entries)
        names.push_back(entry.name + "@" + std::to_string(entry.pos));
    return names;
}

TEST_F(WizardTest, TheSheetIsAClassicWizardCentredOnTheScreenWithFourPagesInOrder)
{
    CWizardSheet& sheet = Start();
    EXPECT_EQ(sheet.windowTitle(), "Wizard");
    EXPECT_EQ(sheet.wizardStyle(), QWizard::ClassicStyle);
    EXPECT_EQ(sheet.pageIds(), QList<int>({kFrom, kFile, kMatch, kNames}));
    EXPECT_EQ(sheet.currentId(), kFrom);
    const QPoint centre = sheet.screen()->availableGeometry().center();
    EXPECT_LE((sheet.frameGeometry().center() - centre).manhattanLength(), 1);
}

TEST_F(WizardTest, EveryPageOffersExactlyItsButtons)
{
    const auto source = WriteSource(kHeader + "Ann,Lee,1,,,,\n");
    Start();
    EXPECT_THAT(OfferedButtons(), ElementsAre("Help", "Next", "Cancel"));
    Next();
    EXPECT_THAT(OfferedButtons(), ElementsAre("Help", "Back", "Next", "Cancel"));
    Find<QLineEdit>(kFile, "1001")->setText(QString::fromStdString(source));
    Next();
    EXPECT_THAT(OfferedButtons(), ElementsAre("Help", "Back", "Next", "Cancel"));
    Next();
    EXPECT_THAT(OfferedButtons(), ElementsAre("Help", "Back", "Finish", "Cancel"));
    Back();
    EXPECT_EQ(m_sheet->currentId(), kMatch);
    EXPECT_THAT(OfferedButtons(), ElementsAre("Help", "Back", "Next", "Cancel"));
}

TEST_F(WizardTest, CsvIsCheckedAtEveryShowingAndTheAddressBookNeverOffered)
{
    Start();
    auto* csv = Find<QRadioButton>(kFrom, "1000");
    auto* addressBook = Find<QRadioButton>(kFrom, "1001");
    EXPECT_EQ(csv->text(), "Comma Separated Values (CSV) File");
    EXPECT_EQ(addressBook->text(), "Microsoft Outlook Express Address Book (WAB)");
    EXPECT_TRUE(csv->isChecked());
    EXPECT_FALSE(addressBook->isEnabled());
    csv->setChecked(false);
    Next();
    Back();
    EXPECT_TRUE(csv->isChecked());
    EXPECT_FALSE(addressBook->isEnabled());
}

TEST_F(WizardTest, BrowsingStartsAtTheTypedNameAndKeepsItWhenCancelled)
{
    Start();
    Next();
    auto* path = Find<QLineEdit>(kFile, "1001");
    auto* browse = Find<QPushButton>(kFile, "1002");
    EXPECT_EQ(browse->text(), "...");
    path->setText("/home/ann/contacts");
    std::optional<std::string> answer = "/home/ann/contacts.csv";
    platform::ScopedOpenFileDialogAnswers dialogs(
        [&](const platform::OpenFileRequest&) { return answer; });
    browse->click();
    EXPECT_EQ(path->text(), "/home/ann/contacts.csv");
    answer.reset();
    browse->click();
    EXPECT_EQ(path->text(), "/home/ann/contacts.csv");
    ASSERT_EQ(dialogs.shown().size(), 2u);
    EXPECT_EQ(dialogs.shown()[0].initialFileName, "/home/ann/contacts");
    EXPECT_EQ(dialogs.shown()[1].initialFileName, "/home/ann/contacts.csv");
    EXPECT_EQ(dialogs.shown()[0].defaultExtension, "csv");
    EXPECT_EQ(dialogs.shown()[0].filter,
              "Comma Separated Values (CSV) files (*.csv)|*.csv|All files (*.*)|*.*||");
}

TEST_F(WizardTest, TheRealFileDialogOffersBothFiltersAndAddsTheSuffix)
{
    Start();
    Next();
    auto* path = Find<QLineEdit>(kFile, "1001");
    path->setText(QString::fromStdString((m_folder.path() / "typed").string()));
    QStringList shownFilters;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        const auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        ASSERT_NE(types, nullptr);
        for (int i = 0; i < types->count(); ++i)
            shownFilters << types->itemText(i);
        QMetaObject::invokeMethod(dialog, "accept");
    });
    Find<QPushButton>(kFile, "1002")->click();
    EXPECT_THAT(shownFilters,
                ElementsAre("Comma Separated Values (CSV) files (*.csv)", "All files (*.*)"));
    EXPECT_EQ(path->text().toStdString(), (m_folder.path() / "typed.csv").string());
}

TEST_F(WizardTest, HelpOpensFromTheKeyAndTheButton)
{
    Start();
    m_sheet->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_sheet.get()));
    QTest::keyClick(m_sheet.get(), Qt::Key_F1);
    Next();
    m_sheet->button(QWizard::HelpButton)->click();
    EXPECT_EQ(m_helpOpened, 2);
    EXPECT_EQ(m_sheet->currentId(), kFile) << "help leaves the wizard where it was";
}

TEST_F(WizardTest, AnUnusablePathIsReportedOnEachReadingAndTheWizardGoesOn)
{
    Start();
    Next();
    Next(); // an empty path
    ASSERT_EQ(m_sheet->currentId(), kMatch);
    ASSERT_EQ(m_answers.shown().size(), 1u);
    EXPECT_EQ(m_answers.shown()[0].text, "Unable to open import source.");
    EXPECT_EQ(m_answers.shown()[0].caption, "Error");
    EXPECT_EQ(m_answers.shown()[0].icon, platform::MessageIcon::Exclamation);
    EXPECT_EQ(Find<QComboBox>(kMatch, "1003")->count(), 0);
    Next();
    EXPECT_EQ(m_answers.shown().size(), 2u);
    EXPECT_THAT(ListedNames(), IsEmpty());
    Finish();
    EXPECT_THAT(ShownTexts(), ElementsAre(kStringOpenSourceFailed, kStringOpenSourceFailed,
                                          kStringOpenSourceFailed, kStringImportComplete));
    EXPECT_FALSE(m_sheet->isVisible());
    EXPECT_FALSE(std::filesystem::exists(m_ini)) << "nothing was written";
}

TEST_F(WizardTest, MatchFieldsProposesColumnsAndStoresThemWhenLeft)
{
    const auto source = WriteSource(
        "Last Name,First Name,Home Phone,Office,Mobile,Home Fax,Pager\nLee,Ann,1,2,3,4,5\n");
    Start();
    Next();
    Find<QLineEdit>(kFile, "1001")->setText(QString::fromStdString(source));
    Next();
    auto* name = Find<QComboBox>(kMatch, "1003");
    ASSERT_EQ(name->count(), 7);
    EXPECT_EQ(name->itemText(6), "Pager");
    EXPECT_EQ(Text(kMatch, "1009"), "First Name:");
    EXPECT_TRUE(Find<QRadioButton>(kMatch, "1012")->isChecked());
    Next();
    const ColumnChoice stored = m_sheet->Columns();
    EXPECT_EQ(stored.name, 0);
    EXPECT_EQ(stored.lastName, 0);
    EXPECT_EQ(stored.home, 2);
    EXPECT_EQ(stored.work, 3);
    EXPECT_EQ(stored.cell, 4);
    EXPECT_EQ(stored.fax, 5);
    EXPECT_EQ(stored.beeper, 6);
}

TEST_F(WizardTest, AHeaderWithoutKeywordsStoresNoColumnSevenTimes)
{
    const auto source = WriteSource("Given,Tel,E-mail\nAnn,1,a@b\n");
    Start();
    Next();
    Find<QLineEdit>(kFile, "1001")->setText(QString::fromStdString(source));
    Next();
    EXPECT_EQ(Find<QComboBox>(kMatch, "1005")->currentIndex(), -1);
    Next();
    EXPECT_EQ(m_sheet->Columns(), ColumnChoice{});
}

TEST_F(WizardTest, FullNameModeHidesTheLastNameAndStoresNoColumnForIt)
{
    const auto source = WriteSource("Name,Last Name,Phone\nAnn Lee,Lee,1\n");
    Start();
    Next();
    Find<QLineEdit>(kFile, "1001")->setText(QString::fromStdString(source));
    Next();
    auto* lastName = Find<QComboBox>(kMatch, "1011");
    auto* lastNameLabel = Find<QLabel>(kMatch, "1010");
    EXPECT_EQ(lastName->currentIndex(), 1);
    Find<QRadioButton>(kMatch, "1013")->click();
    EXPECT_EQ(Text(kMatch, "1009"), "Full Name:");
    EXPECT_FALSE(lastName->isVisible());
    EXPECT_FALSE(lastNameLabel->isVisible());
    EXPECT_FALSE(Find<QLabel>(kMatch, "1011-sample")->isVisible());
    Next();
    EXPECT_EQ(m_sheet->LastNameColumn(), -1);
    EXPECT_EQ(m_sheet->NameColumn(), 0);
    Back();
    EXPECT_TRUE(Find<QRadioButton>(kMatch, "1013")->isChecked()) << "the mode lasts";
    EXPECT_EQ(Text(kMatch, "1009"), "Full Name:");
    Find<QRadioButton>(kMatch, "1012")->click();
    EXPECT_EQ(Text(kMatch, "1009"), "First Name:");
    EXPECT_TRUE(lastName->isVisible());
    EXPECT_EQ(lastName->currentIndex(), 1) << "the row returns with its earlier choice";
    Next();
    EXPECT_EQ(m_sheet->LastNameColumn(), 1);
}

TEST_F(WizardTest, ShowingMatchFieldsAgainKeepsChoicesForTheSameFileAndProposesForAnother)
{
    const auto first = WriteSource("Name,Phone,Mobile\nAnn,1,2\n", "first.csv");
    const auto second = WriteSource("Mobile,Name,Fax,Home\n3,Bob,4,5\n", "second.csv");
    Start();
    Next();
    auto* path = Find<QLineEdit>(kFile, "1001");
    path->setText(QString::fromStdString(first));
    Next();
    auto* home = Find<QComboBox>(kMatch, "1004");
    EXPECT_EQ(home->currentIndex(), -1);
    ChooseColumn("1004", 1); // the user says "Phone" is the home number
    Next();
    EXPECT_EQ(m_sheet->HomeColumn(), 1);
    Back();
    Back();
    Next(); // the same file again
    EXPECT_EQ(home->count(), 3) << "each name once";
    EXPECT_EQ(home->currentIndex(), 1) << "the user's choice stays";
    Back();
    path->setText(QString::fromStdString(second));
    Next();
    ASSERT_EQ(home->count(), 4);
    EXPECT_EQ(home->itemText(0), "Mobile");
    EXPECT_EQ(home->currentIndex(), 3) << "proposed anew for the other file";
    EXPECT_EQ(Find<QComboBox>(kMatch, "1003")->currentIndex(), 1);
    EXPECT_EQ(Find<QComboBox>(kMatch, "1008")->currentIndex(), 0);
    Next();
    EXPECT_EQ(m_sheet->HomeColumn(), 3);
    EXPECT_EQ(m_sheet->FaxColumn(), 2);
}

TEST_F(WizardTest, BesideEachFieldIsTheFirstValueOfTheChosenColumn)
{
    GoToMatchFields(WriteSource("Name,Notes,Home Phone,Work Phone,Mobile\n"
                                "Ann,,,,\n"
                                "\"Lee, Bob\",\"Line one\nline two\",,\"030, 12\",\n"
                                "Cid,,555,,\n"));
    const auto sample = [this](const char* comboId) {
        return Text(kMatch, (std::string(comboId) + "-sample").c_str());
    };
    EXPECT_EQ(sample("1003"), "Ann");
    EXPECT_EQ(sample("1004"), "555") << "the first record that has a value";
    EXPECT_EQ(sample("1005"), "030, 12");
    EXPECT_EQ(sample("1008"), "") << "empty throughout";
    EXPECT_EQ(sample("1006"), "") << "no column chosen";
    ChooseColumn("1006", 1);
    EXPECT_EQ(sample("1006"), "Line one \u21b5 line two");
    ChooseColumn("1003", 0);
    ChooseColumn("1004", 0);
    EXPECT_EQ(sample("1004"), "Ann");
}

TEST_F(WizardTest, ALongColumnNameIsReadableInTheClosedBox)
{
    const std::string longName = "Rufnummer (gesch\xC3\xA4"
                                 "ftlich)";
    const std::string tooLong = "Gesch\xC3\xA4"
                                "ftliche Adresse, Postleitzahl und Ort der Niederlassung";
    GoToMatchFields(
        WriteSource("Name,Rufnummer (privat)," + longName + ",\"" + tooLong + "\"\nA,1,2,3\n"));
    auto* work = Find<QComboBox>(kMatch, "1005");
    const QString whole = QString::fromStdString(longName);
    ChooseColumn("1005", 2);
    QCoreApplication::processEvents(); // the wizard grows to the page's new layout
    QStyleOptionComboBox option;
    option.initFrom(work);
    const QRect shown = work->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                      QStyle::SC_ComboBoxEditField, work);
    EXPECT_GE(shown.width(), work->fontMetrics().horizontalAdvance(whole)) << "shown in full";
    EXPECT_EQ(work->toolTip(), "");
    ChooseColumn("1005", 3);
    EXPECT_EQ(work->toolTip(), QString::fromStdString(tooLong)) << "cut, so whole as a tooltip";
}

TEST_F(WizardTest, ThreeOfTwentyNamesGoIntoAnEmptyBookInNameOrder)
{
    GoToNames(WriteSource(TwentyPeople()));
    EXPECT_EQ(ListedNames().size(), 20);
    EXPECT_EQ(Text(kNames, "1019"), "Maximum number of entries allowed in Telmo is 5.");
    SelectNames({"Sue Lee", "Ann Lee", "Kim Lee"});
    EXPECT_EQ(Text(kNames, "1016"), "0");
    EXPECT_EQ(Text(kNames, "1017"), "3");
    EXPECT_EQ(Text(kNames, "1018"), "3");
    Finish();
    EXPECT_FALSE(m_sheet->isVisible());
    EXPECT_EQ(m_sheet->result(), QDialog::Accepted);
    ASSERT_EQ(m_answers.shown().size(), 1u);
    EXPECT_EQ(m_answers.shown()[0].text,
              "Import is complete. CLICK THE RIGHT MOUSE BUTTON ON TELMO ICON AND SELECT "
              "\"REFRESH\".");
    EXPECT_EQ(m_answers.shown()[0].caption, "Done");
    EXPECT_EQ(m_answers.shown()[0].icon, platform::MessageIcon::None);
    const std::vector<PhoneEntry> entries = LiveEntries();
    EXPECT_THAT(Names(entries), ElementsAre("Ann Lee@0", "Kim Lee@1", "Sue Lee@2"));
    EXPECT_EQ(entries[0].homePhone, "555-100");
    EXPECT_EQ(entries[2].workPhone, "666-118");
    EXPECT_EQ(platform::ProfileFile(m_ini).ReadInt("General", "Count", -1), 3);
}

TEST_F(WizardTest, DeleteExistingEntriesMakesRoomForFiveNewOnes)
{
    WriteIni(kFourLive);
    GoToNames(WriteSource(TwentyPeople()));
    EXPECT_EQ(Text(kNames, "1016"), "4") << "the section marked deleted is not counted";
    auto* deleteExisting = Find<QCheckBox>(kNames, "1015");
    EXPECT_EQ(deleteExisting->text(), "Delete Existing Entries");
    deleteExisting->click();
    SelectNames({"Tom Lee", "Ann Lee", "Hal Lee", "Bob Lee", "Carl Lee"});
    EXPECT_EQ(Text(kNames, "1016"), "0");
    EXPECT_EQ(Text(kNames, "1018"), "5");
    Finish();
    EXPECT_FALSE(m_sheet->isVisible());
    EXPECT_THAT(Names(LiveEntries()),
                ElementsAre("Ann Lee@0", "Bob Lee@1", "Carl Lee@2", "Hal Lee@3", "Tom Lee@4"));
    const platform::ProfileFile file(m_ini);
    EXPECT_EQ(file.ReadInt("General", "Count", -1), 5);
    EXPECT_EQ(file.ReadInt("General", "TopPos", -1), 4);
    EXPECT_EQ(file.ReadString("Item0", "Name", ""), "Ann Lee") << "written in the file's order";
    EXPECT_EQ(file.ReadString("Item4", "Name", ""), "Tom Lee");
    EXPECT_TRUE(IniBytes().starts_with("; the user's own note\n"));
}

TEST_F(WizardTest, TooManyNamesAreRefusedAndNothingIsWritten)
{
    WriteIni(kFourLive);
    GoToNames(WriteSource(TwentyPeople()));
    SelectNames({"Ann Lee", "Bob Lee"});
    EXPECT_EQ(Text(kNames, "1018"), "6");
    Finish();
    ASSERT_EQ(m_answers.shown().size(), 1u);
    EXPECT_EQ(m_answers.shown()[0].text, "Only 5 entries are allowed in Telmo.");
    EXPECT_EQ(m_answers.shown()[0].caption, "Error");
    EXPECT_EQ(m_answers.shown()[0].icon, platform::MessageIcon::Exclamation);
    EXPECT_TRUE(m_sheet->isVisible());
    EXPECT_EQ(m_sheet->currentId(), kNames);
    EXPECT_EQ(IniBytes(), kFourLive);
    // The user deselects one name, and Finish goes through.
    NameList()->selectionModel()->select(NameList()->model()->index(1, 0),
                                         QItemSelectionModel::Deselect);
    EXPECT_EQ(Text(kNames, "1018"), "5");
    Finish();
    EXPECT_FALSE(m_sheet->isVisible());
    EXPECT_THAT(Names(LiveEntries()), ElementsAre("Ann Lee@0", "Bob@1", "Dan@2", "Eve@3", "Gus@4"));
}

TEST_F(WizardTest, AChangeMadeByAnotherProgramBeforeFinishWritesNothingAndSaysWhy)
{
    // The phone book gained a fifth entry in the tray after page 4 counted four.
    WriteIni(kFourLive);
    GoToNames(WriteSource(TwentyPeople()));
    SelectNames({"Ann Lee"});
    std::string fiveLive = kFourLive + Section(5, "Hal", 4);
    fiveLive.replace(fiveLive.find("Count=5\nTopPos=3"), 16, "Count=6\nTopPos=4");
    WriteIni(fiveLive);
    Finish();
    EXPECT_THAT(ShownTexts(), ElementsAre("Only 5 entries are allowed in Telmo."));
    EXPECT_EQ(m_sheet->currentId(), kNames);
    EXPECT_EQ(Text(kNames, "1016"), "5") << "counted anew";
    EXPECT_EQ(IniBytes(), fiveLive);

    // The source lost the chosen row; Delete Existing Entries must not empty the book either.
    GoToNames(WriteSource(TwentyPeople()));
    Find<QCheckBox>(kNames, "1015")->click();
    SelectNames({"Bob Lee"});
    std::string changed = TwentyPeople();
    changed.replace(changed.find("Bob"), 3, "Rex");
    WriteSource(changed);
    Finish();
    EXPECT_THAT(ShownTexts(), ElementsAre("Only 5 entries are allowed in Telmo.",
                                          "The import source changed after its names were listed. "
                                          "Nothing was imported; select the names again."));
    EXPECT_EQ(m_sheet->currentId(), kNames);
    EXPECT_TRUE(ListedNames().contains("Rex Lee")) << "listed anew";
    EXPECT_EQ(IniBytes(), fiveLive);
}

TEST_F(WizardTest, EachListedItemImportsItsOwnRowEvenAmongEqualNames)
{
    WriteIni(kFourLive);
    GoToNames(WriteSource(kHeader + "Ann,Lee,111,,,,\nAnn,Lee,,222,,,\nAnn,Lee,,,,,\n"));
    EXPECT_THAT(ListedNames(), ElementsAre("Ann Lee", "Ann Lee")) << "one item per row";
    NameList()->selectionModel()->select(NameList()->model()->index(1, 0),
                                         QItemSelectionModel::Select);
    Finish();
    const std::vector<PhoneEntry> entries = LiveEntries();
    EXPECT_EQ(entries.size(), 5u) << "never more than the capacity";
    EXPECT_EQ(entries[0].name, "Ann Lee");
    EXPECT_EQ(entries[0].homePhone, "");
    EXPECT_EQ(entries[0].workPhone, "222");
}

TEST_F(WizardTest, RowsWithoutNumbersAreNeverListedAndNamelessOnesAre)
{
    GoToNames(WriteSource(kHeader + "Ann,Lee,,,,,\n,,,,,,999\nBob,,,,,,\n\nCid,  ,  ,,,,\n"));
    EXPECT_THAT(ListedNames(), ElementsAre("", "Cid"));
    Find<QPushButton>(kNames, "1013")->click();
    Finish();
    const std::vector<PhoneEntry> entries = LiveEntries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, "");
    EXPECT_EQ(entries[0].beeper, "999");
    EXPECT_EQ(entries[1].name, "Cid   ") << "a last name of blanks is written as it is";
    EXPECT_EQ(entries[1].homePhone, "  ");
}

TEST_F(WizardTest, NamesThatLookLikeTheFilesSyntaxStayInsideTheirValues)
{
    GoToNames(WriteSource(kHeader + "\"Eve\n[General]\nCount=99\",,1,,,,\n"
                                    "\"=x ; [y]\",\"\"\"q\"\"\",2,,,,\n"));
    Find<QPushButton>(kNames, "1013")->click();
    Finish();
    const std::vector<PhoneEntry> entries = LiveEntries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, "=x ; [y] \"q\"");
    EXPECT_EQ(entries[0].homePhone, "2");
    EXPECT_EQ(entries[1].name.find('\n'), std::string::npos);
    EXPECT_TRUE(entries[1].name.starts_with("Eve"));
    EXPECT_EQ(platform::ProfileFile(m_ini).ReadInt("General", "Count", -1), 2);
}

TEST_F(WizardTest, BackAndNextRefillTheListWithoutSelection)
{
    GoToNames(WriteSource(TwentyPeople()));
    auto* selectAll = Find<QPushButton>(kNames, "1013");
    EXPECT_EQ(selectAll->text(), "Select All");
    selectAll->click();
    EXPECT_EQ(selectAll->text(), "Deselect All");
    EXPECT_EQ(Text(kNames, "1017"), "20");
    EXPECT_EQ(Text(kNames, "1018"), "20");
    Back();
    Next();
    EXPECT_EQ(ListedNames().size(), 20);
    EXPECT_THAT(SelectedNames(), IsEmpty());
    EXPECT_EQ(Text(kNames, "1017"), "0");
    EXPECT_EQ(Text(kNames, "1018"), "0");
    EXPECT_EQ(selectAll->text(), "Deselect All");
    selectAll->click();
    EXPECT_EQ(selectAll->text(), "Select All");
    EXPECT_THAT(SelectedNames(), IsEmpty());
    EXPECT_EQ(Text(kNames, "1019"), "Maximum number of entries allowed in Telmo is 5.");
}

TEST_F(WizardTest, BackAndNextReadTheSourceAgainOnlyWhenItChanged)
{
    const auto source = WriteSource(kHeader + "Ann,Lee,1,,,,\n");
    GoToNames(source);
    Back();
    std::filesystem::remove(source);
    WriteSource(kHeader + "Bob,Lee,1,,,,\nCid,Lee,2,,,,\n");
    bool filledUnderWaitCursor = false;
    QObject::connect(NameList()->model(), &QAbstractItemModel::modelReset, [&] {
        const QCursor* cursor = QApplication::overrideCursor();
        filledUnderWaitCursor = cursor && cursor->shape() == Qt::WaitCursor;
    });
    Next();
    EXPECT_THAT(ListedNames(), ElementsAre("Bob Lee", "Cid Lee")) << "the changed file";
    EXPECT_TRUE(filledUnderWaitCursor);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    Back();
    Find<QComboBox>(kMatch, "1011")->setCurrentIndex(-1);
    Next();
    EXPECT_THAT(ListedNames(), ElementsAre("Bob", "Cid")) << "another column";
    Back();
    std::filesystem::remove(source);
    Next();
    EXPECT_THAT(ListedNames(), IsEmpty()) << "the file is gone";
    EXPECT_THAT(ShownTexts(), ElementsAre(kStringOpenSourceFailed));
}

TEST_F(WizardTest, DeleteExistingEntriesTogglesTheExistingCount)
{
    WriteIni(kFourLive);
    GoToNames(WriteSource(TwentyPeople()));
    SelectNames({"Ann Lee"});
    auto* deleteExisting = Find<QCheckBox>(kNames, "1015");
    deleteExisting->click();
    EXPECT_EQ(Text(kNames, "1016"), "0");
    EXPECT_EQ(Text(kNames, "1018"), "1");
    deleteExisting->click();
    EXPECT_EQ(Text(kNames, "1016"), "4");
    EXPECT_EQ(Text(kNames, "1018"), "5");
    EXPECT_EQ(Text(kNames, "1019"), "Maximum number of entries allowed in Telmo is 5.");
}

// ctest runs this under LC_ALL=de_DE.UTF-8 and LC_ALL=C as well.
TEST_F(WizardTest, TheListFollowsTheUsersAlphabeticalOrderAndEqualNamesKeepTheirOrder)
{
    const std::map<QString, QStringList> expectedOrders = {
        {"de_DE",
         {"Ann", "bob", "BOB", "\u00c7elik", "\u00c9lodie Martin", "Eva Weber", "Otto Berg",
          "\u00d6zlem Yildiz", "Ren\u00e9e Fa\u00dfbender", "Zo\u00e9"}},
        {"C",
         {"Ann", "bob", "BOB", "Eva Weber", "Otto Berg", "Ren\u00e9e Fa\u00dfbender", "Zo\u00e9",
          "\u00c7elik", "\u00c9lodie Martin", "\u00d6zlem Yildiz"}},
    };
    const QString locale = QLocale().collation().name();
    const auto expected = expectedOrders.find(locale);
    if (expected == expectedOrders.end())
        GTEST_SKIP() << "no order known for the locale " << locale.toStdString()
                     << " of this environment; run with LC_ALL=de_DE.UTF-8 or LC_ALL=C";
    GoToNames(WriteSource(kHeader + "Ren\xC3\xA9"
                                    "e,Fa\xC3\x9F"
                                    "bender,1,,,,\n"
                                    "\xC3\x96zlem,Yildiz,2,,,,\nbob,,3,,,,\n"
                                    "\xC3\x89lodie,Martin,4,,,,\nZo\xC3\xA9,,5,,,,\nBOB,,6,,,,\n"
                                    "Otto,Berg,7,,,,\n\xC3\x87"
                                    "elik,,8,,,,\nAnn,,9,,,,\n"
                                    "Eva,Weber,10,,,,\n"));
    EXPECT_EQ(ListedNames(), expected->second) << "in the locale " << locale.toStdString();
}

TEST_F(WizardTest, CancelOnAnyPageLeavesThePhoneBookByteForByte)
{
    WriteIni(kFourLive);
    const auto source = WriteSource(TwentyPeople());
    for (const int page : {kFrom, kFile, kMatch, kNames}) {
        Start();
        Next();
        Find<QLineEdit>(kFile, "1001")->setText(QString::fromStdString(source));
        Back();
        while (m_sheet->currentId() < page)
            Next();
        if (page == kNames) {
            Find<QCheckBox>(kNames, "1015")->click();
            Find<QPushButton>(kNames, "1013")->click();
        }
        Cancel();
        EXPECT_FALSE(m_sheet->isVisible()) << page;
        EXPECT_EQ(m_sheet->result(), QDialog::Rejected) << page;
        EXPECT_EQ(IniBytes(), kFourLive) << page;
    }
    EXPECT_THAT(m_answers.shown(), IsEmpty());
}

TEST_F(WizardTest, AFailedWriteIsReportedAndTheWizardStays)
{
    // A phone book inside something that is no folder cannot be written, not even by root.
    WriteIn(m_folder, "not-a-folder", "");
    m_ini = m_folder.path() / "not-a-folder" / "telmo.ini";
    GoToNames(WriteSource(TwentyPeople()));
    SelectNames({"Ann Lee"});
    Finish();
    ASSERT_EQ(m_answers.shown().size(), 1u);
    EXPECT_EQ(m_answers.shown()[0].caption, "Error");
    EXPECT_EQ(m_answers.shown()[0].icon, platform::MessageIcon::Exclamation);
    EXPECT_THAT(m_answers.shown()[0].text, testing::HasSubstr("could not be written"));
    EXPECT_TRUE(m_sheet->isVisible());
    EXPECT_EQ(m_sheet->currentId(), kNames);
}

TEST_F(WizardTest, AWriteThatFailedCanBeRetriedOnceThePhoneBookIsWritable)
{
    WriteIni(kFourLive);
    GoToNames(WriteSource(TwentyPeople()));
    Find<QCheckBox>(kNames, "1015")->click();
    SelectNames({"Ann Lee", "Bob Lee"});
    // The phone book becomes unwritable between the listing and Finish.
    std::filesystem::remove(m_ini);
    std::filesystem::create_directory(m_ini);
    Finish();
    EXPECT_EQ(m_sheet->currentId(), kNames);
    std::filesystem::remove(m_ini);
    WriteIn(m_folder, "telmo.ini", kFourLive);
    Finish();
    EXPECT_FALSE(m_sheet->isVisible());
    EXPECT_THAT(Names(LiveEntries()), ElementsAre("Ann Lee@0", "Bob Lee@1"));
    EXPECT_EQ(m_answers.shown().size(), 2u);
}

TEST_F(WizardTest, TheProgressBarMovesUnderTheWaitCursor)
{
    std::string text = kHeader;
    for (int i = 0; i < 3000; ++i)
        text += "Person" + std::to_string(i) + ",Lee,555-" + std::to_string(i) + ",,,,\n";
    GoToNames(WriteSource(text));
    SelectNames({"Person2999 Lee", "Person0 Lee"});
    auto* progress = Find<QProgressBar>(kNames, "1014");
    std::vector<int> shown;
    bool waitCursorThroughout = true;
    QObject::connect(progress, &QProgressBar::valueChanged, [&](int value) {
        shown.push_back(value);
        const QCursor* cursor = QApplication::overrideCursor();
        waitCursorThroughout = waitCursorThroughout && cursor && cursor->shape() == Qt::WaitCursor;
    });
    Finish();
    EXPECT_GE(shown.size(), 10u);
    EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end()));
    EXPECT_EQ(shown.back(), 100);
    EXPECT_TRUE(waitCursorThroughout);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_THAT(Names(LiveEntries()), ElementsAre("Person0 Lee@0", "Person2999 Lee@1"));
}

TEST_F(WizardTest, ASourceGoneAtFinishWritesNothingAndEndsTheWizard)
{
    WriteIni(kFourLive);
    const auto source = WriteSource(TwentyPeople());
    GoToNames(source);
    Find<QCheckBox>(kNames, "1015")->click();
    SelectNames({"Ann Lee"});
    std::filesystem::remove(source);
    Finish();
    EXPECT_THAT(ShownTexts(), ElementsAre(kStringOpenSourceFailed, kStringImportComplete));
    EXPECT_FALSE(m_sheet->isVisible());
    EXPECT_EQ(IniBytes(), kFourLive) << "not even the count is reset";
}

} // namespace
