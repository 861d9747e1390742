#include "WizardPage2.h"

#include "WizardSheet.h"
#include "qt/FileDialog.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

CWizardPage2::CWizardPage2(CWizardSheet& sheet)
    : CWizardPage(sheet, "Select File"), m_path(new QLineEdit)
{
    m_path->setObjectName(QStringLiteral("1001"));
    auto* browse = new QPushButton(QStringLiteral("..."));
    browse->setObjectName(QStringLiteral("1002"));
    connect(browse, &QPushButton::clicked, this, &CWizardPage2::OnBrowse);

    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("2. Select file to import from:")), 0, 0, 1, 2);
    layout->addWidget(m_path, 1, 0);
    layout->addWidget(browse, 1, 1);
    layout->setRowStretch(2, 1);
}

void CWizardPage2::OnBrowse()
{
    const std::optional<std::string> chosen = platform::ShowOpenFileDialog(
        this, {"csv", m_path->text().toLocal8Bit().toStdString(),
               "Comma Separated Values (CSV) files (*.csv)|*.csv|All files (*.*)|*.*||"});
    if (chosen)
        m_path->setText(QString::fromLocal8Bit(*chosen));
}

void CWizardPage2::OnKillActive()
{
    Sheet().SetSourcePath(m_path->text().toLocal8Bit().toStdString());
}
