#include "ImportApp.h"
#include "ImportBook.h"

#include <QApplication>

int main(int argc, char** argv)
{
    // The program takes no arguments of its own; Qt's are left to Qt.
    QApplication application(argc, argv);
    CImportApp import(GetIniPath());
    return import.InitInstance();
}
