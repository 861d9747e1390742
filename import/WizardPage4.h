#pragma once

#include "ColumnChoice.h"
#include "FileStamp.h"
#include "WizardPage.h"

#include <optional>

class NameListModel;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListView;
class QProgressBar;
class QPushButton;

// "Select Names": the names to import, within the phone book's capacity, and the import.
class CWizardPage4 : public CWizardPage
{
    Q_OBJECT

public:
    explicit CWizardPage4(CWizardSheet& sheet);

    void OnSetActive() override;
    bool OnWizardFinish();
    void OnSelectAll();
    void OnDeleteExisting();
    void OnSelChangeNames();

protected:
    // Finish is the only way forward from this page.
    bool validatePage() override { return OnWizardFinish(); }

private:
    void CountExisting();
    void FillNameList();
    void UpdateCounts();
    bool CheckCapacity();
    void ShowCapacityMessage();
    bool ImportEntries();

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
};
