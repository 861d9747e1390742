#include "WizardPage4.h"

#include "CsvSource.h"
#include "ImportStrings.h"
#include "ImportWriting.h"
#include "LockedFile.h"
#include "LockedWrite.h"
#include "MessageBox.h"
#include "NameListModel.h"
#include "PhoneBookError.h"
#include "PhoneEntry.h"
#include "ProfileFile.h"
#include "WizardSheet.h"

#include <QApplication>
#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString kSelectAll = QStringLiteral("Select All");
const QString kDeselectAll = QStringLiteral("Deselect All");
const QString kMaximumText = QStringLiteral("Maximum number of entries allowed in Telmo is");

QLineEdit* MakeCountBox(const char* id)
{
    auto* box = new QLineEdit;
    box->setObjectName(QString::fromLatin1(id));
    box->setReadOnly(true);
    box->setAlignment(Qt::AlignRight);
    return box;
}

// The wait cursor for as long as a reading of the source runs, however it ends.
class WaitCursor
{
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace

CWizardPage4::CWizardPage4(CWizardSheet& sheet)
    : CWizardPage(sheet, "Select Names"), m_maximum(new QLabel(kMaximumText)),
      m_deleteExisting(new QCheckBox(QStringLiteral("Delete Existing Entries"))),
      m_lbNames(new QListView), m_names(new NameListModel(this)),
      m_selectAll(new QPushButton(kSelectAll)), m_existingBox(MakeCountBox("1016")),
      m_selectedBox(MakeCountBox("1017")), m_totalBox(MakeCountBox("1018")),
      m_progress(new QProgressBar)
{
    m_maximum->setObjectName(QStringLiteral("1019"));
    m_deleteExisting->setObjectName(QStringLiteral("1015"));
    m_lbNames->setObjectName(QStringLiteral("1006"));
    m_lbNames->setModel(m_names);
    m_lbNames->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_lbNames->setUniformItemSizes(true);
    m_lbNames->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_selectAll->setObjectName(QStringLiteral("1013"));
    m_progress->setObjectName(QStringLiteral("1014"));
    m_progress->setRange(0, 100);
    m_progress->setValue(0);

    connect(m_deleteExisting, &QCheckBox::clicked, this, &CWizardPage4::OnDeleteExisting);
    connect(m_selectAll, &QPushButton::clicked, this, &CWizardPage4::OnSelectAll);
    connect(m_lbNames->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CWizardPage4::OnSelChangeNames);

    auto* countsGroup = new QGroupBox(QStringLiteral("Entries count:"));
    auto* counts = new QFormLayout(countsGroup);
    counts->addRow(QStringLiteral("Existing:"), m_existingBox);
    counts->addRow(QStringLiteral("Selected:"), m_selectedBox);
    counts->addRow(QStringLiteral("Total:"), m_totalBox);

    auto* side = new QVBoxLayout;
    side->addWidget(m_selectAll);
    side->addWidget(countsGroup);
    side->addStretch();

    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("4. Select names to import from source file:")), 0,
                      0, 1, 2);
    layout->addWidget(m_maximum, 1, 0, 1, 2);
    layout->addWidget(m_deleteExisting, 2, 0, 1, 2);
    layout->addWidget(m_lbNames, 3, 0);
    layout->addLayout(side, 3, 1);
    layout->addWidget(new QLabel(QStringLiteral(
                          "These names are only those which have at least one number listed.")),
                      4, 0, 1, 2);
    layout->addWidget(m_progress, 5, 0, 1, 2);
    layout->setRowStretch(3, 1);
}

void CWizardPage4::OnSetActive()
{
    CountExisting();
    FillNameList();
    m_nSelected = NameListModel::CountSelected(m_lbNames->selectionModel()->selection());
    UpdateCounts();
}

void CWizardPage4::CountExisting()
{
    m_maximum->setText(kMaximumText + ' ' + QString::number(kPhoneBookCapacity) + '.');
    if (m_deleteExisting->isChecked())
        m_nExisting = 0;
    else
        m_nExisting = ::CountExisting(platform::ProfileFile(Sheet().IniPath()));
    UpdateCounts();
}

