#pragma once

#include "MessageBox.h"
#include "TestFiles.h"
#include "WizardSheet.h"

#include <QStringList>
#include <QWizard>
#include <gtest/gtest.h>
#include <memory>

class QListView;
struct PhoneEntry;

// Drives the import wizard as a user would, offscreen, on a phone book and a source file in
// a temporary folder. Message boxes are answered and recorded.
class WizardTest : public testing::Test
{
protected:
    WizardTest();
    ~WizardTest() override;

    void WriteIni(std::string_view text) const { WriteIn(m_folder, "telmo.ini", text); }
    std::string IniBytes() const { return testsupport::ReadFile(m_ini); }
    std::filesystem::path WriteSource(std::string_view text,
                                      const std::string& name = "source.csv");

    CWizardSheet& Start();
    void Next();
    void Back();
    void Finish();
    void Cancel();
    // From the first page to the column matching or the name list, with the given path typed
    // on page 2.
    void GoToMatchFields(const std::filesystem::path& source);
    void GoToNames(const std::filesystem::path& source);

    template <class Control> Control* Find(CWizardSheet::PageId page, const char* id) const
    {
        Control* control = m_sheet->page(page)->findChild<Control*>(QString::fromLatin1(id));
        EXPECT_NE(control, nullptr) << "control " << id << " on page " << page;
        return control;
    }
    QString Text(CWizardSheet::PageId page, const char* id) const;
    // The buttons a user can press now, by name, in the order Help Back Next Finish Cancel.
    QStringList OfferedButtons() const;

    QListView* NameList() const;
    QStringList ListedNames() const;
    QStringList SelectedNames() const;
    // Selects one not yet selected item of each name, as a click with Ctrl held would.
    void SelectNames(const QStringList& names) const;
    void ChooseColumn(const char* comboId, int column) const;
    // The column each combo box on page 3 shows now.
    ColumnChoice ShownColumns() const;

    std::vector<PhoneEntry> LiveEntries() const;
    std::vector<std::string> ShownTexts() const;

    testsupport::TempFolder m_folder;
    std::filesystem::path m_ini;
    platform::ScopedMessageBoxAnswers m_answers;
    int m_helpOpened = 0;
    std::unique_ptr<CWizardSheet> m_sheet;
};
