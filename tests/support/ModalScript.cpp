#include "support/ModalScript.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTest>

namespace {
std::string shownText(QWidget* box)
{
    if (auto* message = qobject_cast<QMessageBox*>(box))
        return message->text().toStdString();
    if (auto* label = box->findChild<QLabel*>(QStringLiteral("Message")))
        return label->text().toStdString();
    return {};
}
} // namespace

ModalScript::ModalScript()
{
    QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
    timer_.start(10);
}

ModalScript::~ModalScript()
{
    timer_.stop();
}

ModalScript& ModalScript::then(const QString& kind, Answer answer)
{
    expected_.emplace_back(kind, std::move(answer));
    return *this;
}

void ModalScript::poll()
{
    if (tick_)
        tick_();
    QWidget* box = QApplication::activeModalWidget();
    if (box == nullptr || !box->isVisible() || box == handled_)
        return;
    // The copy's progress window is modal too, but it is no question: it closes by itself.
    if (box->objectName() == QLatin1String("fileOperationProgress"))
        return;
    handled_ = box;
    seen_.push_back({box->objectName().toStdString(), box->windowTitle().toStdString(), shownText(box)});
    if (expected_.empty() || expected_.front().first != box->objectName()) {
        ++unexpected_;
        QPointer<QWidget> target = box;
        QTimer::singleShot(0, [target] {
            if (target != nullptr)
                target->close();
        });
        return;
    }
    Answer answer = std::move(expected_.front().second);
    expected_.pop_front();
    // Answered after this tick returns, so that a box opened by the answer gets ticks of its own.
    QPointer<QWidget> target = box;
    QTimer::singleShot(0, [target, answer = std::move(answer)] {
        if (target != nullptr)
            answer(target);
    });
}

ModalScript::Answer clickButton(const QString& objectName)
{
    return [objectName](QWidget* box) {
        auto* button = box->findChild<QAbstractButton*>(objectName);
        if (button == nullptr && qobject_cast<QMessageBox*>(box) != nullptr)
            button = qobject_cast<QMessageBox*>(box)->button(QMessageBox::Ok);
        if (button != nullptr)
            button->click();
        else
            box->close();
    };
}

ModalScript::Answer pressKey(int key, Qt::KeyboardModifiers modifiers)
{
    return [key, modifiers](QWidget* box) {
        QWidget* target = box->focusWidget() != nullptr ? box->focusWidget() : box;
        QTest::keyClick(target, static_cast<Qt::Key>(key), modifiers);
    };
}

ModalScript::Answer closeFromTitleBar()
{
    return [](QWidget* box) { box->close(); };
}
