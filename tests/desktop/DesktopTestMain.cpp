// Runs the desktop tests on the private headless desktop: the ctest fixture's (named by
// VANTREL_DESKTOP_STATE) or, when run by hand, one this process starts and stops. The process's
// environment points at that desktop before Qt starts, so Qt runs on its display (xcb) and the
// code under test sees the desktop's clipboard and screen, never the user's.
#include "support/HeadlessDesktop.h"

#include <QGuiApplication>
#include <gtest/gtest.h>

#include <cstdio>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
    QString error;
    const auto desktop = vantrel::testing::HeadlessDesktop::attachOrStart(&error);
    if (!desktop) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
