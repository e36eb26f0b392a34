// verinfo: what the update utility's version panels would read from each file.
#include "cli/Commands.h"

#include "framework/Exceptions.h"
#include "version/TSMVersionInfo.h"

#include <charconv>
#include <cstdio>
#include <string>

namespace {
const char usageText[] = "Usage: tallyrune-updatectl verinfo [--json] FILE...\n";

struct Field {
    std::string name;
    bool isText;
    std::string text;  // for strings
    double number = 0; // for numbers
    bool integral = true;
};

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

std::string jsonString(const std::string& raw)
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
std::string plainText(const std::string& raw)
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

std::string number(double v, bool integral, bool json)
{
    char buf[40];
    if (integral) {
        std::snprintf(buf, sizeof buf, "%.0f", v);
    } else if (json) {
        std::snprintf(buf, sizeof buf, "%.17g", v);
    } else {
        // The shortest text that reads back as the same number.
        auto [end, ec] = std::to_chars(buf, buf + sizeof buf - 1, v);
        *end = '\0';
    }
    return buf;
}

std::vector<Field> fieldsOf(const TSMVersionInfo& info)
{
    std::vector<Field> f;
    f.push_back({"MajorVersion", false, {}, double(info.MajorVersion())});
    f.push_back({"MinorVersion", false, {}, double(info.MinorVersion())});
    f.push_back({"Release", false, {}, double(info.Release())});
    f.push_back({"Build", false, {}, double(info.Build())});
    f.push_back({"DateTime", false, {}, info.DateTime(), false});
    for (int i = 1; i <= 10; ++i)
        f.push_back({TSMVersionInfo::StringKey(i), true, info.GetVersionString(i)});
    return f;
}
} // namespace

int RunVerinfoCommand(const CommandArgs& args)
{
    bool json = false;
    std::vector<std::string> files;
    bool options = true;
    for (const std::string& a : args) {
        if (options && a == "--") {
            options = false;
        } else if (options && (a == "--help" || a == "-h")) {
            std::fputs(usageText, stdout);
            return 0;
        } else if (options && a == "--json") {
            json = true;
        } else if (options && a.size() > 1 && a[0] == '-') {
            std::fprintf(stderr, "tallyrune-updatectl verinfo: unknown option '%s'\n", a.c_str());
            std::fputs(usageText, stderr);
            return 2;
        } else {
            files.push_back(a);
        }
    }
    if (files.empty()) {
        std::fputs(usageText, stderr);
        return 2;
    }

    int status = 0;
    bool first = true;
    for (const std::string& file : files) {
        TSMVersionInfo info(nullptr);
        try {
            info.SetFileName(file);
        } catch (const EOSError& e) {
            std::fprintf(stderr, "tallyrune-updatectl verinfo: %s: %s\n", plainText(file).c_str(),
                         plainText(e.Message()).c_str());
            status = 1;
            continue;
        }
        const std::vector<Field> fields = fieldsOf(info);
        std::string out;
        if (json) {
            out = "{\"file\":" + jsonString(file);
            for (const Field& f : fields)
                out += "," + jsonString(f.name) + ":" +
                       (f.isText ? jsonString(f.text) : number(f.number, f.integral, true));
            out += "}\n";
        } else {
            if (!first)
                out += "\n";
            for (const Field& f : fields)
                out += f.name + "=" + (f.isText ? plainText(f.text) : number(f.number, f.integral, false)) + "\n";
        }
        first = false;
        std::fputs(out.c_str(), stdout);
    }
    std::fflush(stdout);
    return status;
}
