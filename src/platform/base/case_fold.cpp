#include "platform/base/case_fold.h"

#include <QList>
#include <QString>

#include <cstring>

namespace wincompat {

std::string upperCaseName(const std::string& name)
{
    bool ascii = true;
    for (unsigned char c : name)
        if (c >= 0x80) {
            ascii = false;
            break;
        }
    std::string folded = name;
    if (!ascii) {
        const QString text = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
        const QByteArray back = text.toUtf8();
        if (back.size() == static_cast<qsizetype>(name.size()) &&
            std::memcmp(back.constData(), name.data(), name.size()) == 0) {
            // Simple (one-to-one) upper-case mapping per code point, as Windows compares.
            QList<uint> codePoints = text.toUcs4();
            for (uint& cp : codePoints)
                cp = QChar::toUpper(static_cast<char32_t>(cp));
            const QByteArray up =
                QString::fromUcs4(reinterpret_cast<const char32_t*>(codePoints.constData()), codePoints.size())
                    .toUtf8();
            return std::string(up.constData(), static_cast<std::size_t>(up.size()));
        }
    }
    for (char& c : folded)
        c = upperCaseAscii(c);
    return folded;
}

} // namespace wincompat
