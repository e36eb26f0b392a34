#pragma once
// What the gui calls share about top-level windows.
#include "platform/wintypes.h"

class QWidget;

namespace wincompat::gui {

// The live top-level widget behind a handle of this process; null for anything else, another
// process's window among them.
QWidget* ownWidget(HWND handle);

} // namespace wincompat::gui
