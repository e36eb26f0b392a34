#include "cli/TextOutput.h"

#include "update/VersionPanels.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QString>

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

// One value in an array is the smallest document QJsonDocument writes; its brackets go.
std::string written(const QJsonValue& value)
{
    const QByteArray array = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2).toStdString();
}
} // namespace

QJsonValue JsonText(const std::string& raw)
{
    return QString::fromStdString(validUtf8(raw));
}

JsonLine& JsonLine::Add(std::string_view name, const QJsonValue& value)
{
    return addWritten(name, written(value));
}

JsonLine& JsonLine::Add(std::string_view name, const JsonLine& object)
{
    return addWritten(name, object.Text());
}

JsonLine& JsonLine::addWritten(std::string_view name, const std::string& value)
{
    if (!body_.empty())
        body_ += layout_ == JsonLayout::Spaced ? ", " : ",";
    body_ += written(QString::fromUtf8(name.data(), qsizetype(name.size()))) +
             (layout_ == JsonLayout::Spaced ? ": " : ":") + value;
    return *this;
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

JsonLine VersionListingJson(const VersionListing& panel)
{
    JsonLine object(JsonLayout::Spaced);
    for (const VersionPanelRow& row : VersionPanelRows)
        object.Add(row.Key, JsonText(panel.Values(row.Key)));
    return object;
}

bool IsYesAnswer(const std::string& answer)
{
    return answer == "y" || answer == "Y" || answer == "yes" || answer == "Yes" || answer == "YES";
}
