#include "qt/MessageBox.h"

#include "messages/Notice.h"

#include <QApplication>
#include <QMessageBox>

namespace platform {

namespace {

QMessageBox::Icon ToQtIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Exclamation:
        return QMessageBox::Warning;
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

MessageResult ShowMessageBox(QWidget* owner, const MessageBoxRequest& request)
{
    if (std::optional<MessageResult> answer = ScopedMessageBoxAnswers::AnswerFor(request))
        return *answer;
    QMessageBox box(ToQtIcon(request.icon), QString::fromLocal8Bit(request.caption),
                    QString::fromLocal8Bit(request.text), QMessageBox::NoButton, owner);
    // Texts carry names and paths that are data: "<b>Ann</b>" is shown as typed, never as markup.
    box.setTextFormat(Qt::PlainText);
    if (request.buttons == MessageButtons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        // Escape and the close box answer No, as on the original platform.
        box.setEscapeButton(QMessageBox::No);
        return box.exec() == QMessageBox::Yes ? MessageResult::Yes : MessageResult::No;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return MessageResult::Ok;
}

void ShowNoticesInMessageBoxes(const std::string& caption)
{
    SetNoticeHandler([caption](const std::string& text) {
        QMetaObject::invokeMethod(
            qApp,
            [caption, text] {
                ShowMessageBox(nullptr,
                               {text, caption, MessageButtons::Ok, MessageIcon::Exclamation});
            },
            Qt::QueuedConnection);
    });
}

ScopedMessageBoxAnswers::ScopedMessageBoxAnswers(MessageResult yesNoAnswer)
    : ScopedAnswers([yesNoAnswer](const MessageBoxRequest& request) {
          return request.buttons == MessageButtons::YesNo ? yesNoAnswer : MessageResult::Ok;
      })
{}

} // namespace platform
