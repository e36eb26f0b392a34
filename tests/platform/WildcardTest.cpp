// File-name patterns as Windows reads them.
#include "platform/fileop/phases/wildcard.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string_view>
#include <sys/mman.h>
#include <unistd.h>

using wincompat::fileop::hasWildcards;
using wincompat::fileop::matchesWildcard;

TEST(Wildcard, MatchesAsWindowsDoes)
{
    struct Row {
        const char* pattern;
        const char* name;
        bool matches;
    };
    const Row rows[] = {
        {"*", "Tallyrune.exe", true},
        {"*", "README", true},
        {"*.*", "README", true},
        {"*.exe", "Tallyrune.exe", true},
        {"*.exe", "Tallyrune.exe.bak", false},
        {"*.EXE", "tallyrune.exe", true},
        {"A*Z", "abcz", true},
        {"a*z", "ABCZ", true},
        {"Z?", "za", true},
        {"[", "{", false},
        {"@", "`", false},
        // '?' takes one character, but none at the end of the name or before a dot.
        {"a?.txt", "ab.txt", true},
        {"a?.txt", "a.txt", true},
        {"a?", "a", true},
        {"a??", "ab", true},
        {"a?c", "a.c", false},
        {"a?c", "ac", false},
        {"?", "", true},
        // A star may stand for nothing, or for everything up to the last character.
        {"a*", "a", true},
        {"*a", "a", true},
        {"*ab", "aab", true},
        {"*ab", "aba", false},
        {"*a*b", "xaxxb", true},
        {"**", "x", true},
        // "name.*" also matches the name without any extension.
        {"README.*", "README", true},
        {"README.*", "README.txt", true},
        {"README.*", "READMEX", false},
        // "*." names the files without an extension.
        {"*.", "README", true},
        {"*.", "README.txt", false},
        {"R*.", "README", true},
        {"X*.", "README", false},
        {"a..", "a..", true},
        {"a..", "a.b", false},
    };
    for (const Row& r : rows)
        EXPECT_EQ(matchesWildcard(r.pattern, r.name), r.matches) << r.pattern << " on " << r.name;
    EXPECT_TRUE(hasWildcards("a*"));
    EXPECT_TRUE(hasWildcards("?"));
    EXPECT_FALSE(hasWildcards("a.b"));
}

// Names need not end in a NUL: the matcher reads nothing past the end of one, also when a star
// has backtracked to the very end. Each name here ends where an unreadable page begins.
TEST(Wildcard, NeverReadsPastTheEndOfTheName)
{
    const std::size_t page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    void* area = ::mmap(nullptr, 2 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(area, MAP_FAILED);
    char* guard = static_cast<char*>(area) + page;
    ASSERT_EQ(::mprotect(guard, page, PROT_NONE), 0);
    auto atTheEdge = [&](std::string_view text) {
        char* name = guard - text.size();
        std::copy(text.begin(), text.end(), name);
        return std::string_view(name, text.size());
    };
    EXPECT_FALSE(matchesWildcard("*?x", atTheEdge("a")));
    EXPECT_FALSE(matchesWildcard("*?x", atTheEdge("a.b")));
    EXPECT_FALSE(matchesWildcard("*.?", atTheEdge("ab")));
    EXPECT_TRUE(matchesWildcard("*b?", atTheEdge("ab")));
    ::munmap(area, 2 * page);
}
