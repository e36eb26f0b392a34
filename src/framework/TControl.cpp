#include "framework/TControl.h"
#include "framework/SystemColors.h"

#include "framework/core/Exceptions.h"

#include <QGuiApplication>
#include <QPalette>
#include <QScreen>
#include <cmath>

TControl::TControl(TComponent* owner, QWidget* widget) : TComponent(owner), widget_(widget) {}

int TControl::Scaled(int pixels)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double dpi = screen != nullptr ? screen->logicalDotsPerInchY() : 96.0;
    return static_cast<int>(std::lround(pixels * dpi / 96.0));
}

bool StoredFontBold(const std::string& value) { return value.find("fsBold") != std::string::npos; }

void TControl::ApplyStoredFont(QFont& font, const std::string& property, const std::string& value)
{
    if (property == "Font.Name") {
        font.setFamily(QString::fromStdString(value));
    } else if (property == "Font.Height") {
        // A negative height is the character height without internal leading: the em size.
        font.setPixelSize(Scaled(std::abs(StoredInt(property, value))));
    } else if (property == "Font.Style") {
        font.setBold(StoredFontBold(value));
        font.setItalic(value.find("fsItalic") != std::string::npos);
        font.setUnderline(value.find("fsUnderline") != std::string::npos);
        font.setStrikeOut(value.find("fsStrikeOut") != std::string::npos);
    } else if (property == "Font.Charset") {
        // Character sets are a Windows font-mapping hint; text is UTF-8 here.
    }
}

void TControl::SetColor(TColor color)
{
    QPalette p = widget_->palette();
    p.setColor(QPalette::Window, ToQColor(color));
    p.setColor(QPalette::Base, ToQColor(color));
    p.setColor(QPalette::Button, ToQColor(color));
    widget_->setPalette(p);
    widget_->setAutoFillBackground(true);
}

void TControl::SetFontColor(TColor color)
{
    QPalette p = widget_->palette();
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(role, ToQColor(color));
    widget_->setPalette(p);
}

void TControl::SetTabStop(bool stop)
{
    tabStop_ = stop;
    if (takesFocus_)
        widget_->setFocusPolicy(stop ? Qt::StrongFocus : Qt::ClickFocus);
}

void TControl::TakeParentColor()
{
    if (widget_->parentWidget() == nullptr)
        return;
    QPalette p = widget_->palette();
    p.setColor(QPalette::Base, widget_->parentWidget()->palette().color(QPalette::Window));
    widget_->setPalette(p);
}

bool TControl::ReadControlProperty(const std::string&, const std::string&) { return false; }

void TControl::ReadProperty(const std::string& name, const std::string& value)
{
    if (ReadControlProperty(name, value))
        return;
    QRect g = widget_->geometry();
    if (name == "Left") {
        widget_->move(Scaled(StoredInt(name, value)), g.y());
    } else if (name == "Top") {
        widget_->move(g.x(), Scaled(StoredInt(name, value)));
    } else if (name == "Width") {
        widget_->resize(Scaled(StoredInt(name, value)), g.height());
    } else if (name == "Height") {
        widget_->resize(g.width(), Scaled(StoredInt(name, value)));
    } else if (name == "Caption" || name == "Text") {
        SetCaption(QString::fromStdString(value));
    } else if (name == "Color") {
        SetColor(StoredColor(name, value));
    } else if (name == "Font.Color") {
        SetFontColor(StoredColor(name, value));
    } else if (name.rfind("Font.", 0) == 0) {
        QFont f = widget_->font();
        ApplyStoredFont(f, name, value);
        widget_->setFont(f);
    } else if (name == "ParentFont") {
        if (StoredBool(name, value))
            widget_->setFont(QFont());
    } else if (name == "TabOrder") {
        tabOrder_ = StoredInt(name, value);
    } else if (name == "TabStop") {
        SetTabStop(StoredBool(name, value));
    } else if (name == "Visible") {
        widget_->setVisible(StoredBool(name, value));
    } else if (name == "Enabled") {
        widget_->setEnabled(StoredBool(name, value));
    } else if (name == "Anchors" || name == "Align") {
        // The windows of this program have a fixed size, so nothing ever moves with an edge.
    } else {
        TComponent::ReadProperty(name, value);
    }
}
