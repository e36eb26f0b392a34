#include "platform/user.h"

#include "platform/gui/x11_windows.h"
#include "platform/system.h"
#include "platform/window.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QVariant>
#include <QWidget>
#include <cstdint>

namespace x11 = wincompat::gui::x11;
using wincompat::handleOf;

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

// The live top-level widget behind a handle of this process; null for anything else.
QWidget* ownWidget(HWND handle)
{
    if (handle == nullptr || isForeign(handle) || qApp == nullptr)
        return nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (handleOf(w) == handle)
            return w;
    return nullptr;
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

namespace {

struct BoxButton {
    QMessageBox::StandardButton button;
    const char* name;
    int id;
};

std::vector<BoxButton> buttonsFor(UINT type)
{
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: return {{QMessageBox::Ok, "OK", IDOK}, {QMessageBox::Cancel, "Cancel", IDCANCEL}};
    case MB_ABORTRETRYIGNORE:
        return {{QMessageBox::Abort, "Abort", IDABORT},
                {QMessageBox::Retry, "Retry", IDRETRY},
                {QMessageBox::Ignore, "Ignore", IDIGNORE}};
    case MB_YESNOCANCEL:
        return {
            {QMessageBox::Yes, "Yes", IDYES}, {QMessageBox::No, "No", IDNO}, {QMessageBox::Cancel, "Cancel", IDCANCEL}};
    case MB_YESNO: return {{QMessageBox::Yes, "Yes", IDYES}, {QMessageBox::No, "No", IDNO}};
    case MB_RETRYCANCEL: return {{QMessageBox::Retry, "Retry", IDRETRY}, {QMessageBox::Cancel, "Cancel", IDCANCEL}};
    default: return {{QMessageBox::Ok, "OK", IDOK}};
    }
}

QMessageBox::Icon iconFor(UINT type)
{
    switch (type & MB_ICONMASK) {
    case MB_ICONHAND: return QMessageBox::Critical;
    case MB_ICONQUESTION: return QMessageBox::Question;
    case MB_ICONEXCLAMATION: return QMessageBox::Warning;
    case MB_ICONASTERISK: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

} // namespace

int MessageBoxExA(HWND owner, LPCSTR text, LPCSTR caption, UINT type, WORD)
{
    if (qApp == nullptr) {
        SetLastError(ERROR_INVALID_FUNCTION);
        return 0;
    }
    const std::vector<BoxButton> choices = buttonsFor(type);
    QMessageBox box(ownWidget(owner));
    box.setObjectName(QStringLiteral("MessageBox"));
    box.setWindowTitle(QString::fromUtf8(caption != nullptr ? caption : "Error"));
    box.setText(QString::fromUtf8(text != nullptr ? text : ""));
    box.setIcon(iconFor(type));
    std::vector<std::pair<QAbstractButton*, int>> ids;
    for (const BoxButton& choice : choices) {
        QPushButton* button = box.addButton(choice.button);
        button->setObjectName(QString::fromLatin1(choice.name));
        ids.emplace_back(button, choice.id);
    }
    const std::size_t defaultIndex = ((type & MB_DEFMASK) >> 8) < choices.size() ? (type & MB_DEFMASK) >> 8 : 0;
    box.setDefaultButton(static_cast<QPushButton*>(ids[defaultIndex].first));
    // Escape answers Cancel where there is one; a lone OK answers it too.
    for (const auto& [button, id] : ids)
        if (id == IDCANCEL || choices.size() == 1)
            box.setEscapeButton(button);
    box.exec();
    for (const auto& [button, id] : ids)
        if (box.clickedButton() == button)
            return id;
    return choices.size() == 1 ? IDOK : IDCANCEL;
}
