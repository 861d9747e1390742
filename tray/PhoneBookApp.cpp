#include "PhoneBookApp.h"

#include "MainDlg.h"
#include "ResourceIds.h"
#include "Shell.h"
#include "SingleInstance.h"

#include <QApplication>

int CPhoneBookApp::Run(int argc, char** argv)
{
    // Held for the life of the process; the kernel releases it when the process ends.
    platform::NamedMutex instance("TelmoMutex");
    if (instance.AlreadyExisted())
        return 0;
    const std::filesystem::path iniPath = ProfilePath();

    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    platform::SystemTrayIconService icons;
    platform::QMenuTracker tracker;
    CMainDlg mainWindow(iniPath, icons, tracker, &CPhoneBookApp::OnCommand);
    mainWindow.OnInitDialog();
    app.exec();
    return 0;
}

void CPhoneBookApp::OnCommand(unsigned id)
{
    if (id == tray::kCmdHelp)
        OnHelp();
}

void CPhoneBookApp::OnHelp()
{
    platform::OpenHelp();
}

std::filesystem::path CPhoneBookApp::ProfilePath()
{
    std::error_code deleted;
    return std::filesystem::current_path(deleted) / "telmo.ini";
}
