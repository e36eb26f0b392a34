#include "framework/TForm.h"

#include "framework/core/Exceptions.h"
#include "framework/TApplication.h"
#include "platform/window.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <algorithm>

namespace {
constexpr int modalCancel = 2; // what closing a modal window from its title bar answers
} // namespace

TForm::TForm(TComponent* owner) : QWidget(nullptr), TControl(owner, this)
{
    SetTakesFocus(false);
    // Title bar with the system menu and the close button only. A window manager that ignores the per-button
    // hints (openbox does) still draws minimise and maximise; the fixed size keeps maximise and resize inert there.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint);
}

TForm::~TForm() = default;

HWND TForm::WindowHandle()
{
    winId(); // the handle exists from here on, as callers expect
    return wincompat::handleOf(this);
}

bool TForm::ReadControlProperty(const std::string& name, const std::string& value)
{
    if (name == "ClientWidth") {
        setFixedWidth(Scaled(StoredInt(name, value)));
    } else if (name == "ClientHeight") {
        setFixedHeight(Scaled(StoredInt(name, value)));
    } else if (name == "Position") {
        centred_ = value == "poScreenCenter" || value == "poDesktopCenter";
    } else if (name == "BorderStyle" || name == "BorderIcons") {
        // bsSingle with [biSystemMenu]: the flags set in the constructor and the fixed size.
    } else if (name == "Left" || name == "Top") {
        // Only used when the window is not centred; remembered as the initial position.
        QPoint p = pos();
        if (name == "Left")
            p.setX(StoredInt(name, value));
        else
            p.setY(StoredInt(name, value));
        move(p);
    } else if (name == "PixelsPerInch" || name == "TextHeight" || name == "OldCreateOrder") {
        // Layout is always for 96 dpi and scaled by TControl::Scaled.
    } else {
        return false;
    }
    return true;
}

namespace {
void applyFont(TControl& control, const StoredFont& font)
{
    control.ReadProperty("Font.Charset", font.Charset);
    control.ReadProperty("Font.Color", font.Color);
    control.ReadProperty("Font.Height", std::to_string(font.Height));
    control.ReadProperty("Font.Name", font.Name);
    control.ReadProperty("Font.Style", font.Style);
}
} // namespace

void TForm::LoadFrom(const FormDescription& d)
{
    BeginLoading();
    SetName(d.Name);
    if (d.Font != nullptr)
        applyFont(*this, *d.Font);
    for (const auto& [name, value] : d.Properties)
        ReadProperty(name, value);

    for (const auto& c : d.Controls) {
        const ControlFactory* factory = FindControlClass(c.Class);
        if (factory == nullptr)
            throw EComponentError("Class " + c.Class + " not found");
        QWidget* parent = this;
        if (!c.Parent.empty()) {
            auto* p = dynamic_cast<TControl*>(FindComponent(c.Parent));
            if (p == nullptr)
                throw EComponentError("Parent " + c.Parent + " of " + c.Name + " not found");
            parent = p->Widget();
        }
        auto* control = dynamic_cast<TControl*>((*factory)(this, parent));
        if (control == nullptr)
            throw EComponentError("Class " + c.Class + " is not a control");
        control->BeginLoading();
        control->SetName(c.Name);
        control->ReadProperty("Left", std::to_string(c.Left));
        control->ReadProperty("Top", std::to_string(c.Top));
        control->ReadProperty("Width", std::to_string(c.Width));
        control->ReadProperty("Height", std::to_string(c.Height));
        if (c.Font != nullptr)
            applyFont(*control, *c.Font);
        if (!c.Caption.empty())
            control->ReadProperty("Caption", c.Caption);
        for (const auto& [name, value] : c.Further)
            control->ReadProperty(name, value);
        controls_.push_back(control);
    }

    for (const auto& c : d.Components) {
        const ComponentFactory* factory = FindComponentClass(c.Class);
        if (factory == nullptr)
            throw EComponentError("Class " + c.Class + " not found");
        TComponent* component = (*factory)(this);
        component->BeginLoading();
        component->SetName(c.Name);
        for (const auto& [name, value] : c.Properties)
            component->ReadProperty(name, value);
    }

    // Every component has its properties before any is told it is loaded.
    for (int i = 0; i < ComponentCount(); ++i)
        Components(i)->Loaded();
    Loaded();
    orderTabs();

    if (OnCreate)
        OnCreate();
}

