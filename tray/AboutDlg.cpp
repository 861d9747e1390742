#include "AboutDlg.h"

#include "Images.h"
#include "ResourceIds.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QString::number(tray::kAboutDialog));
    setWindowTitle("About Telmo");
    setWindowIcon(telmo::ImageIcon(telmo::image::kProgram));

    auto* icon = new QLabel(this);
    icon->setPixmap(telmo::ImagePixmap(telmo::image::kProgram, QSize(32, 32)));
    auto* version = new QLabel("Telmo Version 1.3", this);
    auto* ok = new QPushButton("OK", this);
    ok->setObjectName(QString::number(tray::kAboutOkButton));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* row = new QHBoxLayout;
    row->addWidget(icon);
    row->addWidget(version, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(ok, 0, Qt::AlignRight);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}
