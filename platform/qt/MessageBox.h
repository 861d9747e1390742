#pragma once

// The desktop's dialogs through Qt Widgets: message boxes (here), file dialogs, modal runs, the
// clipboard, the command line, and the one conversion by which the program's text reaches a widget
// (DisplayText.h). Every question for a person can be answered by a test instead (ScopedAnswers.h),
// so that no test waits for one, and text is shown as typed, never taken as markup.

#include "messages/MessageBoxRequest.h"
#include "qt/ScopedAnswers.h"

class QWidget;

namespace platform {

// Shows a modal message box. Texts are the program's 8-bit text and are converted here.
MessageResult ShowMessageBox(QWidget* owner, const MessageBoxRequest& request);

// From now on, notices (TellUser) are shown in message boxes with this caption, once the program
// is back in its event loop: never in the middle of the work that found the problem.
void ShowNoticesInMessageBoxes(const std::string& caption);

// Answers message boxes in tests: Ok to an Ok box, and the given answer to a Yes/No box, unless
// a handler of its own is given.
class ScopedMessageBoxAnswers : public ScopedAnswers<MessageBoxRequest, MessageResult>
{
public:
    using ScopedAnswers::ScopedAnswers;
    explicit ScopedMessageBoxAnswers(MessageResult yesNoAnswer = MessageResult::Yes);
};

} // namespace platform
