// main() of the GoogleTest binaries that show widgets: one QApplication, offscreen by default,
// and the shared image list, as the plug-in's load creates it.
#include "framework/ui/DataModuleQuenvar.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    CreateDataModuleQuenvar();
    const int result = RUN_ALL_TESTS();
    DestroyDataModuleQuenvar();
    return result;
}
