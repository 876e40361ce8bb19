// Test entry point for the X11 tests: one QApplication for all cases, on the X server that
// run-under-xvfb.sh started (it sets QT_QPA_PLATFORM=xcb).

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
