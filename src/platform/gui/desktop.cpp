#include "platform/desktop.h"

#include <QApplication>
#include <QClipboard>

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
