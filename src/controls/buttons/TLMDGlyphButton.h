#pragma once
// What both glyph buttons are besides their kind of button: a control of the window with a
// caption, a glyph and a look of their own, a click handler, and the mouse-over state.
#include "controls/buttons/TLMDButtonLook.h"
#include "framework/TApplication.h"
#include "framework/TControl.h"

#include <QEnterEvent>
#include <QImage>
#include <functional>

template <class Button> class TLMDGlyphButton : public Button, public TControl {
public:
    TLMDGlyphButton(TComponent* owner, QWidget* parent)
        : Button(parent), TControl(owner, this), look_([this] { this->update(); })
    {
        QObject::connect(this, &Button::clicked, this, [this] {
            if (OnClick)
                TApplication::Instance().RunHandler([this] { OnClick(this); });
        });
    }

    std::string Caption() const { return this->text().toStdString(); }
    void SetCaptionText(const std::string& caption) { SetCaption(QString::fromStdString(caption)); }
    const QImage& Glyph() const { return look_.Glyph().Bitmap(); }
    void SetGlyph(const QImage& strip) { look_.Glyph().SetBitmap(strip); }
    int NumGlyphs() const { return look_.Glyph().NumGlyphs(); }
    void SetNumGlyphs(int count) { look_.Glyph().SetNumGlyphs(count); }
    TLMDButtonLook& Look() { return look_; }

    TLMDButtonState DrawnState() const
    {
        if (!this->isEnabled())
            return bstDisabled;
        if (this->isDown())
            return bstDown;
        return mouseOver_ ? bstHot : bstUp;
    }

    // Assigned by the owning window: the click handler, with the button as sender.
    std::function<void(TComponent* sender)> OnClick;

protected:
    bool ReadControlProperty(const std::string& name, const std::string& value) override
    {
        return look_.ReadProperty(name, value);
    }
    void SetCaption(const QString& caption) override
    {
        if (caption != this->text())
            this->setText(caption);
    }
    void SetColor(TColor color) override { look_.SetColor(color); }
    void SetFontColor(TColor color) override
    {
        TControl::SetFontColor(color);
        look_.SetFontColor(color);
    }
    void enterEvent(QEnterEvent* event) override
    {
        Button::enterEvent(event);
        mouseOver_ = true;
        this->update();
    }
    // Leaving clears the mouse-over state and what it drew.
    void leaveEvent(QEvent* event) override
    {
        Button::leaveEvent(event);
        mouseOver_ = false;
        this->update();
    }

    TLMDButtonLook look_;

private:
    bool mouseOver_ = false;
};