std::vector<QWidget*> TForm::TabChain() const
{
    std::vector<TControl*> stops;
    for (TControl* c : controls_)
        if (c->TakesFocus() && c->TabStop())
            stops.push_back(c);
    std::stable_sort(stops.begin(), stops.end(),
                     [](const TControl* a, const TControl* b) { return a->TabOrder() < b->TabOrder(); });
    std::vector<QWidget*> chain;
    for (TControl* c : stops)
        chain.push_back(c->Widget());
    return chain;
}

bool TForm::SelectNext(const TControl* from, bool forward)
{
    // Every control that can hold the focus has a place in the order, stop or not.
    std::vector<TControl*> order;
    for (TControl* c : controls_)
        if (c->TakesFocus())
            order.push_back(c);
    std::stable_sort(order.begin(), order.end(),
                     [](const TControl* a, const TControl* b) { return a->TabOrder() < b->TabOrder(); });
    const auto at = std::find(order.begin(), order.end(), from);
    if (at == order.end())
        return false;
    const auto count = static_cast<std::ptrdiff_t>(order.size());
    const std::ptrdiff_t start = at - order.begin();
    for (std::ptrdiff_t step = 1; step < count; ++step) {
        TControl* c = order[static_cast<std::size_t>(((start + (forward ? step : -step)) % count + count) % count)];
        QWidget* w = c->Widget();
        if (c->TabStop() && w->isVisible() && w->isEnabled()) {
            w->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return true;
        }
    }
    return false;
}

void TForm::orderTabs()
{
    auto chain = TabChain();
    for (std::size_t i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain[i - 1], chain[i]);
}

void TForm::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // A focused button answers Enter itself; otherwise the default button does.
        auto* focused = qobject_cast<QAbstractButton*>(focusWidget());
        QAbstractButton* target = focused != nullptr ? focused : defaultButton_;
        if (target != nullptr && target->isEnabled() && target->isVisible()) {
            target->click();
            event->accept();
            return;
        }
    }
    QWidget::keyPressEvent(event);
}

int TForm::ShowModal()
{
    modalResult_ = 0;
    setWindowModality(Qt::ApplicationModal);
    show();
    QEventLoop loop;
    modalLoop_ = &loop;
    if (modalResult_ == 0 && isVisible())
        loop.exec(QEventLoop::DialogExec);
    modalLoop_ = nullptr;
    hide();
    setWindowModality(Qt::NonModal);
    return modalResult_;
}

void TForm::SetModalResult(int result)
{
    modalResult_ = result;
    if (result != 0 && modalLoop_ != nullptr)
        modalLoop_->quit();
}

void TForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;
    if (!shownOnce_) {
        shownOnce_ = true;
        if (centred_) {
            const QScreen* screen = this->screen() != nullptr ? this->screen() : QGuiApplication::primaryScreen();
            if (screen != nullptr) {
                QRect frame = frameGeometry();
                frame.moveCenter(screen->availableGeometry().center());
                move(frame.topLeft());
            }
        }
        auto chain = TabChain();
        if (!chain.empty())
            chain.front()->setFocus(Qt::ActiveWindowFocusReason);
    }
    if (OnShow)
        TApplication::Instance().RunHandler(OnShow);
}

void TForm::closeEvent(QCloseEvent* event)
{
    event->accept();
    if (modalLoop_ != nullptr) {
        SetModalResult(modalResult_ != 0 ? modalResult_ : modalCancel);
        return;
    }
    if (TApplication::Instance().MainForm() == this)
        TApplication::Instance().Terminate();
}
