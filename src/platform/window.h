#pragma once
// Window and icon handles over the toolkit's widgets and icons. On Windows an HWND is the native
// handle of a top-level widget; elsewhere it is the widget's address, which only this layer
// interprets. The same holds for an HICON and the icon it stands for.
#include "platform/wintypes.h"

#include <QIcon>
#include <QWidget>

namespace wincompat {

// Lets this process's shell file operations show their progress window, questions and error dialog.
// A GUI program calls it once at start; without it (a console program) a job runs with no window.
void showFileOperationWindows();

#ifdef _WIN32
inline HWND handleOf(QWidget* widget)
{
    return widget != nullptr ? reinterpret_cast<HWND>(widget->winId()) : nullptr;
}
inline QWidget* widgetOf(HWND handle)
{
    return QWidget::find(reinterpret_cast<WId>(handle));
}
#else
inline HWND handleOf(QWidget* widget)
{
    return reinterpret_cast<HWND>(widget);
}
inline QWidget* widgetOf(HWND handle)
{
    return reinterpret_cast<QWidget*>(handle);
}
#endif

// An icon handed to the shell, as long as this object lives. A null icon gives a null handle.
class IconHandle {
public:
    explicit IconHandle(const QIcon& icon) : icon_(icon)
    {
#ifdef _WIN32
        if (!icon_.isNull())
            handle_ = icon_.pixmap(32, 32).toImage().toHICON();
#else
        if (!icon_.isNull())
            handle_ = reinterpret_cast<HICON>(&icon_);
#endif
    }
    ~IconHandle()
    {
#ifdef _WIN32
        if (handle_ != nullptr)
            DestroyIcon(handle_);
#endif
    }
    IconHandle(const IconHandle&) = delete;
    IconHandle& operator=(const IconHandle&) = delete;
    HICON get() const
    {
        return handle_;
    }

private:
    QIcon icon_;
    HICON handle_ = nullptr;
};

#ifndef _WIN32
inline QIcon iconOf(HICON handle)
{
    return handle != nullptr ? *reinterpret_cast<const QIcon*>(handle) : QIcon();
}
#endif
} // namespace wincompat
