#include <gtest/gtest.h>

#include <QApplication>

// The window tests run without a display. The platform must be chosen before QApplication
// exists; CTest's discovery does not pass a test's environment.
int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
