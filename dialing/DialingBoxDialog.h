#pragma once

#include "DialingBox.h"

#include <QDialog>
#include <optional>

class QDialogButtonBox;
class QEventLoop;
class QLabel;

// The "Dialing..." box on screen: modal, its caption "Dialing...", no icon. Escape and the close
// box cancel what is being asked, and otherwise count as OK, which never ends a call.
class DialingBoxDialog : public QDialog, public DialingBox
{
public:
    explicit DialingBoxDialog(QWidget* parent);
    ~DialingBoxDialog() override;

    void Show(const std::string& text, Buttons buttons) override;
    Choice Wait() override;
    void End() override;
    void Hide() override;

protected:
    void reject() override;

private:
    void Choose(Choice choice);

    QLabel* m_text;
    QDialogButtonBox* m_buttons;
    Buttons m_shown = Buttons::Ok;
    std::optional<Choice> m_choice;
    QEventLoop* m_waiting = nullptr;
};
