#pragma once
// Window handles over the toolkit's widgets. On Windows an HWND is the native handle of a
// top-level widget; elsewhere it is the widget's address, which only this layer interprets.
#include "platform/wintypes.h"

#include <QWidget>

namespace wincompat {
#ifdef _WIN32
inline HWND handleOf(QWidget* widget) { return widget != nullptr ? reinterpret_cast<HWND>(widget->winId()) : nullptr; }
inline QWidget* widgetOf(HWND handle) { return QWidget::find(reinterpret_cast<WId>(handle)); }
#else
inline HWND handleOf(QWidget* widget) { return reinterpret_cast<HWND>(widget); }
inline QWidget* widgetOf(HWND handle) { return reinterpret_cast<QWidget*>(handle); }
#endif
} // namespace wincompat
