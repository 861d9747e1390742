#include "qt/SaveFileDialog.h"

#include <QFile>
#include <QFileDialog>

namespace platform {

std::optional<std::filesystem::path> GetSaveFileName(QWidget* owner, const SaveFileRequest& request)
{
    if (auto answer = ScopedSaveFileAnswers::AnswerFor(request))
        return *answer;
    QFileDialog dialog(owner, QString::fromLocal8Bit(request.caption));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QString::fromLocal8Bit(request.filter));
    dialog.setDefaultSuffix(QString::fromLocal8Bit(request.defaultSuffix));
    dialog.setDirectory(QFile::decodeName(request.initialPath.parent_path().c_str()));
    dialog.selectFile(QFile::decodeName(request.initialPath.filename().c_str()));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return std::filesystem::path(QFile::encodeName(dialog.selectedFiles().first()).toStdString());
}

} // namespace platform
