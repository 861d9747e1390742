#include "ImportApp.h"
#include "ImportBook.h"
#include "qt/CommandLine.h"

#include <QApplication>

int main(int argc, char** argv)
{
    const platform::CommandLine commandLine(
        "telmo-import", "Telmo Import: a wizard that copies people from a CSV file of your mail\n"
                        "or phone program into your Telmo phone book.");
    if (const std::optional<int> answered = commandLine.Answered(argc, argv))
        return *answered;
    QApplication application(argc, argv);
    if (const std::optional<int> rejected = commandLine.Rejected(QApplication::arguments()))
        return *rejected;
    CImportApp import(GetIniPath());
    return import.InitInstance();
}
