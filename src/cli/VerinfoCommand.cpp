// verinfo: what the update utility's version panels would read from each file.
#include "cli/Commands.h"
#include "cli/TextOutput.h"

#include "framework/core/Exceptions.h"
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
            std::fprintf(stderr, "tallyrune-updatectl verinfo: %s: %s\n", PlainText(file).c_str(),
                         PlainText(e.Message()).c_str());
            status = 1;
            continue;
        }
        const std::vector<Field> fields = fieldsOf(info);
        std::string out;
        if (json) {
            out = "{\"file\":" + JsonString(file);
            for (const Field& f : fields)
                out += "," + JsonString(f.name) + ":" +
                       (f.isText ? JsonString(f.text) : number(f.number, f.integral, true));
            out += "}\n";
        } else {
            if (!first)
                out += "\n";
            for (const Field& f : fields)
                out += f.name + "=" + (f.isText ? PlainText(f.text) : number(f.number, f.integral, false)) + "\n";
        }
        first = false;
        std::fputs(out.c_str(), stdout);
    }
    std::fflush(stdout);
    return status;
}
