#include "qt/CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>

namespace platform {

namespace {

const QCommandLineOption kHelp({"h", "help"}, "Show this help and end.");
const QCommandLineOption kVersion({"v", "version"}, "Show the version and end.");

// A parser that knows the two options; Qt's options, written with one dash, are single words.
void Prepare(QCommandLineParser& parser, const QString& description)
{
    parser.setApplicationDescription(description);
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOption(kHelp);
    parser.addOption(kVersion);
}

void Print(std::FILE* stream, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
}

} // namespace

CommandLine::CommandLine(QString name, QString description)
    : m_name(std::move(name)), m_description(std::move(description))
{}

std::optional<int> CommandLine::Answered(int& argc, char** argv) const
{
    // The help's usage line names the program as it was called.
    const QCoreApplication core(argc, argv);
    QCommandLineParser parser;
    Prepare(parser, m_description);
    // Qt's own options are not known here: they are judged with the rest in Rejected.
    static_cast<void>(parser.parse(QCoreApplication::arguments()));
    if (parser.isSet(kHelp)) {
        Print(stdout, parser.helpText());
        return 0;
    }
    if (parser.isSet(kVersion)) {
        Print(stdout, m_name + " " + TELMO_VERSION + "\n");
        return 0;
    }
    return std::nullopt;
}

std::optional<int> CommandLine::Rejected(const QStringList& arguments) const
{
    QCommandLineParser parser;
    Prepare(parser, m_description);
    QString problem;
    if (!parser.parse(arguments))
        problem = parser.errorText();
    else if (!parser.positionalArguments().isEmpty())
        problem = QString("Unexpected argument '%1'.").arg(parser.positionalArguments().first());
    if (problem.isEmpty())
        return std::nullopt;
    Print(stderr, QString("%1: %2\nTry '%1 --help' for more information.\n").arg(m_name, problem));
    return 2;
}

} // namespace platform
