#include "VersionBlockWriter.h"

#include <cstdio>
#include <stdexcept>

namespace verwriter {
namespace {
void put16(Bytes& out, std::uint16_t v)
{
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void put32(Bytes& out, std::uint32_t v)
{
    put16(out, static_cast<std::uint16_t>(v));
    put16(out, static_cast<std::uint16_t>(v >> 16));
}

void pad4(Bytes& out)
{
    while (out.size() % 4 != 0)
        out.push_back(0);
}

Bytes textValue(const std::u16string& text)
{
    Bytes out;
    for (char16_t c : text)
        put16(out, c);
    put16(out, 0);
    return out;
}
} // namespace

std::u16string utf16(std::string_view s)
{
    std::u16string out;
    std::size_t i = 0;
    while (i < s.size()) {
        auto b = static_cast<unsigned char>(s[i]);
        char32_t cp = 0xFFFD;
        std::size_t len = 1;
        auto cont = [&](std::size_t k) {
            return i + k < s.size() && (static_cast<unsigned char>(s[i + k]) & 0xC0) == 0x80;
        };
        if (b < 0x80) {
            cp = b;
        } else if (b >= 0xC2 && b < 0xE0 && cont(1)) {
            cp = ((b & 0x1Fu) << 6) | (s[i + 1] & 0x3F);
            len = 2;
        } else if (b >= 0xE0 && b < 0xF0 && cont(1) && cont(2)) {
            cp = ((b & 0x0Fu) << 12) | ((s[i + 1] & 0x3Fu) << 6) | (s[i + 2] & 0x3F);
            len = 3;
            if (cp < 0x800 || (cp >= 0xD800 && cp < 0xE000))
                cp = 0xFFFD;
        } else if (b >= 0xF0 && b < 0xF5 && cont(1) && cont(2) && cont(3)) {
            cp = ((b & 0x07u) << 18) | ((s[i + 1] & 0x3Fu) << 12) | ((s[i + 2] & 0x3Fu) << 6) | (s[i + 3] & 0x3F);
            len = 4;
            if (cp < 0x10000 || cp > 0x10FFFF)
                cp = 0xFFFD;
        }
        i += len;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

std::u16string tableName(Translation t)
{
    char buf[9];
    std::snprintf(buf, sizeof buf, "%04X%04X", t.language, t.codePage);
    return utf16(buf);
}

Bytes encode(const VersionNode& node)
{
    Bytes out(6, 0);
    for (char16_t c : node.key)
        put16(out, c);
    put16(out, 0);
    pad4(out);
    out.insert(out.end(), node.value.begin(), node.value.end());
    std::uint16_t valueLength = node.valueLength.value_or(
        static_cast<std::uint16_t>(node.type == 1 ? node.value.size() / 2 : node.value.size()));
    for (const VersionNode& child : node.children) {
        pad4(out);
        Bytes c = encode(child);
        out.insert(out.end(), c.begin(), c.end());
    }
    if (out.size() > 0xFFFF)
        throw std::length_error("version node larger than 64 KiB");
    out[0] = static_cast<std::uint8_t>(out.size());
    out[1] = static_cast<std::uint8_t>(out.size() >> 8);
    out[2] = static_cast<std::uint8_t>(valueLength);
    out[3] = static_cast<std::uint8_t>(valueLength >> 8);
    out[4] = static_cast<std::uint8_t>(node.type);
    out[5] = 0;
    return out;
}

VersionNode toNode(const VersionInfo& info)
{
    VersionNode root{u"VS_VERSION_INFO", 0, {}, std::nullopt, {}};
    if (info.fixed) {
        const FixedInfo& f = *info.fixed;
        Bytes v;
        put32(v, 0xFEEF04BD);
        put32(v, 0x00010000);
        put32(v, (std::uint32_t{f.fileVersion[0]} << 16) | f.fileVersion[1]);
        put32(v, (std::uint32_t{f.fileVersion[2]} << 16) | f.fileVersion[3]);
        put32(v, (std::uint32_t{f.productVersion[0]} << 16) | f.productVersion[1]);
        put32(v, (std::uint32_t{f.productVersion[2]} << 16) | f.productVersion[3]);
        put32(v, f.fileFlagsMask);
        put32(v, f.fileFlags);
        put32(v, f.fileOS);
        put32(v, f.fileType);
        put32(v, f.fileSubtype);
        put32(v, f.fileDateMS);
        put32(v, f.fileDateLS);
        root.value = std::move(v);
    }
    if (!info.tables.empty()) {
        VersionNode sfi{u"StringFileInfo", 1, {}, std::nullopt, {}};
        for (const StringTable& t : info.tables) {
            VersionNode table{t.name, 1, {}, std::nullopt, {}};
            for (const StringEntry& s : t.strings)
                table.children.push_back(VersionNode{s.key, 1, textValue(s.value), std::nullopt, {}});
            sfi.children.push_back(std::move(table));
        }
        root.children.push_back(std::move(sfi));
    }
    if (info.translations) {
        Bytes v;
        for (const Translation& t : *info.translations)
            put32(v, (std::uint32_t{t.codePage} << 16) | t.language);
        VersionNode var{u"Translation", 0, std::move(v), std::nullopt, {}};
        VersionNode vfi{u"VarFileInfo", 1, {}, std::nullopt, {}};
        vfi.children.push_back(std::move(var));
        root.children.push_back(std::move(vfi));
    }
    return root;
}

VersionInfo simpleVersionInfo(std::array<std::uint16_t, 4> fileVersion,
                              const std::vector<std::pair<std::string, std::string>>& strings, Translation translation)
{
    VersionInfo info;
    info.fixed->fileVersion = fileVersion;
    info.fixed->productVersion = fileVersion;
    StringTable table{tableName(translation), {}};
    for (const auto& [k, v] : strings)
        table.strings.push_back({utf16(k), utf16(v)});
    info.tables.push_back(std::move(table));
    info.translations = std::vector<Translation>{translation};
    return info;
}

} // namespace verwriter
