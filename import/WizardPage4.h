#pragma once

#include "BackgroundReading.h"
#include "ColumnChoice.h"
#include "NameSelection.h"
#include "WizardPage.h"
#include "files/FileStamp.h"

#include <QPointer>
#include <chrono>
#include <functional>
#include <optional>

class CsvSource;
class NameListModel;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListView;
class QProgressBar;
class QPushButton;
class QTimer;

// "Select Names": the names to import, within the phone book's capacity, and the import. The
// source is read beside the user interface, with the progress on the page's bar, so the wizard
// answers while a large file is listed or imported and Back and Cancel end a reading at once.
class CWizardPage4 : public CWizardPage
{
    Q_OBJECT

public:
    explicit CWizardPage4(CWizardSheet& sheet);

    void OnSetActive() override;
    void OnKillActive() override;
    bool OnWizardFinish();
    void OnSelectAll();
    void OnDeleteExisting();
    void OnSelChangeNames();

    // Finish waits while the source is being read.
    bool isComplete() const override;

protected:
    // Finish is the only way forward from this page.
    bool validatePage() override { return OnWizardFinish(); }

private:
    // Reads an open source, telling how far it has come; the progress answers no once the reading
    // is to end early.
    using Reading = std::function<void(CsvSource& source, const WorkProgress& progress)>;

    void CountExisting();
    void FillNameList();
    void UpdateCounts();
    bool CheckCapacity();
    void ShowCapacityMessage();
    void ImportEntries();
    void WriteChosenRows(const std::vector<SourceRow>& rows);
    void FinishImport();
    // Opens the source and reads it in the background; `done` then runs on this thread, told
    // whether the source could be opened. A reading that has ended within the given time
    // follows at once, as if it had not been in the background at all.
    void StartReading(Reading read, std::function<void(bool opened)> done,
                      std::optional<std::chrono::milliseconds> endedAtOnceWithin = {});
    void StopReading();
    // A look at the reading: its progress on the bar, and what follows once it has ended.
    void WatchReading();
    void EndReading();
    void SetReading(bool reading);
    // Once a reading has ended, the keyboard focus back on the control it was on, or on the first,
    // if the disabled controls had passed it on to a count.
    void GiveBackFocus(QWidget* focus);

    QLabel* m_maximum;
    QCheckBox* m_deleteExisting;
    QListView* m_lbNames;
    NameListModel* m_names;
    QPushButton* m_selectAll;
    QLineEdit* m_existingBox;
    QLineEdit* m_selectedBox;
    QLineEdit* m_totalBox;
    QProgressBar* m_progress;
    int m_nExisting = 0;
    int m_nSelected = 0;

    // The source file and columns the list was filled from.
    struct ListedSource
    {
        platform::FileStamp file;
        ColumnChoice columns;
        bool operator==(const ListedSource&) const = default;
    };
    std::optional<ListedSource> m_listed;
    bool m_reading = false;
    bool m_imported = false;
    BackgroundReading m_background;
    QTimer* m_readingWatch;
    ProgressSteps m_readingSteps;
    std::function<void()> m_afterReading;
    // Where the keyboard goes back to once the reading has ended.
    QPointer<QWidget> m_focusAfterReading;
};
