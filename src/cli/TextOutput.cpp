#include "cli/TextOutput.h"

#include "update/VersionPanels.h"

#include <cstdio>

namespace {
// Bytes that are not UTF-8 become U+FFFD, one per maximal bad sequence, so that the output is
// always valid text whatever the file held.
std::string validUtf8(const std::string& s)
{
    std::string out;
    std::size_t i = 0;
    auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    auto cont = [&](std::size_t k) { return k < s.size() && (byte(k) & 0xC0) == 0x80; };
    while (i < s.size()) {
        const unsigned char c = byte(i);
        std::size_t len = 0;
        if (c < 0x80)
            len = 1;
        else if (c >= 0xC2 && c < 0xE0 && cont(i + 1))
            len = 2;
        else if (c >= 0xE0 && c < 0xF0 && cont(i + 1) && cont(i + 2)) {
            const unsigned b1 = byte(i + 1);
            if (!((c == 0xE0 && b1 < 0xA0) || (c == 0xED && b1 >= 0xA0)))
                len = 3;
        } else if (c >= 0xF0 && c < 0xF5 && cont(i + 1) && cont(i + 2) && cont(i + 3)) {
            const unsigned b1 = byte(i + 1);
            if (!((c == 0xF0 && b1 < 0x90) || (c == 0xF4 && b1 >= 0x90)))
                len = 4;
        }
        if (len == 0) {
            out += "\xEF\xBF\xBD";
            ++i;
        } else {
            out.append(s, i, len);
            i += len;
        }
    }
    return out;
}
} // namespace

std::string JsonString(const std::string& raw)
{
    std::string out = "\"";
    for (unsigned char c : validUtf8(raw)) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        default:
            if (c < 0x20 || c == 0x7F) {
                char esc[8];
                std::snprintf(esc, sizeof esc, "\\u%04x", c);
                out += esc;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

// Plain output is one value per line; a control character in a value (a line break, or an
// escape sequence meant for the terminal) is shown as \xHH instead of acting.
std::string PlainText(const std::string& raw)
{
    std::string out;
    for (unsigned char c : validUtf8(raw)) {
        if (c < 0x20 || c == 0x7F) {
            char esc[8];
            std::snprintf(esc, sizeof esc, "\\x%02X", c);
            out += esc;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::string VersionListingJson(const VersionListing& panel)
{
    std::string out = "{";
    for (const VersionPanelRow& row : VersionPanelRows)
        out += (out.size() > 1 ? ", " : "") + JsonString(row.Key) + ": " + JsonString(panel.Values(row.Key));
    return out + "}";
}
