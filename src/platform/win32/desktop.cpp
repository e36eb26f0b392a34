// The desktop's own message font, icons and clipboard.
#include "platform/desktop.h"

#include <QImage>
#include <cstring>

namespace wincompat {

QFont messageFont()
{
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        return QFont();
    const LOGFONTA& lf = metrics.lfMessageFont;
    QFont font(QString::fromLocal8Bit(lf.lfFaceName));
    font.setPixelSize(lf.lfHeight < 0 ? -lf.lfHeight : lf.lfHeight);
    font.setWeight(lf.lfWeight >= FW_BOLD ? QFont::Bold : QFont::Normal);
    font.setItalic(lf.lfItalic != 0);
    return font;
}

QPixmap stockIcon(int id)
{
    HICON icon = LoadIconA(nullptr, MAKEINTRESOURCEA(id));
    if (icon == nullptr)
        return {};
    return QPixmap::fromImage(QImage::fromHICON(icon)).scaled(32, 32, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

void useClassicLook()
{
    // The system draws its own windows, in whichever look the user chose.
}

int captionWidth(const QString&)
{
    // The system sizes its own title bars.
    return 0;
}

bool setClipboardText(HWND owner, const std::string& text)
{
    if (!OpenClipboard(owner))
        return false;
    EmptyClipboard();
    if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1)) {
        std::memcpy(GlobalLock(memory), text.c_str(), text.size() + 1);
        GlobalUnlock(memory);
        if (SetClipboardData(CF_TEXT, memory) == nullptr)
            GlobalFree(memory);
    }
    CloseClipboard();
    return true;
}

} // namespace wincompat
