#include "controls/buttons/TLMDButton.h"
#include "framework/SystemColors.h"

#include "controls/buttons/ButtonFace.h"
#include "framework/TForm.h"

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QPainter>
#include <QShortcut>

TLMDButton::TLMDButton(TComponent* owner, QWidget* parent) : TLMDGlyphButton(owner, parent)
{
    resize(75, 25);
    SetTakesFocus(true);
    SetTabStop(true);
    setAutoDefault(false);
    connect(this, &QPushButton::clicked, this, [this] {
        if (modalResult_ != 0)
            if (auto* dialog = qobject_cast<QDialog*>(window()))
                dialog->done(modalResult_);
    });
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance()))
        focusWatch_ = connect(app, &QApplication::focusChanged, this, [this] { focusMoved(); });
}

// The base widget's destructor moves the focus away; by then this part of the button is gone.
TLMDButton::~TLMDButton() { disconnect(focusWatch_); }

void TLMDButton::SetDefault(bool v)
{
    default_ = v;
    setDefault(v);
    if (auto* form = dynamic_cast<TForm*>(Owner())) {
        if (v)
            form->SetDefaultButton(this);
        else if (form->DefaultButton() == this)
            form->SetDefaultButton(nullptr);
    }
    focusMoved();
}

void TLMDButton::SetCancel(bool v)
{
    cancel_ = v;
    delete escape_;
    escape_ = nullptr;
    if (!v)
        return;
    escape_ = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape_, &QShortcut::activated, this, [this] {
        if (isEnabled())
            click();
    });
}

bool TLMDButton::Active() const
{
    if (!isEnabled())
        return false;
    const QWidget* focused = window()->focusWidget();
    if (focused == this)
        return true;
    return default_ && (focused == nullptr || qobject_cast<const QAbstractButton*>(focused) == nullptr);
}

void TLMDButton::focusMoved()
{
    const bool active = Active();
    if (active != wasActive_) {
        wasActive_ = active;
        update();
    }
}

void TLMDButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const TLMDButtonState state = DrawnState();
    const bool down = state == bstDown;
    const bool active = Active();
    const QColor face = look_.FaceColor(*this);
    QRect r = rect();
    painter.fillRect(r, face);
    if (!down && (active || window()->focusWidget() == this))
        FrameButtonRect(painter, r, ToQColor(clWindowFrame));
    const QRect inner = r;
    if (down) {
        QRect frame = r;
        FrameButtonRect(painter, frame, QColor(0, 0, 0));
        FrameButtonRect(painter, frame, QColor(128, 128, 128));
    } else {
        QRect bevel = r;
        DrawRaisedButtonEdge(painter, bevel);
    }
    if (active) {
        const int inset = down ? 4 : 3;
        DrawFocusDots(painter, inner.adjusted(inset, inset, -inset, -inset));
    }
    QRect content = inner.adjusted(3, 3, -3, -3);
    if (down)
        content.translate(1, 1);
    look_.DrawContent(painter, content, state, text(), font(), face);
}

void TLMDButton::keyPressEvent(QKeyEvent* event)
{
    // A focused button is the one Enter clicks, as in any dialog.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (isEnabled())
            click();
        event->accept();
        return;
    }
    QPushButton::keyPressEvent(event);
}

void TLMDButton::changeEvent(QEvent* event)
{
    QPushButton::changeEvent(event);
    if (event->type() == QEvent::EnabledChange)
        focusMoved();
}

bool TLMDButton::ReadControlProperty(const std::string& name, const std::string& value)
{
    if (name == "Default")
        SetDefault(StoredBool(name, value));
    else if (name == "Cancel")
        SetCancel(StoredBool(name, value));
    else if (name == "ModalResult")
        SetModalResult(StoredInt(name, value));
    else
        return TLMDGlyphButton::ReadControlProperty(name, value);
    return true;
}
