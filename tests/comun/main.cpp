// Test entry: a QApplication on the offscreen platform, so that widget tests
// and the message loop work without a display.
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen")
                                                                    : qgetenv("QT_QPA_PLATFORM"));
    // The command-line tests run the `ncc` of this build unless told another.
    if (qgetenv("NCC_BIN").isEmpty()) qputenv("NCC_BIN", QByteArray(NCC_BIN_CONSTRUIDO));
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("NorvaPruebas"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
