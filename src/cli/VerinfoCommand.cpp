// verinfo: what the update utility's version panels would read from each file.
#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/ReadableFile.h"
#include "cli/TextOutput.h"

#include "framework/core/Exceptions.h"
#include "version/TSMVersionInfo.h"

#include <charconv>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace {
const char usageText[] =
    "Usage: tallyrune-updatectl verinfo [--json] FILE...\n"
    "\n"
    "Shows what the update utility's version reader reads from each FILE: the four numbers and the\n"
    "date of the fixed part, and the ten strings, one NAME=VALUE per line and a blank line between\n"
    "files. A file without version information shows empty values.\n"
    "\n"
    "  --json  one JSON object for one FILE; a JSON array of them, in the order given, for several\n"
    "\n"
    "Exit status: 0 every file read; 1 a file is missing or cannot be read (the others are still\n"
    "shown); 2 usage error.\n";

struct Field {
    std::string name;
    bool isText;
    std::string text;  // for strings
    double number = 0; // for numbers
    bool integral = true;
};

// The shortest text that reads back as the same number.
std::string plainNumber(double v, bool integral)
{
    char buf[40];
    if (integral) {
        std::snprintf(buf, sizeof buf, "%.0f", v);
    } else {
        auto [end, ec] = std::to_chars(buf, buf + sizeof buf - 1, v);
        *end = '\0';
    }
    return buf;
}

QJsonValue jsonNumber(double v, bool integral)
{
    return integral ? QJsonValue(static_cast<qint64>(v)) : QJsonValue(v);
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

// One object per file, the file first.
std::string jsonFields(const std::string& file, const std::vector<Field>& fields)
{
    JsonLine object(JsonLayout::Tight);
    object.Add("file", JsonText(file));
    for (const Field& f : fields)
        object.Add(f.name, f.isText ? JsonText(f.text) : jsonNumber(f.number, f.integral));
    return object.Text();
}

// Several files make one document that a JSON reader takes whole.
std::string jsonDocument(const std::vector<std::string>& objects, bool several)
{
    if (!several)
        return objects.empty() ? std::string() : objects.front() + "\n";
    std::string out = "[";
    for (std::size_t i = 0; i < objects.size(); ++i)
        out += (i == 0 ? "" : ",\n ") + objects[i];
    return out + "]\n";
}

std::string plainFields(const std::vector<Field>& fields)
{
    std::string out;
    for (const Field& f : fields)
        out += f.name + "=" + (f.isText ? PlainText(f.text) : plainNumber(f.number, f.integral)) + "\n";
    return out;
}

// The files, or the exit status when the command ends here (help or a usage error).
std::optional<int> parseArguments(const CommandArgs& args, bool& json, std::vector<std::string>& files)
{
    CommandLine line(true);
    line.AddSwitch({"h", "help"});
    line.AddSwitch({"json"});
    line.Parse(args);
    if (line.IsSet("help")) {
        std::fputs(usageText, stdout);
        return 0;
    }
    if (line.Refusal() != CommandLine::Problem::None) {
        std::fprintf(stderr, "tallyrune-updatectl verinfo: unknown option '%s'\n", line.RefusedArgument().c_str());
        std::fputs(usageText, stderr);
        return 2;
    }
    json = line.IsSet("json");
    files = line.Operands();
    if (files.empty()) {
        std::fputs(usageText, stderr);
        return 2;
    }
    return std::nullopt;
}
} // namespace

int RunVerinfoCommand(const CommandArgs& args)
{
    bool json = false;
    std::vector<std::string> files;
    if (const std::optional<int> ended = parseArguments(args, json, files))
        return *ended;
    int status = 0;
    bool first = true;
    std::vector<std::string> objects;
    const auto refuse = [&](const std::string& file, const std::string& reason) {
        std::fprintf(stderr, "tallyrune-updatectl verinfo: %s: %s\n", PlainText(file).c_str(),
                     PlainText(reason).c_str());
        status = 1;
    };
    for (const std::string& file : files) {
        if (const std::optional<std::string> reason = UnreadableFileReason(file)) {
            refuse(file, *reason);
            continue;
        }
        TSMVersionInfo info(nullptr);
        try {
            info.SetFileName(file);
        } catch (const EOSError& e) {
            refuse(file, e.Message());
            continue;
        }
        const std::vector<Field> fields = fieldsOf(info);
        if (json) {
            objects.push_back(jsonFields(file, fields));
            continue;
        }
        const std::string out = (first ? "" : "\n") + plainFields(fields);
        first = false;
        std::fputs(out.c_str(), stdout);
    }
    if (json)
        std::fputs(jsonDocument(objects, files.size() > 1).c_str(), stdout);
    std::fflush(stdout);
    return status;
}
