#pragma once
// A test that needs something of the machine (root, Xvfb, a tool, a built program) skips without
// it on a developer's machine, saying why; in CI, which installs everything, a missing prerequisite
// is a failure, so that a broken install step can never pass as a skipped test.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace fixtures {
inline bool runningInCi()
{
    const char* ci = std::getenv("CI");
    return ci != nullptr && *ci != '\0' && std::strcmp(ci, "false") != 0 && std::strcmp(ci, "0") != 0;
}
} // namespace fixtures

// Ends the current test (or SetUp) unless condition holds: a skip with reason, or a failure in CI.
#define REQUIRE_PREREQUISITE(condition, reason)                                                                       \
    if (!(condition)) {                                                                                                \
        if (::fixtures::runningInCi())                                                                                 \
            GTEST_FAIL() << "missing in CI: " << reason;                                                               \
        else                                                                                                           \
            GTEST_SKIP() << reason;                                                                                    \
    }
