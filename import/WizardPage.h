#pragma once

#include <QWizardPage>

class CWizardSheet;

// A page of the import wizard. The sheet tells it when it is shown and when it is left, in
// either direction, as the original property pages are told.
class CWizardPage : public QWizardPage
{
    Q_OBJECT

public:
    CWizardPage(CWizardSheet& sheet, const char* caption);

    virtual void OnSetActive() {}
    virtual void OnKillActive() {}

protected:
    CWizardSheet& Sheet() const { return m_sheet; }

private:
    CWizardSheet& m_sheet;
};
