#include "MessageBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <gtest/gtest.h>

TEST(MessageBoxTest, NamesAreShownAsTypedNeverAsMarkup)
{
    int argc = 1;
    char name[] = "telmo";
    char* argv[] = {name};
    QApplication app(argc, argv);

    QString shownText;
    Qt::TextFormat shownFormat = Qt::AutoText;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        poll.stop();
        shownText = box->text();
        shownFormat = box->textFormat();
        box->button(QMessageBox::No)->click();
    });
    poll.start(1);
    const platform::MessageResult answer = platform::ShowMessageBox(
        nullptr, {"Delete <b>Ann</b>?", "Telmo", platform::MessageButtons::YesNo,
                  platform::MessageIcon::Exclamation});
    EXPECT_EQ(answer, platform::MessageResult::No);
    EXPECT_EQ(shownText, "Delete <b>Ann</b>?");
    EXPECT_EQ(shownFormat, Qt::PlainText);
}
