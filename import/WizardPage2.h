#pragma once

#include "WizardPage.h"

class QLineEdit;

// "Select File": the path of the CSV source, typed or browsed for.
class CWizardPage2 : public CWizardPage
{
    Q_OBJECT

public:
    explicit CWizardPage2(CWizardSheet& sheet);

    void OnKillActive() override;
    void OnBrowse();

private:
    QLineEdit* m_path;
};
