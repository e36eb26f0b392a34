// Opening a document or address with the desktop's default action, through the toolkit's desktop
// services (xdg-open and friends, started detached, so a slow or missing browser never blocks).
#include "platform/shell.h"

#include "platform/base/case_fold.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QUrl>
#include <cstdint>

namespace {
HINSTANCE result(int code)
{
    return reinterpret_cast<HINSTANCE>(static_cast<std::intptr_t>(code));
}

// "https:", "mailto:", ...: a letter, then letters, digits, "+", "-" or ".", then a colon.
// Two characters at least, so that a drive letter is never taken for a scheme.
bool hasScheme(const QString& text)
{
    const int colon = text.indexOf(QLatin1Char(':'));
    if (colon < 2 || !text.at(0).isLetter())
        return false;
    for (int i = 1; i < colon; ++i) {
        const QChar c = text.at(i);
        if (!(c.isLetterOrNumber() || c == QLatin1Char('+') || c == QLatin1Char('-') || c == QLatin1Char('.')))
            return false;
    }
    return true;
}
} // namespace

HINSTANCE ShellExecuteA(HWND, LPCSTR operation, LPCSTR file, LPCSTR parameters, LPCSTR directory, INT)
{
    if (file == nullptr || *file == '\0')
        return result(SE_ERR_FNF);
    if (operation != nullptr && *operation != '\0' && !wincompat::sameAsciiName(operation, "open"))
        return result(SE_ERR_NOASSOC);
    if (parameters != nullptr && *parameters != '\0')
        return result(SE_ERR_NOASSOC);
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr)
        return result(SE_ERR_NOASSOC);

    const QString target = QString::fromUtf8(file).trimmed();
    QUrl url;
    if (hasScheme(target)) {
        url = QUrl(target, QUrl::StrictMode);
        if (!url.isValid())
            return result(SE_ERR_FNF);
    } else {
        const QString base =
            directory != nullptr && *directory != '\0' ? QString::fromUtf8(directory) : QDir::currentPath();
        const QFileInfo info(QDir(base), target);
        if (!info.exists())
            return result(info.dir().exists() ? SE_ERR_FNF : SE_ERR_PNF);
        url = QUrl::fromLocalFile(info.absoluteFilePath());
    }
    return result(QDesktopServices::openUrl(url) ? 42 : SE_ERR_NOASSOC);
}
