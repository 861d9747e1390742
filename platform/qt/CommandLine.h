#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace platform {

// The command line of a Telmo program, which takes no arguments of its own beyond --help and
// --version. Those two are answered before the window system is touched, so that they work
// without a display. Anything else is judged only once Qt has taken out its own options
// (-platform, -style, or -session, with which a desktop session restores a program).
class CommandLine
{
public:
    // name: the program's name; description: what it does, in a sentence or two for --help.
    CommandLine(QString name, QString description);

    // Before the application object is made: the exit status 0 once --help or --version has been
    // answered on standard output; nothing when neither was asked for.
    std::optional<int> Answered(int& argc, char** argv) const;

    // The application's arguments, Qt's own options taken out: the exit status 2 after a message
    // on standard error when anything is left; nothing when nothing is.
    std::optional<int> Rejected(const QStringList& arguments) const;

private:
    QString m_name;
    QString m_description;
};

} // namespace platform
