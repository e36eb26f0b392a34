// This test program is also its own helper process: started with TALLYRUNE_INSTANCE_HELPER set,
// it plays that role and exits through the ordinary end of the process, as the utility does,
// so that what the process gives back at exit is given back here too. Its own main replaces the
// shared one of the support library.
#include "InstanceTestSupport.h"

#include "framework/TApplication.h"
#include "support/TempDir.h"

#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (const char* role = std::getenv(instance_test::helperVariable); role != nullptr && *role != '\0')
        return instance_test::runHelper(role, argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TempDir runtime; // as in the shared main: mutexes of this program's own
    qputenv("XDG_RUNTIME_DIR", runtime.str().c_str());
    TQtApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
