#include "PhoneBookApp.h"

#include "MainDlg.h"
#include "ResourceIds.h"
#include "SessionPlatform.h"
#include "Shell.h"
#include "SingleInstance.h"

#include <QApplication>
#include <cstdlib>

namespace {

std::string EnvironmentValue(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

} // namespace

int CPhoneBookApp::Run(int argc, char** argv)
{
    // Held for the life of the process; the kernel releases it when the process ends.
    platform::NamedMutex instance("TelmoMutex");
    if (instance.AlreadyExisted())
        return 0;
    const std::filesystem::path iniPath = ProfilePath();

    if (const std::string platform = tray::QtPlatformFor(EnvironmentValue); !platform.empty())
        qputenv("QT_QPA_PLATFORM", QByteArray::fromStdString(platform));
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    platform::DesktopTrayHostProbe trayHosts(QDBusConnection::sessionBus());
    platform::DesktopNotifyIconService icons(trayHosts);
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
