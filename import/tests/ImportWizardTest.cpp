#include "ImportStrings.h"
#include "PhoneBook.h"
#include "WizardSheet.h"
#include "qt/FileDialog.h"
#include "qt/MessageBox.h"
#include "support/TelmoIni.h"
#include "support/TempFolder.h"

#include <QTest>
#include <QtWidgets>
#include <gmock/gmock.h>

using testing::ElementsAre;
using Page = CWizardSheet::PageId;

namespace {

constexpr auto kFrom = CWizardSheet::kImportFromPage;
constexpr auto kFile = CWizardSheet::kSelectFilePage;
constexpr auto kMatch = CWizardSheet::kMatchFieldsPage;
constexpr auto kNames = CWizardSheet::kSelectNamesPage;
const std::string kHeader = "First Name,Last Name,Home Phone,Work Phone,Mobile Phone,Fax,Pager\n";
const char* const kTooMany = "Only 5 entries are allowed in Telmo.";

// Four live entries in name order Bob, Dan, Eve, Gus, one marked deleted, and Hal if asked.
std::string Book(bool withHal = false)
{
    testsupport::TelmoIni ini;
    ini.General(withHal ? 6 : 5, withHal ? 4 : 3).Item(0, "Eve", {"0"}, 2).Item(1, "Bob", {"1"}, 0);
    ini.Item(2, "Old", {"2"}, 0, 1).Item(3, "Gus", {"3"}, 3).Item(4, "Dan", {"4"}, 1);
    return withHal ? ini.Item(5, "Hal", {"5"}, 4).str() : ini.str();
}

// Ax Lee, Bx Lee, ... Tx Lee, with home numbers 555-100 ... and work numbers 666-100 ...
std::string TwentyPeople()
{
    std::string text = kHeader;
    for (int n = 0; n < 20; ++n)
        text += std::string{static_cast<char>('A' + n), 'x'} + ",Lee,555-" +
                std::to_string(100 + n) + ",666-" + std::to_string(100 + n) + "\n";
    return text;
}

// Drives the wizard as a user would, on a phone book and a source file in a temporary folder;
// message boxes are answered and recorded.
class WizardTest : public testing::Test
{
protected:
    std::string WriteSource(const std::string& text, const std::string& name = "source.csv")
    {
        testsupport::WriteFile(m_folder / name, text);
        return (m_folder / name).string();
    }
    void Press(QWizard::WizardButton button) { m_sheet->button(button)->click(); }
    // Page 4 reads the source beside the wizard; these wait until the reading has reported.
    void Next()
    {
        Press(QWizard::NextButton);
        WaitForReading();
    }
    void Back() { Press(QWizard::BackButton); }
    void Finish()
    {
        Press(QWizard::FinishButton);
        WaitForReading();
    }
    void WaitForReading()
    {
        EXPECT_TRUE(QTest::qWaitFor([this] { return m_sheet->page(kNames)->isComplete(); }, 30000));
    }
    // A new wizard, moved to the page with the source's path typed on page 2.
    void GoTo(Page page, const std::string& source)
    {
        m_sheet = std::make_unique<CWizardSheet>(m_ini);
        m_sheet->SetHelpOpener([this] { ++m_helpOpened; });
        m_sheet->show();
        Next();
        Find<QLineEdit>(kFile, "1001")->setText(QString::fromStdString(source));
        while (m_sheet->currentId() < page)
            Next();
        if (page == kFrom)
            Back();
    }
    template <class Control> Control* Find(Page page, const std::string& id) const
    {
        auto* control = m_sheet->page(page)->findChild<Control*>(QString::fromStdString(id));
        EXPECT_NE(control, nullptr) << "control " << id << " on page " << page;
        return control;
    }
    QString Text(Page page, const std::string& id) const
    {
        return Find<QWidget>(page, id)->property("text").toString();
    }
    // Existing, selected and total on page 4.
    QString Counts() const
    {
        return Text(kNames, "1016") + ' ' + Text(kNames, "1017") + ' ' + Text(kNames, "1018");
    }
    QListView* NameList() const { return Find<QListView>(kNames, "1006"); }
    QStringList ListedNames() const
    {
        QStringList names;
        for (int row = 0; row < NameList()->model()->rowCount(); ++row)
            names << NameList()->model()->index(row, 0).data().toString();
        return names;
    }
    // Selects or deselects the items at these rows, as clicks with Ctrl held would.
    void Select(std::initializer_list<int> rows, bool select = true) const
    {
        for (const int row : rows)
            NameList()->selectionModel()->select(NameList()->model()->index(row, 0),
                                                 select ? QItemSelectionModel::Select
                                                        : QItemSelectionModel::Deselect);
    }
    std::vector<std::string> LiveNames() const
    {
        std::vector<std::string> names;
        for (const PhoneEntry& entry : CPhoneBook(m_ini).LiveEntries())
            names.push_back(entry.name + "@" + std::to_string(entry.pos));
        return names;
    }
    std::vector<std::string> Shown() const
    {
        std::vector<std::string> texts;
        for (const platform::MessageBoxRequest& request : m_answers.shown())
            texts.push_back(request.text);
        return texts;
    }

