#pragma once
// Answers the program's modal boxes from the test, through the real widgets: each expected box is
// matched by its object name when it becomes the active modal widget, recorded, and answered.
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <deque>
#include <functional>
#include <string>

struct SeenBox {
    std::string kind;    // the object name: "TMessageForm", "ErrorBox", ...
    std::string caption; // window title
    std::string text;    // the message shown
};

class ModalScript {
public:
    using Answer = std::function<void(QWidget*)>;

    ModalScript();
    ~ModalScript();
    ModalScript(const ModalScript&) = delete;
    ModalScript& operator=(const ModalScript&) = delete;

    // Expects the next box to be `kind`; `answer` runs on it once it is open. A box that comes when
    // none of that kind is expected is recorded and closed from its title bar. A box that becomes the
    // active one again after another closed over it counts as a new sighting.
    ModalScript& then(const QString& kind, Answer answer);
    // Runs `check` on the GUI thread on every tick while the script runs (for windows that are not boxes).
    void onTick(std::function<void()> check) { tick_ = std::move(check); }

    bool finished() const { return expected_.empty(); }
    const std::deque<SeenBox>& seen() const { return seen_; }
    int unexpected() const { return unexpected_; }

private:
    void poll();

    QTimer timer_;
    std::deque<std::pair<QString, Answer>> expected_;
    std::deque<SeenBox> seen_;
    QPointer<QWidget> handled_;
    std::function<void()> tick_;
    int unexpected_ = 0;
};

// Common answers.
ModalScript::Answer clickButton(const QString& objectName);
ModalScript::Answer pressKey(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
ModalScript::Answer closeFromTitleBar();
