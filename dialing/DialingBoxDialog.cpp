#include "DialingBoxDialog.h"

#include "qt/DisplayText.h"

#include <QDialogButtonBox>
#include <QEventLoop>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <utility>

DialingBoxDialog::DialingBoxDialog(QWidget* parent)
    : QDialog(parent), m_text(new QLabel), m_buttons(new QDialogButtonBox)
{
    setWindowTitle(QStringLiteral("Dialing..."));
    setWindowModality(Qt::ApplicationModal);
    m_text->setTextFormat(Qt::PlainText);
    m_text->setWordWrap(true);
    // Wide enough for the modem's line "Click OK when call is answered or to stop dialing."
    m_text->setMinimumWidth(m_text->fontMetrics().averageCharWidth() * 56);
    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(m_text);
    layout->addWidget(m_buttons);
}

void DialingBoxDialog::Show(const std::string& text, Buttons buttons)
{
    m_text->setText(platform::DisplayText(text));
    m_shown = buttons;
    m_buttons->clear();
    auto offer = [this](QAbstractButton* button, Choice choice) {
        connect(button, &QAbstractButton::clicked, this, [this, choice] { Choose(choice); });
    };
    if (buttons == Buttons::Cancel) {
        offer(m_buttons->addButton(QDialogButtonBox::Cancel), Choice::Cancel);
    } else {
        if (buttons == Buttons::HangUpOrOk)
            offer(m_buttons->addButton(QStringLiteral("Hang Up"), QDialogButtonBox::ActionRole),
                  Choice::HangUp);
        QPushButton* ok = m_buttons->addButton(QDialogButtonBox::Ok);
        offer(ok, Choice::Ok);
        ok->setDefault(true);
        ok->setFocus();
    }
    if (!isVisible())
        show();
}

DialingBox::Choice DialingBoxDialog::Wait()
{
    if (!m_choice) {
        QEventLoop loop;
        m_waiting = &loop;
        loop.exec();
        m_waiting = nullptr;
    }
    // A program that ends meanwhile ends every loop: the dial is then given up.
    return std::exchange(m_choice, std::nullopt).value_or(Choice::Cancel);
}

void DialingBoxDialog::End()
{
    Choose(Choice::Ended);
}

DialingBoxDialog::~DialingBoxDialog()
{
    Hide();
}

void DialingBoxDialog::Hide()
{
    if (!isVisible())
        return;
    hide();
    // The card the box covered takes the keys again, with or without a window manager.
    if (QWidget* card = parentWidget())
        card->activateWindow();
}

void DialingBoxDialog::reject()
{
    Choose(m_shown == Buttons::Cancel ? Choice::Cancel : Choice::Ok);
}

void DialingBoxDialog::Choose(Choice choice)
{
    if (!m_choice)
        m_choice = choice;
    if (m_waiting)
        m_waiting->quit();
}
