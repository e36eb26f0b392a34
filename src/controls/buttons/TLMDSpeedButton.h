#pragma once
// The glyph speed button: drawn on its parent's surface, never focused, answering the mouse only.
// It clicks when the left button is released over it, not when released outside.
#include "controls/buttons/TLMDGlyphButton.h"

#include <QAbstractButton>

class TLMDSpeedButton : public TLMDGlyphButton<QAbstractButton> {
    Q_OBJECT
public:
    TLMDSpeedButton(TComponent* owner, QWidget* parent);

protected:
    bool ReadControlProperty(const std::string& name, const std::string& value) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // Kept as stored: the program's speed buttons are not grouped and keep their colour.
    int groupIndex_ = 0;
    bool allowAllUp_ = false;
    TColor enterColor_ = static_cast<TColor>(0xFF000009);
    bool enterColorChange_ = false;
};
