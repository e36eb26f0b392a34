// mkpe: writes a minimal PE file (or a bare VS_VERSIONINFO block) with the given version values.
#include "PeWriter.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

using namespace verwriter;

namespace {
const char usageText[] =
    "Usage: mkpe OUT [--pe32plus] [--file-version A.B.C.D] [--product-version A.B.C.D]\n"
    "            [--file-date HIGH:LOW] [--translation LANG:CP ...] [--table NAME]\n"
    "            [--string KEY=VALUE ...] [--no-version] [--no-fixed] [--resource-id N]\n"
    "            [--resource-name NAME] [--language N] [--section-offset BYTES] [--block-only]\n"
    "LANG, CP and the language are hexadecimal; other numbers take C notation (0x... for hex).\n"
    "--string goes into the table named by the last --table, else the first translation's table.\n";

int usage()
{
    std::fputs(usageText, stderr);
    return 2;
}

bool parseNumber(const std::string& s, int base, unsigned long long max, unsigned long long& out)
{
    if (s.empty() || s[0] == '-' || s[0] == '+')
        return false;
    char* end = nullptr;
    errno = 0;
    out = std::strtoull(s.c_str(), &end, base);
    return errno == 0 && *end == '\0' && out <= max;
}

bool parseQuad(const std::string& s, std::array<std::uint16_t, 4>& out)
{
    std::size_t start = 0;
    for (int i = 0; i < 4; ++i) {
        std::size_t dot = i < 3 ? s.find('.', start) : s.size();
        if (dot == std::string::npos)
            return false;
        unsigned long long v;
        if (!parseNumber(s.substr(start, dot - start), 10, 0xFFFF, v))
            return false;
        out[static_cast<std::size_t>(i)] = static_cast<std::uint16_t>(v);
        start = dot + 1;
    }
    return true;
}

bool parsePair(const std::string& s, int base, unsigned long long max, unsigned long long& a, unsigned long long& b)
{
    std::size_t colon = s.find(':');
    return colon != std::string::npos && parseNumber(s.substr(0, colon), base, max, a) &&
           parseNumber(s.substr(colon + 1), base, max, b);
}
} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return usage();
    std::string out;
    VersionInfo info;
    PeOptions pe;
    bool noVersion = false, blockOnly = false, productGiven = false;
    std::vector<Translation> translations;
    // Strings collected per table name; an empty name means "the first translation's table".
    std::vector<StringTable> tables;
    std::u16string currentTable;
    std::vector<std::pair<std::u16string, StringEntry>> pending;

    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        unsigned long long x = 0, y = 0;
        if (a == "--help") {
            std::fputs(usageText, stdout);
            return 0;
        } else if (a == "--pe32plus") {
            pe.pe32plus = true;
        } else if (a == "--no-version") {
            noVersion = true;
        } else if (a == "--no-fixed") {
            info.fixed.reset();
        } else if (a == "--block-only") {
            blockOnly = true;
        } else if (a == "--file-version" || a == "--product-version") {
            const char* v = value();
            std::array<std::uint16_t, 4> q{};
            if (!v || !parseQuad(v, q))
                return usage();
            if (!info.fixed)
                info.fixed = FixedInfo{};
            (a == "--file-version" ? info.fixed->fileVersion : info.fixed->productVersion) = q;
            productGiven |= a == "--product-version";
        } else if (a == "--file-date") {
            const char* v = value();
            if (!v || !parsePair(v, 0, 0xFFFFFFFFull, x, y))
                return usage();
            if (!info.fixed)
                info.fixed = FixedInfo{};
            info.fixed->fileDateMS = static_cast<std::uint32_t>(x);
            info.fixed->fileDateLS = static_cast<std::uint32_t>(y);
        } else if (a == "--translation") {
            const char* v = value();
            if (!v || !parsePair(v, 16, 0xFFFF, x, y))
                return usage();
            translations.push_back({static_cast<std::uint16_t>(x), static_cast<std::uint16_t>(y)});
        } else if (a == "--table") {
            const char* v = value();
            if (!v || !*v)
                return usage();
            currentTable = utf16(v);
        } else if (a == "--string") {
            const char* v = value();
            const char* eq = v ? std::strchr(v, '=') : nullptr;
            if (!eq)
                return usage();
            pending.push_back({currentTable, {utf16(std::string(v, eq)), utf16(eq + 1)}});
        } else if (a == "--resource-id") {
            const char* v = value();
            if (!v || !parseNumber(v, 0, 0xFFFF, x))
                return usage();
            pe.resourceId = static_cast<std::uint16_t>(x);
        } else if (a == "--resource-name") {
            const char* v = value();
            if (!v || !*v)
                return usage();
            pe.resourceName = utf16(v);
        } else if (a == "--language") {
            const char* v = value();
            if (!v || !parsePair(std::string(v) + ":0", 16, 0xFFFF, x, y))
                return usage();
            pe.language = static_cast<std::uint16_t>(x);
        } else if (a == "--section-offset") {
            const char* v = value();
            if (!v || !parseNumber(v, 0, 0xFFF00000ull, x))
                return usage();
            pe.sectionOffset = x;
        } else if (a.rfind("--", 0) == 0 || !out.empty()) {
            return usage();
        } else {
            out = a;
        }
    }
    if (out.empty())
        return usage();
    if (translations.empty())
        translations.push_back({0x0409, 0x04E4});
    if (info.fixed && !productGiven)
        info.fixed->productVersion = info.fixed->fileVersion;
    info.translations = translations;
    for (auto& [name, entry] : pending) {
        std::u16string tname = name.empty() ? tableName(translations.front()) : name;
        StringTable* table = nullptr;
        for (auto& t : tables)
            if (t.name == tname)
                table = &t;
        if (!table)
            table = &tables.emplace_back(StringTable{tname, {}});
        table->strings.push_back(entry);
    }
    if (tables.empty())
        tables.push_back({tableName(translations.front()), {}});
    info.tables = tables;

    std::string error;
    try {
        Bytes block = buildVersionBlock(info);
        bool ok;
        if (blockOnly) {
            ok = writeBytes(out, block, &error);
        } else {
            if (noVersion) {
                pe.resourceType = 24; // a manifest instead, so that the file still has resources
                const char manifest[] =
                    "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\"/>";
                block.assign(manifest, manifest + sizeof manifest - 1);
                pe.resourceId = 1;
            }
            ok = writePe(out, buildPe(block, pe), &error);
        }
        if (!ok) {
            std::fprintf(stderr, "mkpe: %s\n", error.c_str());
            return 1;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "mkpe: %s\n", e.what());
        return 1;
    }
    return 0;
}
