#include "ModalRun.h"

#include <QApplication>
#include <QDialog>
#include <gtest/gtest.h>

TEST(ModalRunTest, AnswersNestAndRestore)
{
    int argc = 1;
    char name[] = "telmo";
    char* argv[] = {name};
    QApplication app(argc, argv);
    QDialog dialog;
    dialog.setObjectName("131");

    platform::ScopedModalAnswers outer([](QDialog&) { return 1; });
    {
        platform::ScopedModalAnswers inner(
            [](QDialog& shown) { return shown.objectName() == "131" ? 22 : 0; });
        EXPECT_EQ(platform::RunModal(dialog), 22);
        EXPECT_EQ(inner.shown(), std::vector<QString>{"131"});
    }
    EXPECT_EQ(platform::RunModal(dialog), 1);
    EXPECT_EQ(outer.shown(), std::vector<QString>{"131"});
}
