// The keyboard rules of every window, applied before any widget sees a key: a window that comes
// forward while a key is down ignores that key until it is released, and repeats of the keys that
// answer a window (Enter, Escape, Space on a button, access keys) are ignored everywhere. Otherwise
// a held Enter answers every box that opens under it, and a second start's Enter updates the till
// whose window it brings forward.
#include "platform/keys.h"

#include "platform/desktop.h"
#include "platform/gui/x11_windows.h"
#include "platform/window.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPointer>
#include <QWindow>
#include <algorithm>

namespace {

// A key as the display names it (the scan code) where it does, else as the toolkit does.
struct Key {
    quint32 scanCode;
    int code;
    quint64 releasedAt = 0; // the moment of the last release seen, until the next press

    bool is(const QKeyEvent& event) const
    {
        if (scanCode != 0 && event.nativeScanCode() != 0)
            return scanCode == event.nativeScanCode();
        return code != 0 && code == event.key();
    }
};

std::string withoutAccessMarks(const std::string& text)
{
    std::string plain;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && ++i == text.size())
            break;
        plain += text[i];
    }
    return plain;
}

QChar accessLetter(const QString& caption)
{
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != u'&')
            continue;
        if (caption[i + 1] != u'&')
            return caption[i + 1].toUpper();
        ++i;
    }
    return {};
}

// Buttons of the window, left to right.
QList<QAbstractButton*> buttonsOf(QWidget* window)
{
    QList<QAbstractButton*> buttons;
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>())
        if (button->isVisibleTo(window) && button->isEnabled())
            buttons.append(button);
    std::stable_sort(buttons.begin(), buttons.end(), [window](QAbstractButton* a, QAbstractButton* b) {
        return a->mapTo(window, QPoint()).x() < b->mapTo(window, QPoint()).x();
    });
    return buttons;
}

bool isBareLetter(const QKeyEvent& event)
{
    const QString text = event.text();
    return !(event.modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier)) && text.size() == 1 &&
           text[0].isLetterOrNumber();
}

// A bare letter goes to the dialog's buttons unless the focus is on something that takes text.
bool reachesButtons(QWidget* receiver)
{
    QWidget* window = receiver->window();
    return qobject_cast<QDialog*>(window) != nullptr &&
           (receiver == window || qobject_cast<QAbstractButton*>(receiver) != nullptr);
}

// Keys that answer a window: its default or cancel button, the focused button, an access key.
bool answers(QWidget* receiver, const QKeyEvent& event)
{
    switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape: return true;
    case Qt::Key_Space: return qobject_cast<QAbstractButton*>(receiver) != nullptr;
    default: break;
    }
    return (event.modifiers() & Qt::AltModifier) || (isBareLetter(event) && reachesButtons(receiver));
}

// Clicks the one button with that access letter; with several, moves the focus to the next of them.
bool pressAccessKey(QWidget* receiver, const QKeyEvent& event)
{
    if (!isBareLetter(event) || !reachesButtons(receiver))
        return false;
    const QChar letter = event.text()[0].toUpper();
    QList<QAbstractButton*> matching;
    for (QAbstractButton* button : buttonsOf(receiver->window()))
        if (accessLetter(button->text()) == letter)
            matching.append(button);
    if (matching.isEmpty())
        return false;
    if (matching.size() == 1) {
        matching.front()->click();
        return true;
    }
    const qsizetype current = matching.indexOf(qobject_cast<QAbstractButton*>(receiver));
    matching[(current + 1) % matching.size()]->setFocus(Qt::ShortcutFocusReason);
    return true;
}

bool copyMessageBox(QWidget* receiver, const QKeyEvent& event)
{
    if (event.key() != Qt::Key_C || !(event.modifiers() & Qt::ControlModifier))
        return false;
    auto* box = qobject_cast<QMessageBox*>(receiver->window());
    if (box == nullptr)
        return false;
    std::vector<std::string> captions;
    for (QAbstractButton* button : buttonsOf(box))
        captions.push_back(button->text().toStdString());
    // A clipboard held elsewhere leaves it as it was, as the system's boxes do.
    wincompat::setClipboardText(
        wincompat::handleOf(box),
        wincompat::messageBoxText(box->windowTitle().toStdString(), box->text().toStdString(), captions));
    return true;
}

class FreshKeys : public QObject {
public:
    FreshKeys()
    {
        connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow* window) {
            if (window != nullptr)
                noteHeldKeys();
        });
    }

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override
    {
        const QEvent::Type type = event->type();
        if (type != QEvent::KeyPress && type != QEvent::KeyRelease && type != QEvent::ShortcutOverride)
            return false;
        auto* widget = qobject_cast<QWidget*>(receiver);
        if (widget == nullptr)
            return false;
        auto& key = static_cast<QKeyEvent&>(*event);
        auto held = std::find_if(held_.begin(), held_.end(), [&](const Key& k) { return k.is(key); });
        if (held != held_.end() && type != QEvent::KeyRelease && held->releasedAt != 0) {
            // A repeat comes as a release and a press of the same moment, which the toolkit does not
            // always mark as such; a press of a later moment follows a real release.
            if (key.timestamp() != held->releasedAt) {
                held_.erase(held);
                held = held_.end();
            } else {
                held->releasedAt = 0;
            }
        }
        switch (type) {
        case QEvent::ShortcutOverride:
            // Taken as the widget's own key, so that no shortcut fires; the press itself is dropped below.
            if (held != held_.end() || (key.isAutoRepeat() && answers(widget, key))) {
                key.accept();
                return true;
            }
            return false;
        case QEvent::KeyPress:
            if (held != held_.end())
                return true;
            if (key.isAutoRepeat())
                return answers(widget, key);
            if (std::none_of(down_.begin(), down_.end(), [&](const Key& k) { return k.is(key); }))
                down_.push_back({key.nativeScanCode(), key.key()});
            return pressAccessKey(widget, key) || copyMessageBox(widget, key);
        default:
            // A repeat's release, where the display sends one, is no release of the key.
            if (key.isAutoRepeat())
                return held != held_.end();
            std::erase_if(down_, [&](const Key& k) { return k.is(key); });
            if (held == held_.end())
                return false;
            if (key.timestamp() == 0)
                held_.erase(held); // no moment to tell a repeat by: taken as released
            else
                held->releasedAt = key.timestamp();
            return true;
        }
    }

private:
    // The display knows what is down, also keys pressed in another program; without one, the keys
    // this process saw pressed and not released are all there is to go by.
    void noteHeldKeys()
    {
        if (!wincompat::gui::x11::available()) {
            held_ = down_;
            return;
        }
        held_.clear();
        for (std::uint8_t code : wincompat::gui::x11::keysDown())
            held_.push_back({code, 0});
    }

    std::vector<Key> down_; // pressed in this process and not yet released
    std::vector<Key> held_; // down when the active window came forward, not released since
};

} // namespace

namespace wincompat {

void answerFreshKeysOnly()
{
    static QPointer<FreshKeys> installed;
    if (qApp == nullptr || installed != nullptr)
        return;
    installed = new FreshKeys;
    installed->setParent(qApp);
    qApp->installEventFilter(installed);
}

std::string messageBoxText(const std::string& caption, const std::string& text,
                           const std::vector<std::string>& buttonCaptions)
{
    const std::string divider = std::string(27, '-') + "\r\n";
    std::string buttons;
    for (const std::string& button : buttonCaptions)
        buttons += withoutAccessMarks(button) + "   ";
    return divider + caption + "\r\n" + divider + text + "\r\n" + divider + buttons + "\r\n" + divider;
}

} // namespace wincompat
