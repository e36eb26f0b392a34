// One QApplication for every test program, on the offscreen platform unless told otherwise, so
// that widget tests run the real event loop without a display.
#include "framework/TApplication.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // A runtime folder of this test program's own: named mutexes, such as the single-instance
    // guard's, then never meet those of another test running at the same time, or a real utility.
    TempDir runtime;
    qputenv("XDG_RUNTIME_DIR", runtime.str().c_str());
    TQtApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