    testsupport::TempFolder m_folder;
    std::filesystem::path m_ini = m_folder / "telmo.ini";
    platform::ScopedMessageBoxAnswers m_answers;
    int m_helpOpened = 0;
    std::unique_ptr<CWizardSheet> m_sheet;
};

TEST_F(WizardTest, FourPagesInOrderEachOfferingItsButtonsBrowsingAndHelp)
{
    GoTo(kFrom, WriteSource(kHeader + "Ann,Lee,1\n"));
    EXPECT_EQ(m_sheet->pageIds(), QList<int>({kFrom, kFile, kMatch, kNames}));
    const QPoint centre = m_sheet->screen()->availableGeometry().center();
    EXPECT_LE((m_sheet->frameGeometry().center() - centre).manhattanLength(), 1);
    Find<QRadioButton>(kFrom, "1000")->setChecked(false);
    // clang-format off
    const std::pair<QWizard::WizardButton, const char*> buttons[] = {
        {QWizard::HelpButton, "Help"}, {QWizard::BackButton, "Back"}, {QWizard::NextButton, "Next"},
        {QWizard::FinishButton, "Finish"}, {QWizard::CancelButton, "Cancel"}};
    // clang-format on
    for (const char* expected : {"Help Next Cancel", "Help Back Next Cancel",
                                 "Help Back Next Cancel", "Help Back Finish Cancel"}) {
        QStringList offered;
        for (const auto& [which, name] : buttons)
            if (m_sheet->button(which)->isVisible() && m_sheet->button(which)->isEnabled())
                offered << name;
        EXPECT_EQ(offered.join(' '), expected) << m_sheet->currentId();
        Next();
    }
    while (m_sheet->currentId() != kFrom)
        Back();
    EXPECT_TRUE(Find<QRadioButton>(kFrom, "1000")->isChecked()) << "CSV at every showing";
    EXPECT_FALSE(Find<QRadioButton>(kFrom, "1001")->isEnabled()) << "never the address book";

    // Browsing starts at the typed name, and help opens from key and button.
    Next();
    Find<QLineEdit>(kFile, "1001")->setText("/home/ann/contacts");
    std::optional<std::string> answer = "/home/ann/contacts.csv";
    platform::ScopedOpenFileDialogAnswers dialogs(
        [&](const platform::OpenFileRequest&) { return std::exchange(answer, {}); });
    Find<QPushButton>(kFile, "1002")->click();
    Find<QPushButton>(kFile, "1002")->click();
    EXPECT_EQ(Text(kFile, "1001"), "/home/ann/contacts.csv") << "kept when cancelled";
    EXPECT_EQ(dialogs.shown().at(0).initialFileName, "/home/ann/contacts");
    EXPECT_EQ(dialogs.shown().at(1).initialFileName, "/home/ann/contacts.csv");
    m_sheet->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_sheet.get()));
    QTest::keyClick(m_sheet.get(), Qt::Key_F1);
    Press(QWizard::HelpButton);
    EXPECT_EQ(m_helpOpened, 2);
    EXPECT_EQ(m_sheet->currentId(), kFile) << "help leaves the wizard where it was";
}

