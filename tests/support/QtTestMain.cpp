#include <QApplication>
#include <gtest/gtest.h>

// The test programs whose cases make widgets: one application for all of them, made before the
// first case. It is never destroyed: Qt's input devices, made on first use by QTest, must not
// outlive it at exit.
int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    // Listing the cases at build time happens without a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    new QApplication(argc, argv);
    return RUN_ALL_TESTS();
}
