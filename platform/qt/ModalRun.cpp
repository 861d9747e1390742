#include "qt/ModalRun.h"

#include <QDialog>

namespace platform {

namespace {

ScopedModalAnswers* g_answers = nullptr;

} // namespace

int RunModal(QDialog& dialog)
{
    if (g_answers) {
        g_answers->m_shown.push_back(dialog.objectName());
        return g_answers->m_handler(dialog);
    }
    return dialog.exec();
}

ScopedModalAnswers::ScopedModalAnswers(Handler handler)
    : m_handler(std::move(handler)), m_previous(g_answers)
{
    g_answers = this;
}

ScopedModalAnswers::~ScopedModalAnswers()
{
    g_answers = m_previous;
}

} // namespace platform
