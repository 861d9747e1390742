#include "SaveFileDialog.h"

#include <QFile>
#include <QFileDialog>

namespace platform {

namespace {

ScopedSaveFileAnswers* g_answers = nullptr;

} // namespace

std::optional<std::filesystem::path> GetSaveFileName(QWidget* owner, const SaveFileRequest& request)
{
    if (g_answers) {
        g_answers->m_shown.push_back(request);
        return g_answers->m_handler(request);
    }
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

ScopedSaveFileAnswers::ScopedSaveFileAnswers(Handler handler)
    : m_handler(std::move(handler)), m_previous(g_answers)
{
    g_answers = this;
}

ScopedSaveFileAnswers::~ScopedSaveFileAnswers()
{
    g_answers = m_previous;
}

} // namespace platform
