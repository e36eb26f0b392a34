#include "platform/profile/ini_document.h"

#include "platform/base/case_fold.h"

#include <utility>

namespace wincompat::profile {

namespace {

const char utf8Bom[] = "\xEF\xBB\xBF";

bool sameName(const std::string& a, const std::string& b)
{
    return a.size() == b.size() ? a == b || wincompat::upperCaseName(a) == wincompat::upperCaseName(b)
                                : wincompat::upperCaseName(a) == wincompat::upperCaseName(b);
}

} // namespace

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f' || c == 0x1a;
}

std::string trim(const std::string& s)
{
    std::size_t b = 0, e = s.size();
    while (b < e && isBlank(s[b]))
        ++b;
    while (e > b && isBlank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

Parsed parseLine(const std::string& text)
{
    Parsed p;
    std::size_t start = 0;
    while (start < text.size() && isBlank(text[start]))
        ++start;
    if (start == text.size())
        return p;
    if (text[start] == '[') {
        const std::size_t close = text.rfind(']');
        if (close != std::string::npos && close > start) {
            p.kind = Kind::section;
            // Windows finds "[ name ]" by "name": the blanks inside the brackets are not part of it.
            p.name = trim(text.substr(start + 1, close - start - 1));
            return p;
        }
    }
    p.kind = Kind::entry;
    const std::string body = trim(text.substr(start));
    const std::size_t eq = body.find('=');
    if (eq == std::string::npos) {
        p.name = body;
        return p;
    }
    p.name = trim(body.substr(0, eq));
    p.hasValue = true;
    p.value = trim(body.substr(eq + 1));
    return p;
}

void Document::parse(const std::string& bytes)
{
    std::size_t pos = 0;
    if (bytes.compare(0, 3, utf8Bom) == 0) {
        bom = true;
        pos = 3;
    }
    bool eolSeen = false;
    while (pos < bytes.size()) {
        const std::size_t nl = bytes.find('\n', pos);
        Line line;
        if (nl == std::string::npos) {
            line.text = bytes.substr(pos);
            pos = bytes.size();
        } else {
            std::size_t end = nl;
            if (end > pos && bytes[end - 1] == '\r') {
                --end;
                line.eol = "\r\n";
            } else {
                line.eol = "\n";
            }
            line.text = bytes.substr(pos, end - pos);
            pos = nl + 1;
            if (!eolSeen) {
                eol = line.eol;
                eolSeen = true;
            }
        }
        lines.push_back(std::move(line));
    }
}

std::string Document::text() const
{
    std::string out = bom ? utf8Bom : "";
    for (const Line& l : lines)
        out += l.text + l.eol;
    return out;
}

bool Document::findSection(const std::string& section, std::size_t& first, std::size_t& end) const
{
    const std::string wanted = trim(section);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const Parsed p = parseLine(lines[i].text);
        if (p.kind != Kind::section || p.name.empty() || !sameName(p.name, wanted))
            continue;
        first = i;
        end = i + 1;
        while (end < lines.size() && parseLine(lines[end].text).kind != Kind::section)
            ++end;
        return true;
    }
    return false;
}

bool Document::findKey(std::size_t first, std::size_t end, const std::string& key, std::size_t& at) const
{
    const std::string wanted = trim(key);
    for (std::size_t i = first + 1; i < end; ++i) {
        const Parsed p = parseLine(lines[i].text);
        if (p.kind == Kind::entry && sameName(p.name, wanted)) {
            at = i;
            return true;
        }
    }
    return false;
}

} // namespace wincompat::profile
