#pragma once
// What every visual control shares: a widget, its place in the parent (in 96-dpi pixels,
// scaled to the screen), caption, colour, font, tab order and tab stop.
#include "framework/core/TColor.h"
#include "framework/core/TComponent.h"

#include <QFont>
#include <QString>
#include <QWidget>

class TControl : public TComponent {
public:
    TControl(TComponent* owner, QWidget* widget);

    QWidget* Widget() const { return widget_; }
    int TabOrder() const { return tabOrder_; }
    bool TabStop() const { return tabStop_; }
    bool TakesFocus() const { return takesFocus_; }

    void ReadProperty(const std::string& name, const std::string& value) override;

    // The stored font of a control; the window's when ParentFont stands.
    static void ApplyStoredFont(QFont& font, const std::string& property, const std::string& value);
    // Pixels of the stored description (96 dpi) on this screen.
    static int Scaled(int pixels);

protected:
    // Class-specific properties; return false for a name the class does not know.
    virtual bool ReadControlProperty(const std::string& name, const std::string& value);
    virtual void SetCaption(const QString&) {}
    virtual void SetColor(TColor color);
    virtual void SetFontColor(TColor color);

    // Whether the control can hold the keyboard focus at all (a label or panel cannot).
    void SetTakesFocus(bool takes) { takesFocus_ = takes; }
    void SetTabStop(bool stop);
    // An edit field that shows its parent's colour instead of the window colour.
    void TakeParentColor();

private:
    QWidget* widget_;
    int tabOrder_ = -1;
    bool tabStop_ = true;
    bool takesFocus_ = false;
};

// The stored spelling of a font style set: "[fsBold]", "[]".
bool StoredFontBold(const std::string& value);
