#include "WizardPage.h"

CWizardPage::CWizardPage(CWizardSheet& sheet, const char* caption) : m_sheet(sheet)
{
    setTitle(QString::fromLocal8Bit(caption));
}
