#pragma once
// What the desktop lends a dialog: the message font, the stock icons, the beep and the clipboard.
#include "platform/wintypes.h"

#include <QFont>
#include <QPixmap>
#include <string>

#ifndef _WIN32
#define IDI_HAND 32513
#define IDI_QUESTION 32514
#define IDI_EXCLAMATION 32515
#define IDI_ASTERISK 32516
#define MB_OK 0x00000000L

BOOL MessageBeep(UINT type);
// The clipboard is held by one window at a time; a second opener is refused until it is closed.
BOOL OpenClipboard(HWND owner);
BOOL CloseClipboard();
#endif

namespace wincompat {
// The font of message boxes as the desktop configures it.
QFont messageFont();
// The stock icon of that resource number (IDI_*), 32 x 32 pixels; a null pixmap for any other.
QPixmap stockIcon(int id);
// Gives every window of the application the desktop's classic 3-D look: its style, system colours and
// message-box icons. A GUI program calls it once at start.
void useClassicLook();
// The width a window needs for its title bar to show `caption` whole.
int captionWidth(const QString& caption);
// Replaces the clipboard's content with plain 8-bit text; false when the clipboard cannot be opened.
bool setClipboardText(HWND owner, const std::string& text);
} // namespace wincompat