void CWizardPage4::FillNameList()
{
    // Back and Next with the same file and columns give the same list: only its selection
    // goes, and a large file is not read and sorted again.
    ListedSource listed{platform::FileStamp(Sheet().SourcePath()), Sheet().Columns()};
    if (m_listed && listed.file.exists && listed == *m_listed) {
        m_lbNames->clearSelection();
        m_lbNames->scrollToTop();
        return;
    }
    m_listed.reset();
    m_names->Clear();
    CsvSource source;
    if (!Sheet().OpenSource(source))
        return;
    const WaitCursor wait;
    m_names->SetRows(ListRows(source, listed.columns));
    m_listed = std::move(listed);
}

void CWizardPage4::UpdateCounts()
{
    m_existingBox->setText(QString::number(m_nExisting));
    m_selectedBox->setText(QString::number(m_nSelected));
    m_totalBox->setText(QString::number(m_nExisting + m_nSelected));
}

void CWizardPage4::OnSelChangeNames()
{
    m_nSelected = NameListModel::CountSelected(m_lbNames->selectionModel()->selection());
    UpdateCounts();
}

void CWizardPage4::OnSelectAll()
{
    if (m_selectAll->text() == kSelectAll) {
        m_selectAll->setText(kDeselectAll);
        m_lbNames->selectAll();
    } else {
        m_selectAll->setText(kSelectAll);
        m_lbNames->clearSelection();
    }
    OnSelChangeNames();
}

void CWizardPage4::OnDeleteExisting()
{
    if (m_deleteExisting->isChecked()) {
        m_nExisting = 0;
        UpdateCounts();
    } else {
        CountExisting();
    }
}

bool CWizardPage4::CheckCapacity()
{
    if (FitsCapacity(m_nExisting, m_nSelected))
        return true;
    ShowCapacityMessage();
    return false;
}

void CWizardPage4::ShowCapacityMessage()
{
    platform::ShowMessageBox(
        this, {"Only " + std::to_string(kPhoneBookCapacity) + " entries are allowed in Telmo.",
               "Error", platform::MessageButtons::Ok, platform::MessageIcon::Exclamation});
}

bool CWizardPage4::OnWizardFinish()
{
    if (!CheckCapacity() || !ImportEntries())
        return false;
    platform::ShowMessageBox(this, {kStringImportComplete, "Done"});
    return true;
}

bool CWizardPage4::ImportEntries()
{
    const WaitCursor wait;
    CsvSource source;
    if (!Sheet().OpenSource(source))
        return true; // nothing to write; the wizard ends as after an import
    m_progress->setValue(0);
    ProgressSteps steps;
    const std::optional<std::vector<SourceRow>> rows = ReadChosenRows(
        source, Sheet().Columns(), m_names->SelectedRows(m_lbNames->selectionModel()->selection()),
        [&](std::uint64_t position) {
            if (const auto percent = steps.Advance(position, source.Length()))
                m_progress->setValue(*percent);
        });
    source.Close();
    m_progress->setValue(100);
    if (!rows) {
        // The names as they stand now, so the user can choose again.
        platform::ShowMessageBox(this, {"The import source changed after its names were listed. "
                                        "Nothing was imported; select the names again.",
                                        "Error", platform::MessageButtons::Ok,
                                        platform::MessageIcon::Exclamation});
        OnSetActive();
        return false;
    }

    platform::ProfileFile file(Sheet().IniPath());
    const std::error_code error = platform::WriteAskingWhileHeld(
        this, file.Path(), [&] { return WriteImport(file, *rows, m_deleteExisting->isChecked()); });
    if (!error)
        return true;
    // A file another program kept locked was named when the user chose not to try again.
    if (error == platform::FileLockError::Held)
        return false;
    if (error == PhoneBookError::Full) {
        // Another program added entries since they were counted.
        ShowCapacityMessage();
        CountExisting();
        return false;
    }
    platform::ShowMessageBox(this, {"The phone book " + file.Path().string() +
                                        " could not be written: " + error.message() + ".",
                                    "Error", platform::MessageButtons::Ok,
                                    platform::MessageIcon::Exclamation});
    return false;
}
