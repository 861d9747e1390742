#include "WizardPage1.h"

#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

CWizardPage1::CWizardPage1(CWizardSheet& sheet)
    : CWizardPage(sheet, "Import From"),
      m_csv(new QRadioButton(QStringLiteral("Comma Separated Values (CSV) File")))
{
    m_csv->setObjectName(QStringLiteral("1000"));
    auto* addressBook =
        new QRadioButton(QStringLiteral("Microsoft Outlook Express Address Book (WAB)"));
    addressBook->setObjectName(QStringLiteral("1001"));
    addressBook->setEnabled(false);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("1. Import From:")));
    layout->addWidget(m_csv);
    layout->addWidget(addressBook);
    layout->addStretch();
}

void CWizardPage1::OnSetActive()
{
    m_csv->setChecked(true);
}
