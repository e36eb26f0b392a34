#pragma once
// Answers the next modal window from the test: once it is shown, runs the given steps on it
// (which look at it and close it), on the real event loop. Gives up after a few seconds so that
// a box that never appears fails the test instead of hanging it.
#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

class ModalAnswer {
public:
    explicit ModalAnswer(std::function<void(QWidget*)> steps) : steps_(std::move(steps))
    {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start();
    }
    // Whether a modal window was found and the steps ran.
    bool Answered() const { return answered_; }

private:
    void poll()
    {
        if (++polls_ > 500) {
            timer_.stop();
            return;
        }
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || !modal->isVisible())
            return;
        timer_.stop();
        answered_ = true;
        QPointer<QWidget> window(modal);
        steps_(modal);
        // Steps that failed to close it must not leave the test waiting for ever.
        QTimer::singleShot(3000, [window] {
            if (!window.isNull() && window->isVisible()) {
                ADD_FAILURE() << "the modal window was left open";
                window->close();
            }
        });
    }

    std::function<void(QWidget*)> steps_;
    QTimer timer_;
    int polls_ = 0;
    bool answered_ = false;
};
