#include "WizardSheet.h"

#include "CsvSource.h"
#include "ImportStrings.h"
#include "WizardPage1.h"
#include "WizardPage2.h"
#include "WizardPage3.h"
#include "WizardPage4.h"
#include "process/Shell.h"
#include "qt/MessageBox.h"

#include <QScreen>
#include <QShortcut>

CWizardSheet::CWizardSheet(std::filesystem::path iniPath)
    : m_page1(new CWizardPage1(*this)), m_page2(new CWizardPage2(*this)),
      m_page3(new CWizardPage3(*this)), m_page4(new CWizardPage4(*this)),
      m_iniPath(std::move(iniPath)), m_openHelp([] { platform::OpenHelp(); })
{
    setWindowTitle(QString::fromLocal8Bit(kStringWizardCaption));
    setWizardStyle(QWizard::ClassicStyle);
    setOption(QWizard::HaveHelpButton);
    setPage(kImportFromPage, m_page1);
    setPage(kSelectFilePage, m_page2);
    setPage(kMatchFieldsPage, m_page3);
    setPage(kSelectNamesPage, m_page4);
    setStartId(kImportFromPage);
    connect(this, &QWizard::currentIdChanged, this, &CWizardSheet::OnPageChanged);
    connect(this, &QWizard::helpRequested, this, &CWizardSheet::WinHelp);
    auto* help = new QShortcut(QKeySequence::HelpContents, this);
    connect(help, &QShortcut::activated, this, &CWizardSheet::WinHelp);
}

ColumnChoice CWizardSheet::Columns() const
{
    ColumnChoice columns;
    columns.name = m_nNameColumn;
    columns.lastName = m_nLastNameColumn;
    columns.home = m_nHomeColumn;
    columns.work = m_nWorkColumn;
    columns.cell = m_nCellColumn;
    columns.fax = m_nFaxColumn;
    columns.beeper = m_nBeeperColumn;
    return columns;
}

bool CWizardSheet::OpenSource(CsvSource& source)
{
    if (source.Open(m_strSourcePath))
        return true;
    ReportOpenSourceFailed();
    return false;
}

void CWizardSheet::ReportOpenSourceFailed()
{
    platform::ShowMessageBox(this, {kStringOpenSourceFailed, "Error", platform::MessageButtons::Ok,
                                    platform::MessageIcon::Exclamation});
}

void CWizardSheet::WinHelp()
{
    m_openHelp();
}

void CWizardSheet::SetHelpOpener(std::function<void()> openHelp)
{
    m_openHelp = std::move(openHelp);
}

void CWizardSheet::showEvent(QShowEvent* event)
{
    QWizard::showEvent(event);
    if (!m_initialised) {
        m_initialised = true;
        OnInitDialog();
    }
}

void CWizardSheet::OnInitDialog()
{
    // One size, as the original's property sheet, before the window is mapped: tiling window
    // managers float a window whose least and greatest sizes agree (on Wayland the only sign of
    // a dialog without a parent). A page that needs more still gets it.
    setFixedSize(size());
    if (const QScreen* shown = screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(shown->availableGeometry().center());
        move(frame.topLeft());
    }
}

void CWizardSheet::OnPageChanged(int id)
{
    if (m_activePage)
        m_activePage->OnKillActive();
    m_activePage = qobject_cast<CWizardPage*>(page(id));
    if (m_activePage)
        m_activePage->OnSetActive();
}