TEST_F(WizardTest, AnUnusableOrVanishedSourceIsReportedOnEachReadingAndNothingIsWritten)
{
    testsupport::WriteFile(m_ini, Book());
    GoTo(kNames, WriteSource(TwentyPeople()));
    Find<QCheckBox>(kNames, "1015")->click();
    Select({0});
    std::filesystem::remove(m_folder / "source.csv");
    Finish(); // nothing to write, and the wizard ends as after an import
    EXPECT_FALSE(m_sheet->isVisible());
    GoTo(kNames, "");
    EXPECT_EQ(Find<QComboBox>(kMatch, "1003")->count(), 0);
    EXPECT_TRUE(ListedNames().isEmpty());
    EXPECT_THAT(Shown(), ElementsAre(kStringOpenSourceFailed, kStringImportComplete,
                                     kStringOpenSourceFailed, kStringOpenSourceFailed));
    EXPECT_EQ(m_answers.shown()[0].caption, "Error");
    EXPECT_EQ(m_answers.shown()[0].icon, platform::MessageIcon::Exclamation);
    EXPECT_EQ(testsupport::ReadFile(m_ini), Book()) << "not even the existing entries discarded";
}

TEST_F(WizardTest, MatchFieldsShowsSamplesAndKeepsItsChoicesOnlyForTheSameFile)
{
    GoTo(kMatch, WriteSource("Name,Phone,Last Name\nAnn,1,Lee\n", "first.csv"));
    Find<QComboBox>(kMatch, "1004")->setCurrentIndex(1); // the user says "Phone" is the home number
    Find<QRadioButton>(kMatch, "1013")->click();
    EXPECT_EQ(Text(kMatch, "1009"), "Full Name:");
    EXPECT_FALSE(Find<QComboBox>(kMatch, "1011")->isVisible());
    EXPECT_FALSE(Find<QLabel>(kMatch, "1011-sample")->isVisible());
    Next();
    EXPECT_EQ(m_sheet->Columns(), (ColumnChoice{0, -1, 1}));
    Back();
    EXPECT_EQ(Text(kMatch, "1009"), "Full Name:") << "the mode lasts";
    Find<QRadioButton>(kMatch, "1012")->click();
    EXPECT_TRUE(Find<QComboBox>(kMatch, "1011")->isVisible());
    Back();
    Next();
    EXPECT_EQ(Find<QComboBox>(kMatch, "1004")->count(), 3) << "each name once";
    Next();
    EXPECT_EQ(m_sheet->Columns(), (ColumnChoice{0, 2, 1})) << "the same file keeps its choices";
    Back();
    Back();
    WriteSource("Mobile,Name,Fax,Home\n3,Bob,4,5\n", "second.csv");
    Find<QLineEdit>(kFile, "1001")->setText((m_folder / "second.csv").c_str());
    Next();
    Next();
    EXPECT_EQ(m_sheet->Columns(), (ColumnChoice{1, -1, 3, -1, 0, 2})) << "proposed anew";

    // Beside each field is the first value of the chosen column, as plain text like every text
    // of the file.
    const std::string tooLong =
        "<i>Gesch\u00e4ftliche</i> Adresse, Postleitzahl und Ort der Niederlassung";
    const std::string markup = "<b>Ann</b> <img src=/home/ann/ann.png> of the long notes";
    GoTo(kMatch,
         WriteSource("Name,Notes,Home Phone,Work,\"" + tooLong + "\",Web\nAnn,  ,,,," + markup +
                     "\n\"Lee, Bob\",\"Line one\nline two\",,\"030, 12\",\n"
                     "Cid,,555,,\n"));
    const auto sample = [this](const char* id) {
        EXPECT_EQ(Find<QLabel>(kMatch, id + std::string("-sample"))->textFormat(), Qt::PlainText);
        return Text(kMatch, id + std::string("-sample"));
    };
    // What a tooltip shows: its text, or the text of its markup.
    const auto toolTipShown = [this](const char* id) {
        QTextDocument shown;
        const QString toolTip = Find<QWidget>(kMatch, id)->toolTip();
        Qt::mightBeRichText(toolTip) ? shown.setHtml(toolTip) : shown.setPlainText(toolTip);
        return shown.toPlainText();
    };
    EXPECT_EQ(sample("1003"), "Ann");
    EXPECT_EQ(sample("1004"), "555") << "the first record that has a value";
    EXPECT_EQ(sample("1005"), "030, 12");
    EXPECT_EQ(sample("1006"), "") << "no column chosen";
    Find<QComboBox>(kMatch, "1006")->setCurrentIndex(1);
    EXPECT_EQ(sample("1006"), "Line one \u21b5 line two");
    Find<QComboBox>(kMatch, "1007")->setCurrentIndex(5);
    EXPECT_TRUE(QString::fromStdString(markup).startsWith(sample("1007").chopped(1)));
    EXPECT_EQ(toolTipShown("1007-sample"), QString::fromStdString(markup));
    EXPECT_EQ(Find<QComboBox>(kMatch, "1005")->toolTip(), "") << "a short name needs none";
    Find<QComboBox>(kMatch, "1005")->setCurrentIndex(4);
    EXPECT_EQ(sample("1005"), "") << "empty throughout";
    EXPECT_EQ(toolTipShown("1005"), QString::fromStdString(tooLong));
}

