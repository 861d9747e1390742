#pragma once

#include <QDialog>

// The About box: the program icon, the version line and OK.
class CAboutDlg : public QDialog
{
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};
