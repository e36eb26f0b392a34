#include "update/UpdateHistory.h"

#include "framework/core/Exceptions.h"
#include "platform/eventlog.h"
#include "platform/system.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {
const char historyFolder[] = "history";
const char historyFile[] = "updates.jsonl";

// Local time with its offset spelled out, +00:00 included, so that records from tills in
// different zones, or from either side of a clock change, read the same way.
std::string localTimeNow()
{
    const QDateTime now = QDateTime::currentDateTime();
    const int offset = now.offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    char zone[8];
    std::snprintf(zone, sizeof zone, "%c%02d:%02d", offset < 0 ? '-' : '+', minutes / 60 % 100, minutes % 60);
    return now.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")).toStdString() + zone;
}

std::string loginName()
{
    char name[256];
    DWORD size = sizeof name;
    return GetUserNameA(name, &size) ? std::string(name) : std::string();
}

// Paths may hold bytes that are not UTF-8; the file stays valid JSON with U+FFFD in their place.
std::string jsonString(const std::string& raw)
{
    const QByteArray text = QString::fromUtf8(raw.data(), static_cast<qsizetype>(raw.size())).toUtf8();
    std::string out = "\"";
    for (const char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
                out += escaped;
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

std::string jsonNumber(double value)
{
    if (!std::isfinite(value))
        return "0"; // JSON has no NaN or infinity
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return std::string(text, end);
}

std::string text(const QJsonObject& object, const char* key)
{
    return object.value(QLatin1String(key)).toString().toStdString();
}

std::uint64_t count(const QJsonObject& object, const char* key)
{
    const qint64 n = object.value(QLatin1String(key)).toInteger();
    return n > 0 ? static_cast<std::uint64_t>(n) : 0;
}

// "/opt/till/" and "/opt/till" are the same program folder.
std::string withoutTrailingSeparator(std::string folder)
{
    while (folder.size() > 1 && (folder.back() == '/' || folder.back() == wincompat::pathDelimiter()))
        folder.pop_back();
    return folder;
}

std::string logLine(const UpdateRecord& r)
{
    std::string line = r.Action + " " + r.Outcome + ": " + r.ProgramFolder + " " + r.VersionBefore + " -> " +
                       r.VersionAfter + ", " + std::to_string(r.FilesReplaced) + " replaced, " +
                       std::to_string(r.FilesUnchanged) + " unchanged, " + std::to_string(r.FilesAdded) +
                       " added, by " + r.User;
    if (!r.FirstError.empty())
        line += " - " + r.FirstError;
    return line;
}
} // namespace

std::string UpdateHistoryPath()
{
    return wincompat::stateFilePath(historyFolder, historyFile);
}

std::string UpdateRecordJson(const UpdateRecord& r)
{
    return "{\"time\":" + jsonString(r.Time) + ",\"action\":" + jsonString(r.Action) +
           ",\"user\":" + jsonString(r.User) + ",\"program_folder\":" + jsonString(r.ProgramFolder) +
           ",\"update_folder\":" + jsonString(r.UpdateFolder) + ",\"version_before\":" + jsonString(r.VersionBefore) +
           ",\"version_after\":" + jsonString(r.VersionAfter) + ",\"outcome\":" + jsonString(r.Outcome) +
           ",\"files_replaced\":" + std::to_string(r.FilesReplaced) +
           ",\"files_unchanged\":" + std::to_string(r.FilesUnchanged) +
           ",\"files_added\":" + std::to_string(r.FilesAdded) + ",\"bytes\":" + std::to_string(r.Bytes) +
           ",\"seconds\":" + jsonNumber(r.Seconds) + ",\"first_error\":" + jsonString(r.FirstError) + "}";
}

std::string RecordUpdateEvent(UpdateRecord record)
{
    if (record.Time.empty())
        record.Time = localTimeNow();
    if (record.User.empty())
        record.User = loginName();
    // An update that had to be rolled back failed; a rollback that rolled back did what was asked.
    const bool completed =
        record.Outcome == "completed" || (record.Action == "rollback" && record.Outcome == "rolled-back");
    wincompat::writeSystemLog(completed ? wincompat::EventSeverity::Information : wincompat::EventSeverity::Warning,
                              logLine(record));
    const DWORD rc = wincompat::appendLineToStateFile(historyFolder, historyFile, UpdateRecordJson(record) + "\n");
    if (rc == ERROR_SUCCESS)
        return {};
    return "The update history could not be written to " + UpdateHistoryPath() + ": " + SysErrorMessage(rc);
}

std::vector<UpdateRecord> ReadUpdateHistory(const std::string& programFolder)
{
    std::string contents;
    const DWORD rc = wincompat::readStateFile(historyFolder, historyFile, contents);
    if (rc == ERROR_FILE_NOT_FOUND || rc == ERROR_PATH_NOT_FOUND)
        return {};
    if (rc != ERROR_SUCCESS)
        throw Exception("The update history " + UpdateHistoryPath() + " cannot be read: " + SysErrorMessage(rc));

    const std::string wanted = withoutTrailingSeparator(programFolder);
    std::vector<UpdateRecord> records;
    size_t start = 0;
    while (start < contents.size()) {
        size_t end = contents.find('\n', start);
        if (end == std::string::npos)
            end = contents.size();
        const QByteArray line(contents.data() + start, static_cast<qsizetype>(end - start));
        start = end + 1;
        QJsonParseError error{};
        const QJsonDocument document = QJsonDocument::fromJson(line, &error);
        if (error.error != QJsonParseError::NoError || !document.isObject())
            continue; // a line cut short or written by hand: the others still count
        const QJsonObject o = document.object();
        UpdateRecord r;
        r.Time = text(o, "time");
        r.Action = text(o, "action");
        r.User = text(o, "user");
        r.ProgramFolder = text(o, "program_folder");
        r.UpdateFolder = text(o, "update_folder");
        r.VersionBefore = text(o, "version_before");
        r.VersionAfter = text(o, "version_after");
        r.Outcome = text(o, "outcome");
        r.FilesReplaced = count(o, "files_replaced");
        r.FilesUnchanged = count(o, "files_unchanged");
        r.FilesAdded = count(o, "files_added");
        r.Bytes = count(o, "bytes");
        r.Seconds = o.value(QLatin1String("seconds")).toDouble();
        r.FirstError = text(o, "first_error");
        if (wanted.empty() || withoutTrailingSeparator(r.ProgramFolder) == wanted)
            records.push_back(std::move(r));
    }
    return records;
}
