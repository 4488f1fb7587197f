// The Qt test program: one QApplication for all tests, without a display.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
    // gtest_discover_tests runs the program at build time without the tests'
    // environment, so the platform is chosen here when nobody chose one.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
