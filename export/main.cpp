#include "Images.h"
#include "PhoneBookExport.h"

#include <QApplication>
#include <QDir>
#include <QFile>

// Telmo Export takes no arguments: it exports the phone book in its working directory, the
// folder that the tray program starts it in.
int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName("Telmo Export");
    QApplication::setWindowIcon(telmo::ImageIcon(128));

    std::error_code error;
    const std::filesystem::path folder = std::filesystem::current_path(error);
    const PhoneBookExport exporter(folder / "telmo.ini",
                                   QFile::encodeName(QDir::homePath()).toStdString());
    return exporter.Run(nullptr) == PhoneBookExport::Outcome::Failed ? 1 : 0;
}
