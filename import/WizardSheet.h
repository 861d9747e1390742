#pragma once

#include "ColumnChoice.h"

#include <QWizard>
#include <filesystem>
#include <functional>
#include <string>

class CsvSource;
class CWizardPage;
class CWizardPage1;
class CWizardPage2;
class CWizardPage3;
class CWizardPage4;

// The import wizard: four pages in a fixed order and the state they share.
class CWizardSheet : public QWizard
{
    Q_OBJECT

public:
    enum PageId
    {
        kImportFromPage,
        kSelectFilePage,
        kMatchFieldsPage,
        kSelectNamesPage
    };

    // iniPath is the phone book file that Finish writes.
    explicit CWizardSheet(std::filesystem::path iniPath);

    const std::filesystem::path& IniPath() const { return m_iniPath; }

    int HomeColumn() const { return m_nHomeColumn; }
    void SetHomeColumn(int column) { m_nHomeColumn = column; }
    int WorkColumn() const { return m_nWorkColumn; }
    void SetWorkColumn(int column) { m_nWorkColumn = column; }
    int CellColumn() const { return m_nCellColumn; }
    void SetCellColumn(int column) { m_nCellColumn = column; }
    int FaxColumn() const { return m_nFaxColumn; }
    void SetFaxColumn(int column) { m_nFaxColumn = column; }
    int BeeperColumn() const { return m_nBeeperColumn; }
    void SetBeeperColumn(int column) { m_nBeeperColumn = column; }
    int NameColumn() const { return m_nNameColumn; }
    void SetNameColumn(int column) { m_nNameColumn = column; }
    int LastNameColumn() const { return m_nLastNameColumn; }
    void SetLastNameColumn(int column) { m_nLastNameColumn = column; }
    std::string SourcePath() const { return m_strSourcePath; }
    void SetSourcePath(const std::string& path) { m_strSourcePath = path; }

    ColumnChoice Columns() const;

    // Opens the source file for one reading; tells the user when it cannot be read.
    bool OpenSource(CsvSource& source);
    void ReportOpenSourceFailed();

    // Opens the program's help.
    void WinHelp();
    // Tests see that help was asked for instead of starting the desktop's handler.
    void SetHelpOpener(std::function<void()> openHelp);

    CWizardPage1& Page1() const { return *m_page1; }
    CWizardPage2& Page2() const { return *m_page2; }
    CWizardPage3& Page3() const { return *m_page3; }
    CWizardPage4& Page4() const { return *m_page4; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void OnInitDialog();
    void OnPageChanged(int id);

    int m_nHomeColumn = -1;
    int m_nWorkColumn = -1;
    int m_nCellColumn = -1;
    int m_nFaxColumn = -1;
    int m_nBeeperColumn = -1;
    int m_nNameColumn = -1;
    int m_nLastNameColumn = -1;
    std::string m_strSourcePath;
    CWizardPage1* m_page1;
    CWizardPage2* m_page2;
    CWizardPage3* m_page3;
    CWizardPage4* m_page4;

    std::filesystem::path m_iniPath;
    std::function<void()> m_openHelp;
    CWizardPage* m_activePage = nullptr;
    bool m_initialised = false;
};