TEST_F(WizardTest, ChosenNamesEachFromItsOwnRowGoIntoTheBookInNameOrderUnderTheProgressBar)
{
    GoTo(kNames, WriteSource(TwentyPeople()));
    EXPECT_EQ(Text(kNames, "1019"), "Maximum number of entries allowed in Telmo is 5.");
    Select({18, 0, 10});
    EXPECT_EQ(Counts(), "0 3 3");
    std::vector<int> shown;
    QWizardPage* page = m_sheet->page(kNames);
    QObject::connect(Find<QProgressBar>(kNames, "1014"), &QProgressBar::valueChanged,
                     [&](int value) {
                         const bool busy = page->cursor().shape() == Qt::BusyCursor;
                         shown.push_back(busy && !page->isComplete() ? value : -1);
                     });
    Finish(); // how often the bar moves on depends on how fast the reading goes
    ASSERT_FALSE(shown.empty());
    EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end()))
        << "reading, and showing it, throughout";
    EXPECT_GE(shown.front(), 0);
    EXPECT_EQ(shown.back(), 100);
    EXPECT_FALSE(page->testAttribute(Qt::WA_SetCursor));
    EXPECT_EQ(m_sheet->result(), QDialog::Accepted);
    EXPECT_THAT(Shown(), ElementsAre(kStringImportComplete));
    EXPECT_EQ(m_answers.shown()[0].caption, "Done");
    EXPECT_THAT(LiveNames(), ElementsAre("Ax Lee@0", "Kx Lee@1", "Sx Lee@2"));
    EXPECT_EQ(CPhoneBook(m_ini).LiveEntries()[2].workPhone, "666-118");

    // Each listed item imports its own row, even among equal names.
    GoTo(kNames, WriteSource(kHeader + "Ann,Lee,111\nAnn,Lee,,222\nAnn,Lee\n"));
    EXPECT_THAT(ListedNames(), ElementsAre("Ann Lee", "Ann Lee")) << "rows without numbers not";
    Select({1});
    Finish();
    EXPECT_THAT(LiveNames(), ElementsAre("Ann Lee@0", "Ax Lee@1", "Kx Lee@2", "Sx Lee@3"));
    EXPECT_EQ(CPhoneBook(m_ini).LiveEntries()[0].workPhone, "222");
}

