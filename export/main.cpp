#include "Images.h"
#include "PhoneBookExport.h"
#include "PhoneBookLocation.h"
#include "process/Process.h"
#include "qt/CommandLine.h"

#include <QApplication>
#include <QDir>
#include <QFile>

// Telmo Export exports the phone book in its working directory, the folder that the tray program
// starts it in; in an installation shared by the machine's users, the user's own book.
int main(int argc, char* argv[])
{
    const platform::CommandLine commandLine(
        "telmo-export", "Telmo Export: writes the people of your Telmo phone book to a CSV file "
                        "that you choose.");
    if (const std::optional<int> answered = commandLine.Answered(argc, argv))
        return *answered;
    QApplication application(argc, argv);
    if (const std::optional<int> rejected = commandLine.Rejected(QApplication::arguments()))
        return *rejected;
    QApplication::setApplicationName("Telmo Export");
    QApplication::setWindowIcon(telmo::ImageIcon(128));

    std::error_code error;
    const PhoneBookExport exporter(PhoneBookFile(platform::ExecutablePath().parent_path(),
                                                 std::filesystem::current_path(error)),
                                   QFile::encodeName(QDir::homePath()).toStdString());
    return exporter.Run(nullptr) == PhoneBookExport::Outcome::Failed ? 1 : 0;
}
