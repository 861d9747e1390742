#include "WizardPage4.h"

#include "CsvSource.h"
#include "ImportStrings.h"
#include "ImportWriting.h"
#include "NameListModel.h"
#include "PhoneBookError.h"
#include "PhoneEntry.h"
#include "WizardSheet.h"
#include "files/LockedFile.h"
#include "files/ProfileFile.h"
#include "qt/LockedWrite.h"
#include "qt/MessageBox.h"

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
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

namespace {

const QString kSelectAll = QStringLiteral("Select All");
const QString kDeselectAll = QStringLiteral("Deselect All");
const QString kMaximumText = QStringLiteral("Maximum number of entries allowed in Telmo is");
constexpr int kNamesLaidOutAtOnce = 20000;
// A list that takes no longer to read comes with the page, with no bar moving first.
constexpr std::chrono::milliseconds kListShownWithThePage(50);

QLineEdit* MakeCountBox(const char* id)
{
    auto* box = new QLineEdit;
    box->setObjectName(QString::fromLatin1(id));
    box->setReadOnly(true);
    box->setAlignment(Qt::AlignRight);
    return box;
}

} // namespace

CWizardPage4::CWizardPage4(CWizardSheet& sheet)
    : CWizardPage(sheet, "Select Names"), m_maximum(new QLabel(kMaximumText)),
      m_deleteExisting(new QCheckBox(QStringLiteral("Delete Existing Entries"))),
      m_lbNames(new QListView), m_names(new NameListModel(this)),
      m_selectAll(new QPushButton(kSelectAll)), m_existingBox(MakeCountBox("1016")),
      m_selectedBox(MakeCountBox("1017")), m_totalBox(MakeCountBox("1018")),
      m_progress(new QProgressBar), m_readingWatch(new QTimer(this))
{
    // Often enough for a moving bar, seldom enough to cost nothing.
    m_readingWatch->setInterval(25);
    connect(m_readingWatch, &QTimer::timeout, this, &CWizardPage4::WatchReading);
    m_maximum->setObjectName(QStringLiteral("1019"));
    m_deleteExisting->setObjectName(QStringLiteral("1015"));
    m_lbNames->setObjectName(QStringLiteral("1006"));
    m_lbNames->setModel(m_names);
    m_lbNames->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_lbNames->setUniformItemSizes(true);
    // A list of a million names is laid out in steps between turns of the event loop.
    m_lbNames->setLayoutMode(QListView::Batched);
    m_lbNames->setBatchSize(kNamesLaidOutAtOnce);
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

void CWizardPage4::OnKillActive()
{
    // Back or Cancel: a reading still running is no longer wanted.
    StopReading();
}

bool CWizardPage4::isComplete() const
{
    return !m_reading;
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
    struct Found
    {
        ListedRows rows;
        std::optional<std::vector<std::size_t>> order;
    };
    auto found = std::make_shared<Found>();
    // The first half of the bar for reading the file, the second for sorting the names.
    StartReading(
        [found, columns = listed.columns](CsvSource& source, const WorkProgress& progress) {
            found->rows = ListRows(source, columns, [&](std::uint64_t done, std::uint64_t total) {
                return progress(done, 2 * total);
            });
            found->order =
                SortedNameOrder(found->rows, [&](std::uint64_t done, std::uint64_t total) {
                    return progress(total + done, 2 * total);
                });
        },
        [this, found, listed](bool opened) {
            m_progress->setValue(0); // the bar is the import's again
            if (!opened)
                return;
            // Only a reading that was stopped sorts nothing, and that one comes to no end here.
            m_names->SetRows(std::move(found->rows), std::move(found->order.value()));
            m_listed = listed;
        },
        kListShownWithThePage);
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
    // The import reads the source in the background and closes the wizard once it is done.
    if (m_imported)
        return true;
    if (CheckCapacity())
        ImportEntries();
    return false;
}

void CWizardPage4::ImportEntries()
{
    auto rows = std::make_shared<std::optional<std::vector<SourceRow>>>();
    StartReading(
        [rows, columns = Sheet().Columns(),
         chosen = m_names->SelectedRows(m_lbNames->selectionModel()->selection())](
            CsvSource& source, const WorkProgress& progress) {
            *rows = ReadChosenRows(source, columns, chosen, progress);
        },
        [this, rows](bool opened) {
            m_progress->setValue(100);
            if (!opened)
                return FinishImport(); // nothing to write; the wizard ends as after an import
            if (!*rows) {
                // The names as they stand now, so the user can choose again.
                platform::ShowMessageBox(
                    this,
                    {"The import source changed after its names were listed. Nothing was "
                     "imported; select the names again.",
                     "Error", platform::MessageButtons::Ok, platform::MessageIcon::Exclamation});
                return OnSetActive();
            }
            WriteChosenRows(**rows);
        });
}

void CWizardPage4::WriteChosenRows(const std::vector<SourceRow>& rows)
{
    platform::ProfileFile file(Sheet().IniPath());
    const std::error_code error = platform::WriteAskingWhileHeld(
        this, file.Path(), [&] { return WriteImport(file, rows, m_deleteExisting->isChecked()); });
    if (!error)
        return FinishImport();
    // A file another program kept locked was named when the user chose not to try again.
    if (error == platform::FileLockError::Held)
        return;
    if (error == PhoneBookError::Full) {
        // Another program added entries since they were counted, or the book has no section
        // number left.
        ShowCapacityMessage();
        return CountExisting();
    }
    platform::ShowMessageBox(this, {"The phone book " + file.Path().string() +
                                        " could not be written: " + error.message() + ".",
                                    "Error", platform::MessageButtons::Ok,
                                    platform::MessageIcon::Exclamation});
}

void CWizardPage4::FinishImport()
{
    platform::ShowMessageBox(this, {kStringImportComplete, "Done"});
    m_imported = true;
    wizard()->accept();
}

void CWizardPage4::StartReading(Reading read, std::function<void(bool opened)> done,
                                std::optional<std::chrono::milliseconds> endedAtOnceWithin)
{
    StopReading();
    m_readingSteps = {};
    // Written by the reading, read here only once it has ended.
    auto opened = std::make_shared<bool>(false);
    m_afterReading = [this, opened, done = std::move(done)] {
        if (!*opened)
            Sheet().ReportOpenSourceFailed();
        done(*opened);
    };
    m_background.Start([opened, path = Sheet().SourcePath(),
                        read = std::move(read)](const WorkProgress& progress) {
        CsvSource source;
        *opened = source.Open(path);
        if (*opened)
            read(source, progress);
    });
    if (endedAtOnceWithin && m_background.WaitForEnd(*endedAtOnceWithin))
        return EndReading();
    SetReading(true);
    m_readingWatch->start();
}

void CWizardPage4::StopReading()
{
    m_readingWatch->stop();
    m_background.Stop();
    m_afterReading = {};
    SetReading(false);
    m_progress->setValue(0);
}

void CWizardPage4::WatchReading()
{
    if (const auto percent = m_readingSteps.Advance(m_background.Done(), m_background.Total()))
        m_progress->setValue(*percent);
    if (!m_background.Ended())
        return;
    m_readingWatch->stop();
    EndReading();
}

void CWizardPage4::EndReading()
{
    std::exchange(m_afterReading, {})();
    if (!m_readingWatch->isActive()) // unless what followed started another reading
        SetReading(false);
}

void CWizardPage4::SetReading(bool reading)
{
    if (reading == m_reading)
        return;
    m_reading = reading;
    // What a reading uses or fills waits for it.
    const std::initializer_list<QWidget*> controls = {m_deleteExisting, m_lbNames, m_selectAll};
    QWidget* const focus = QApplication::focusWidget();
    if (reading) {
        const bool onControl = std::find(controls.begin(), controls.end(), focus) != controls.end();
        m_focusAfterReading = onControl ? focus : m_deleteExisting;
    }
    for (QWidget* control : controls)
        control->setEnabled(!reading);
    if (reading) {
        m_progress->setValue(0);
        setCursor(Qt::BusyCursor);
    } else {
        unsetCursor();
        GiveBackFocus(focus);
    }
    emit completeChanged();
}

void CWizardPage4::GiveBackFocus(QWidget* focus)
{
    // Disabled controls pass the keyboard focus on to a count, where the page also puts it when it
    // opens during a reading; keys meant for the controls would be lost there.
    const std::initializer_list<QWidget*> counts = {m_existingBox, m_selectedBox, m_totalBox};
    if (m_focusAfterReading && std::find(counts.begin(), counts.end(), focus) != counts.end())
        m_focusAfterReading->setFocus(Qt::OtherFocusReason);
}