TEST_F(WizardTest, FinishRefusesTooManyNamesOrAChangeMadeMeanwhileAndWritesOnceItCan)
{
    testsupport::WriteFile(m_ini, Book());
    GoTo(kNames, WriteSource(TwentyPeople()));
    Select({0, 1});
    EXPECT_EQ(Counts(), "4 2 6") << "the deleted section is not counted";
    Finish();
    EXPECT_THAT(Shown(), ElementsAre(kTooMany));
    EXPECT_EQ(m_sheet->currentId(), kNames);
    EXPECT_EQ(testsupport::ReadFile(m_ini), Book());
    Find<QCheckBox>(kNames, "1015")->click();
    EXPECT_EQ(Counts(), "0 2 2");
    Find<QCheckBox>(kNames, "1015")->click();
    Select({1}, false);
    EXPECT_EQ(Counts(), "4 1 5");
    testsupport::WriteFile(m_ini, Book(true)); // the tray added a fifth entry meanwhile
    Finish();
    EXPECT_THAT(Shown(), ElementsAre(kTooMany, kTooMany));
    EXPECT_EQ(Text(kNames, "1016"), "5") << "counted anew";

    // The source lost the chosen row; Delete Existing Entries must not empty the book either.
    Find<QCheckBox>(kNames, "1015")->click();
    WriteSource(kHeader + "Rx" + TwentyPeople().substr(kHeader.size() + 2));
    Finish();
    EXPECT_EQ(Shown().back(), "The import source changed after its names were listed. Nothing "
                              "was imported; select the names again.");
    EXPECT_TRUE(ListedNames().contains("Rx Lee")) << "listed anew";

    // The book cannot be written; once it can, Finish goes through.
    Select({0, 1});
    std::filesystem::remove(m_ini);
    std::filesystem::create_directory(m_ini);
    Finish();
    EXPECT_THAT(Shown().back(), testing::HasSubstr("could not be written"));
    EXPECT_EQ(m_answers.shown().back().icon, platform::MessageIcon::Exclamation);
    EXPECT_EQ(m_sheet->currentId(), kNames);
    std::filesystem::remove(m_ini);
    testsupport::WriteFile(m_ini, Book(true));
    Finish();
    EXPECT_FALSE(m_sheet->isVisible());
    EXPECT_THAT(LiveNames(), ElementsAre("Bx Lee@0", "Cx Lee@1"));
}

// While the source is read, the page's controls are disabled and the keyboard focus moves on to a
// count; keys typed once the reading has ended must reach the controls again.
TEST_F(WizardTest, AReadingGivesTheKeyboardBackToItsControlOrWhereThePageStarts)
{
    std::string many = kHeader;
    for (int n = 0; n < 300000; ++n)
        many += "Name" + std::to_string(n) + ",Lee,555-" + std::to_string(n) + "\n";
    GoTo(kMatch, WriteSource(many));
    m_sheet->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_sheet.get()));
    Press(QWizard::NextButton);
    ASSERT_FALSE(m_sheet->page(kNames)->isComplete()) << "the list takes a while to read";
    WaitForReading();
    EXPECT_EQ(QApplication::focusWidget(), Find<QCheckBox>(kNames, "1015"))
        << "the page opened reading";

    WriteSource(TwentyPeople());
    Back();
    Next();
    NameList()->setFocus();
    Select({0});
    WriteSource(kHeader + "Rx" + TwentyPeople().substr(kHeader.size() + 2));
    Finish(); // refused: the source changed meanwhile
    EXPECT_EQ(QApplication::focusWidget(), NameList());
    EXPECT_EQ(m_sheet->currentId(), kNames);
}

