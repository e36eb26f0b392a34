#pragma once
// How the companion prints text that came from files and settings: always valid UTF-8, and
// never a control character that would act on the terminal.
#include <QJsonValue>

#include <string>
#include <string_view>

class VersionListing;

// A string for JSON output: bytes that are not UTF-8 as U+FFFD, one per bad sequence.
QJsonValue JsonText(const std::string& raw);

// {"a":1,"b":2} for verinfo's one object per file, {"a": 1, "b": 2} for versions and update.
enum class JsonLayout { Tight, Spaced };

// A JSON object on one line whose members keep the order they were added in, as people read them
// (QJsonObject would sort them); QJsonDocument writes every name and value.
class JsonLine {
public:
    explicit JsonLine(JsonLayout layout) : layout_(layout) {}
    JsonLine& Add(std::string_view name, const QJsonValue& value);
    JsonLine& Add(std::string_view name, const JsonLine& object);
    std::string Text() const { return "{" + body_ + "}"; }

private:
    JsonLine& addWritten(std::string_view name, const std::string& value);

    JsonLayout layout_;
    std::string body_;
};

// One value per line: control characters shown as \xHH.
std::string PlainText(const std::string& raw);
// Whether an answer typed at a [y/N] prompt means Yes.
bool IsYesAnswer(const std::string& answer);
// A version panel as a JSON object of its four rows, in their order.
JsonLine VersionListingJson(const VersionListing& panel);
