#include "platform/desktop.h"

#include <QApplication>
#include <QClipboard>
#include <QStyle>

namespace {
HWND clipboardOwner = nullptr;
bool clipboardOpen = false;
} // namespace

BOOL MessageBeep(UINT)
{
    QApplication::beep();
    return TRUE;
}

BOOL OpenClipboard(HWND owner)
{
    // Windows lets the same window open it again; anyone else waits for CloseClipboard.
    if (clipboardOpen && clipboardOwner != owner)
        return FALSE;
    clipboardOpen = true;
    clipboardOwner = owner;
    return TRUE;
}

BOOL CloseClipboard()
{
    if (!clipboardOpen)
        return FALSE;
    clipboardOpen = false;
    clipboardOwner = nullptr;
    return TRUE;
}

namespace wincompat {

QFont messageFont()
{
    // Qt's generic desktop names "Sans Serif" when no desktop has configured a font; the window was
    // designed for 8-point text in a face with Arial's metrics.
    QFont font = QApplication::font("QMessageBoxLabel");
    if (font.family() == QLatin1String("Sans Serif") || font.family().isEmpty()) {
        font = QFont(QStringLiteral("Liberation Sans"));
        font.setPointSize(8);
    }
    return font;
}

QPixmap stockIcon(int id)
{
    QStyle::StandardPixmap which;
    switch (id) {
    case IDI_HAND: which = QStyle::SP_MessageBoxCritical; break;
    case IDI_QUESTION: which = QStyle::SP_MessageBoxQuestion; break;
    case IDI_EXCLAMATION: which = QStyle::SP_MessageBoxWarning; break;
    case IDI_ASTERISK: which = QStyle::SP_MessageBoxInformation; break;
    default: return {};
    }
    QPixmap pixmap = QApplication::style()->standardIcon(which).pixmap(32, 32);
    if (pixmap.size() != QSize(32, 32)) // an icon theme without that size: scaled, never cut
        pixmap = pixmap.scaled(32, 32, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return pixmap;
}

bool setClipboardText(HWND owner, const std::string& text)
{
    if (!OpenClipboard(owner))
        return false;
    QClipboard* clipboard = QApplication::clipboard();
    if (clipboard != nullptr)
        clipboard->setText(QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size())));
    CloseClipboard();
    return clipboard != nullptr;
}

} // namespace wincompat
