#pragma once

#include "MessageBoxRequest.h"

#include <functional>
#include <vector>

class QWidget;

namespace platform {

// Shows a modal message box. Texts are the program's 8-bit text and are converted here.
MessageResult ShowMessageBox(QWidget* owner, const MessageBoxRequest& request);

// While alive, every message box is answered by the handler instead of being shown, and is
// recorded, so that tests never wait for a person.
class ScopedMessageBoxAnswers
{
public:
    using Handler = std::function<MessageResult(const MessageBoxRequest&)>;

    explicit ScopedMessageBoxAnswers(Handler handler);
    // Answers Ok to an Ok box and the given answer to a Yes/No box.
    explicit ScopedMessageBoxAnswers(MessageResult yesNoAnswer = MessageResult::Yes);
    ~ScopedMessageBoxAnswers();
    ScopedMessageBoxAnswers(const ScopedMessageBoxAnswers&) = delete;
    ScopedMessageBoxAnswers& operator=(const ScopedMessageBoxAnswers&) = delete;

    const std::vector<MessageBoxRequest>& shown() const { return m_shown; }

private:
    friend MessageResult ShowMessageBox(QWidget*, const MessageBoxRequest&);
    Handler m_handler;
    std::vector<MessageBoxRequest> m_shown;
    ScopedMessageBoxAnswers* m_previous;
};

} // namespace platform
