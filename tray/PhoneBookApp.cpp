#include "PhoneBookApp.h"

#include "Images.h"
#include "MainDlg.h"
#include "PhoneBookLocation.h"
#include "ResourceIds.h"
#include "SessionPlatform.h"
#include "notify/TrayHostProbe.h"
#include "process/Process.h"
#include "process/Shell.h"
#include "process/SingleInstance.h"
#include "qt/CommandLine.h"
#include "qt/MessageBox.h"

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
    const platform::CommandLine commandLine(
        "telmo", "Telmo: your phone book in the notification area.\n"
                 "A left click on its icon shows the people you call, a right click the commands.");
    if (const std::optional<int> answered = commandLine.Answered(argc, argv))
        return *answered;
    // Held for the life of the process; the kernel releases it when the process ends.
    platform::NamedMutex instance("TelmoMutex");
    if (instance.AlreadyExisted())
        return 0;
    GoToSharedProgramFolder();
    const std::filesystem::path iniPath = ProfilePath();

    if (const std::string platform = tray::QtPlatformFor(EnvironmentValue); !platform.empty())
        qputenv("QT_QPA_PLATFORM", QByteArray::fromStdString(platform));
    QApplication app(argc, argv);
    if (const std::optional<int> rejected = commandLine.Rejected(QApplication::arguments()))
        return *rejected;
    QApplication::setQuitOnLastWindowClosed(false);
    // Every window of the program, dialogs and message boxes too, shows its icon in the taskbar.
    QApplication::setWindowIcon(telmo::ImageIcon(telmo::image::kProgram));
    platform::ShowNoticesInMessageBoxes("Telmo");
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
    return PhoneBookFile(platform::ExecutablePath().parent_path(),
                         std::filesystem::current_path(deleted));
}

void CPhoneBookApp::GoToSharedProgramFolder()
{
    const std::filesystem::path programFolder = platform::ExecutablePath().parent_path();
    std::error_code ignored;
    if (IsSharedInstall(programFolder))
        std::filesystem::current_path(programFolder, ignored);
}
