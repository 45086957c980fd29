// The end-to-end tests drive the real window, so they need an application object first.
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // A zone away from UTC, so that timestamps in UTC instead of local time show.
    qputenv("TZ", "FWK-05:30");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
