// main() of every test program: Qt needs its application object before
// drivers and plug-ins load.

#include <QCoreApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // No display on the test machines; fixtures set HOME and XDG per test.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
