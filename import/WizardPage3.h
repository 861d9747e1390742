#pragma once

#include "ColumnChoice.h"
#include "WizardPage.h"

#include <QStringList>
#include <array>
#include <string>
#include <vector>

class ColumnComboBox;
class QLabel;
class QRadioButton;

// "Match Fields": which source column feeds which field of an entry.
class CWizardPage3 : public CWizardPage
{
    Q_OBJECT

public:
    explicit CWizardPage3(CWizardSheet& sheet);

    void OnSetActive() override;
    void OnKillActive() override;
    void OnFirstAndLast();
    void OnFullName();

private:
    void LoadSourceColumns();
    void AutoMatchColumns();
    void UpdateNameRadios();
    void UpdateNameLabels();
    ColumnChoice ChosenColumns() const;
    void ChooseColumns(const ColumnChoice& columns);
    void ShowSample(std::size_t row);

    // One combo box for each field, in the order of the rows on the page.
    std::array<ColumnComboBox*, 7> m_combos{};
    // Beside each combo, a value from the chosen column.
    std::array<QLabel*, 7> m_samples{};
    ColumnComboBox* m_cbName;
    ColumnComboBox* m_cbLastName;
    QLabel* m_nameLabel;
    QLabel* m_lastNameLabel;
    QLabel* m_lastNameSample;
    QRadioButton* m_firstAndLast;
    QRadioButton* m_fullName;
    int m_bFullName = 0;

    // The file the combos were filled from, to tell a repeated showing of the same file
    // from the choice of another one.
    bool m_loaded = false;
    std::string m_loadedPath;
    std::vector<std::string> m_loadedColumns;
    QStringList m_columnSamples;
};
