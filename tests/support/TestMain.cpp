#include <gtest/gtest.h>

#include <QApplication>

// Every test executable gets one application object, offscreen, so widget and
// signal tests run headless and core tests see a normal Qt environment.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    // The compiled-in pictures live in the static apps library.
    Q_INIT_RESOURCE(Resources);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
