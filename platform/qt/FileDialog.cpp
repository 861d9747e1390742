#include "qt/FileDialog.h"

#include <QFileDialog>
#include <QFileInfo>

namespace platform {

namespace {

// "Text files (*.txt)|*.txt|All files (*.*)|*.*||" as Qt name filters. The description is
// shown as written; the patterns follow in parentheses that the dialog hides. "*.*" means
// every file on the original platform, also one without a dot, which "*" says here.
QStringList ToNameFilters(const std::string& filter)
{
    const QStringList parts = QString::fromLocal8Bit(filter).split('|');
    QStringList nameFilters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty())
            break;
        QStringList patterns = parts[i + 1].split(';', Qt::SkipEmptyParts);
        patterns.replaceInStrings(QStringLiteral("*.*"), QStringLiteral("*"));
        nameFilters << parts[i] + QStringLiteral(" (") + patterns.join(' ') + ')';
    }
    return nameFilters;
}

} // namespace

std::optional<std::string> ShowOpenFileDialog(QWidget* owner, const OpenFileRequest& request)
{
    if (auto answer = ScopedOpenFileDialogAnswers::AnswerFor(request))
        return *answer;
    QFileDialog dialog(owner);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilters(ToNameFilters(request.filter));
    dialog.setDefaultSuffix(QString::fromLocal8Bit(request.defaultExtension));
    if (!request.initialFileName.empty()) {
        const QFileInfo initial(QString::fromLocal8Bit(request.initialFileName));
        if (initial.absoluteDir().exists())
            dialog.setDirectory(initial.absoluteDir());
        dialog.selectFile(initial.fileName());
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst().toLocal8Bit().toStdString();
}

} // namespace platform
