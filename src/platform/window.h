#pragma once
// Window handles over the toolkit's widgets: an HWND here is the address of a top-level QWidget.
#include "platform/wintypes.h"

class QWidget;

namespace wincompat {
inline HWND handleOf(QWidget* widget) { return reinterpret_cast<HWND>(widget); }
inline QWidget* widgetOf(HWND handle) { return reinterpret_cast<QWidget*>(handle); }
} // namespace wincompat
