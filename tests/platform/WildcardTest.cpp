// File-name patterns as Windows reads them.
#include "platform/posix/wildcard.h"

#include <gtest/gtest.h>

using wincompat::detail::hasWildcards;
using wincompat::detail::matchesWildcard;

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
