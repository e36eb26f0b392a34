#pragma once
// The glyph speed button: drawn on its parent's surface, never focused, answering the mouse only.
// It clicks when the left button is released over it, not when released outside.
#include "controls/TLMDButtonLook.h"
#include "framework/TControl.h"

#include <QAbstractButton>
#include <QImage>
#include <functional>

class TLMDSpeedButton : public QAbstractButton, public TControl {
    Q_OBJECT
public:
    TLMDSpeedButton(TComponent* owner, QWidget* parent);

    std::string Caption() const { return text().toStdString(); }
    void SetCaptionText(const std::string& caption) { SetCaption(QString::fromStdString(caption)); }
    const QImage& Glyph() const { return look_.Glyph().Bitmap(); }
    void SetGlyph(const QImage& strip) { look_.Glyph().SetBitmap(strip); }
    int NumGlyphs() const { return look_.Glyph().NumGlyphs(); }
    void SetNumGlyphs(int count) { look_.Glyph().SetNumGlyphs(count); }
    TLMDButtonLook& Look() { return look_; }
    TLMDButtonState DrawnState() const;

    std::function<void(TComponent* sender)> OnClick;

protected:
    bool ReadControlProperty(const std::string& name, const std::string& value) override;
    void SetCaption(const QString& caption) override;
    void SetColor(TColor color) override;
    void SetFontColor(TColor color) override;
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    TLMDButtonLook look_;
    bool mouseOver_ = false;
    // Kept as stored: the program's speed buttons are not grouped.
    int groupIndex_ = 0;
    bool allowAllUp_ = false;
    TColor enterColor_ = static_cast<TColor>(0xFF000009);
    bool enterColorChange_ = false;
};
