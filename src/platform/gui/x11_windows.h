#pragma once
// Other processes' top-level windows on an X11 display, reached through the toolkit's own
// connection: nothing here when the toolkit runs on another platform (offscreen, Wayland).
#include <cstdint>
#include <string>
#include <vector>

namespace wincompat::gui::x11 {

using Window = std::uint32_t;

// True when the toolkit talks to an X server.
bool available();

// Client windows from the top of the stacking order down.
std::vector<Window> topLevelWindows();

// A window marked as an application window has class "TApplication" and the marked title;
// any other has the class part of WM_CLASS and its name.
std::string windowClass(Window window);
std::string windowTitle(Window window);
void markApplicationWindow(Window window, const std::string& title);

bool exists(Window window);
bool iconic(Window window);
// Through the window manager where one runs (it restores and focuses as a taskbar would);
// without one by mapping, raising and focusing the window directly.
bool restore(Window window);
bool activate(Window window);

// The keycodes the server reports held down at this moment; none without a connection.
std::vector<std::uint8_t> keysDown();

} // namespace wincompat::gui::x11
