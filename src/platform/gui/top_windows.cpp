// Top-level windows of any process: this process's own and, on X11, other processes' windows,
// found by class and title, restored and activated; and the mark of the application window.
#include "platform/user.h"

#include "platform/gui/top_windows.h"
#include "platform/gui/x11_windows.h"
#include "platform/system.h"
#include "platform/window.h"

#include <QApplication>
#include <QVariant>
#include <QWidget>
#include <cstdint>
#include <string>
#include <vector>

namespace x11 = wincompat::gui::x11;
using wincompat::handleOf;
using wincompat::gui::ownWidget;

namespace {

constexpr const char* applicationTitleProperty = "wincompatApplicationTitle";

// Handles of this process's windows are widget addresses, always even; another process's X
// window is carried as an odd number, so that the two can never be taken for each other.
HWND foreignHandle(x11::Window window)
{
    return reinterpret_cast<HWND>((static_cast<std::uintptr_t>(window) << 1) | 1u);
}

bool isForeign(HWND handle)
{
    return (reinterpret_cast<std::uintptr_t>(handle) & 1u) != 0;
}

x11::Window foreignWindow(HWND handle)
{
    return static_cast<x11::Window>(reinterpret_cast<std::uintptr_t>(handle) >> 1);
}

QWidget* ownWidgetOf(x11::Window window)
{
    if (qApp == nullptr)
        return nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->internalWinId() == static_cast<WId>(window))
            return w;
    return nullptr;
}

struct Candidate {
    HWND handle;
    std::string className;
    std::string title;
};

Candidate describeOwn(QWidget* w)
{
    const QVariant app = w->property(applicationTitleProperty);
    if (app.isValid())
        return {handleOf(w), "TApplication", app.toString().toStdString()};
    return {handleOf(w), w->metaObject()->className(), w->windowTitle().toStdString()};
}

// Every top-level window from the top down: the display's, where the toolkit runs on X11; this
// process's visible ones otherwise, as no other process's windows can be reached there.
std::vector<Candidate> candidates()
{
    std::vector<Candidate> out;
    if (x11::available()) {
        for (x11::Window window : x11::topLevelWindows()) {
            if (QWidget* own = ownWidgetOf(window))
                out.push_back(describeOwn(own));
            else
                out.push_back({foreignHandle(window), x11::windowClass(window), x11::windowTitle(window)});
        }
    } else if (qApp != nullptr) {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible())
                out.push_back(describeOwn(w));
    }
    return out;
}

} // namespace

namespace wincompat::gui {
QWidget* ownWidget(HWND handle)
{
    if (handle == nullptr || isForeign(handle) || qApp == nullptr)
        return nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (handleOf(w) == handle)
            return w;
    return nullptr;
}
} // namespace wincompat::gui

HWND FindWindowExA(HWND parent, HWND childAfter, LPCSTR className, LPCSTR windowName)
{
    if (parent != nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const std::vector<Candidate> all = candidates();
    std::size_t i = 0;
    if (childAfter != nullptr) {
        while (i < all.size() && all[i].handle != childAfter)
            ++i;
        ++i; // an unknown childAfter leaves nothing after it
    }
    for (; i < all.size(); ++i) {
        if ((className == nullptr || all[i].className == className) &&
            (windowName == nullptr || all[i].title == windowName))
            return all[i].handle;
    }
    SetLastError(ERROR_FILE_NOT_FOUND);
    return nullptr;
}

BOOL IsWindow(HWND window)
{
    if (isForeign(window))
        return x11::exists(foreignWindow(window));
    return ownWidget(window) != nullptr;
}

BOOL IsIconic(HWND window)
{
    if (isForeign(window))
        return x11::iconic(foreignWindow(window));
    QWidget* w = ownWidget(window);
    return w != nullptr && w->isMinimized();
}

BOOL OpenIcon(HWND window)
{
    if (isForeign(window))
        return x11::restore(foreignWindow(window));
    QWidget* w = ownWidget(window);
    if (w == nullptr)
        return FALSE;
    w->showNormal();
    w->raise();
    w->activateWindow();
    return TRUE;
}

BOOL SetForegroundWindow(HWND window)
{
    if (isForeign(window))
        return x11::activate(foreignWindow(window));
    QWidget* w = ownWidget(window);
    if (w == nullptr)
        return FALSE;
    w->raise();
    w->activateWindow();
    return TRUE;
}

namespace wincompat {
void SetApplicationWindow(HWND window, const char* title)
{
    QWidget* w = ownWidget(window);
    if (w == nullptr)
        return;
    w->setProperty(applicationTitleProperty, QString::fromUtf8(title));
    if (x11::available())
        x11::markApplicationWindow(static_cast<x11::Window>(w->winId()), title);
}
} // namespace wincompat
