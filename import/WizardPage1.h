#pragma once

#include "WizardPage.h"

class QRadioButton;

// "Import From": the kind of source. CSV is the only kind there is.
class CWizardPage1 : public CWizardPage
{
    Q_OBJECT

public:
    explicit CWizardPage1(CWizardSheet& sheet);

    void OnSetActive() override;

private:
    QRadioButton* m_csv;
};