TEST_F(WizardTest, BackAndNextRefillTheListWithoutSelectionReadingOnlyAChangedSourceAndCancel)
{
    testsupport::WriteFile(m_ini, Book());
    const std::string source = WriteSource(TwentyPeople());
    GoTo(kNames, source);
    Select({0});
    Press(QWizard::FinishButton); // Back while the import reads the source ends the reading
    EXPECT_FALSE(m_sheet->button(QWizard::FinishButton)->isEnabled());
    Back();
    EXPECT_TRUE(m_sheet->page(kNames)->isComplete());
    QApplication::processEvents();
    Next();
    auto* selectAll = Find<QPushButton>(kNames, "1013");
    selectAll->click();
    EXPECT_EQ(Counts(), "4 20 24");
    Back();
    Next();
    EXPECT_EQ(ListedNames().size(), 20);
    EXPECT_EQ(Counts(), "4 0 4");
    EXPECT_FALSE(NameList()->selectionModel()->hasSelection());
    EXPECT_EQ(selectAll->text(), "Deselect All");
    selectAll->click();
    EXPECT_EQ(selectAll->text(), "Select All");
    Back();
    std::filesystem::remove(source);
    WriteSource(kHeader + "Bob,Lee,1\nCid,Lee,2\n");
    Next();
    EXPECT_THAT(ListedNames(), ElementsAre("Bob Lee", "Cid Lee")) << "the changed file";
    Back();
    Find<QComboBox>(kMatch, "1011")->setCurrentIndex(-1);
    Next();
    EXPECT_THAT(ListedNames(), ElementsAre("Bob", "Cid")) << "another column";
    Find<QCheckBox>(kNames, "1015")->click();
    Select({0});
    Press(QWizard::FinishButton); // so does Cancel
    Press(QWizard::CancelButton);
    EXPECT_TRUE(m_sheet->page(kNames)->isComplete());
    QApplication::processEvents();
    EXPECT_EQ(m_sheet->result(), QDialog::Rejected);
    EXPECT_EQ(testsupport::ReadFile(m_ini), Book()) << "Cancel writes nothing";
    EXPECT_TRUE(m_answers.shown().empty());
}

// ctest runs this under LC_ALL=de_DE.UTF-8 and LC_ALL=C as well.
TEST_F(WizardTest, TheListFollowsTheUsersAlphabeticalOrderAndEqualNamesKeepTheirOrder)
{
    const std::map<QString, QString> expectedOrders = {
        {"de_DE", "Ann|bob|BOB|\u00c7elik|\u00c9lodie Martin|Eva Weber|Otto Berg|\u00d6zlem "
                  "Yildiz|Ren\u00e9e Fa\u00dfbender|Zo\u00e9"},
        {"C", "Ann|bob|BOB|Eva Weber|Otto Berg|Ren\u00e9e Fa\u00dfbender|Zo\u00e9|\u00c7elik|"
              "\u00c9lodie Martin|\u00d6zlem Yildiz"}};
    const auto expected = expectedOrders.find(QLocale().collation().name());
    if (expected == expectedOrders.end())
        GTEST_SKIP() << "no order known for the locale of this environment";
    GoTo(kNames, WriteSource(kHeader + "Ren\u00e9e,Fa\u00dfbender,1\n\u00d6zlem,Yildiz,2\nbob,,3\n"
                                       "\u00c9lodie,Martin,4\nZo\u00e9,,5\nBOB,,6\nOtto,Berg,7\n"
                                       "\u00c7elik,,8\nAnn,,9\nEva,Weber,10\n"));
    EXPECT_EQ(ListedNames().join('|'), expected->second);
}

} // namespace
