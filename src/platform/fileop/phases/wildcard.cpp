#include "platform/fileop/phases/wildcard.h"

#include "platform/base/case_fold.h"

namespace wincompat::fileop {
namespace {
// Plain glob with one Windows twist: '?' may also match nothing at the end of the name or in front
// of a dot, so that "a?.txt" matches "a.txt" as it does on Windows.
bool glob(std::string_view p, std::string_view n)
{
    std::size_t pi = 0, ni = 0;
    std::size_t starP = std::string_view::npos, starN = 0;
    while (ni < n.size() || pi < p.size()) {
        if (pi < p.size()) {
            char pc = p[pi];
            if (pc == '*') {
                starP = pi++;
                starN = ni;
                continue;
            }
            if (pc == '?') {
                if (ni < n.size() && n[ni] != '.') {
                    ++pi;
                    ++ni;
                    continue;
                }
                if (ni == n.size() || n[ni] == '.') {
                    ++pi; // matches nothing
                    continue;
                }
            } else if (ni < n.size() && upperCaseAscii(pc) == upperCaseAscii(n[ni])) {
                ++pi;
                ++ni;
                continue;
            }
        }
        if (starP != std::string_view::npos && starN < n.size()) {
            pi = starP + 1;
            ni = ++starN;
            continue;
        }
        return false;
    }
    return true;
}
} // namespace

bool hasWildcards(std::string_view name) { return name.find_first_of("*?") != std::string_view::npos; }

bool matchesWildcard(std::string_view pattern, std::string_view name)
{
    if (pattern == "*.*" || pattern == "*")
        return true;
    // "name.*" also matches "name", which has no extension at all.
    if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*" &&
        glob(pattern.substr(0, pattern.size() - 2), name))
        return true;
    // "*." names the files without an extension.
    if (pattern.size() >= 2 && pattern.back() == '.' && pattern[pattern.size() - 2] != '.')
        return name.find('.') == std::string_view::npos && glob(pattern.substr(0, pattern.size() - 1), name);
    return glob(pattern, name);
}

} // namespace wincompat::fileop
