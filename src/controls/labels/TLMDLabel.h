#pragma once
// The caption label: a caption drawn with a rotatable text effect (FontFX) inside an optional
// frame (Bevel), sized to its text unless told otherwise.
#include "controls/labels/TLMDBaseLabel.h"
#include "controls/TLMDBevel.h"
#include "controls/labels/TLMDFxCaption.h"

class TLMDLabel : public TLMDBaseLabel {
    Q_OBJECT
public:
    TLMDLabel(TComponent* owner, QWidget* parent);
    ~TLMDLabel() override;

    TLMDFxCaption& FontFX() { return fontFX_; }
    void SetFontFX(const TLMDFxCaption& fx) { fontFX_ = fx; }
    TLMDBevel& Bevel() { return bevel_; }
    void SetBevel(const TLMDBevel& bevel) { bevel_ = bevel; }

    TLMD3DCaption* Effect() const override { return const_cast<TLMDFxCaption*>(&fontFX_); }
    int BevelWidth() const override { return bevel_.Width(); }
    bool NothingToPaint() const override;
    void FontFXChanged(TLMDObject* changed) override;

protected:
    bool ReadControlProperty(const std::string& name, const std::string& value) override;
    void PlaceText(QRect& r, UINT& flags) override;
    void DrawFrame(QPainter& painter, QRect& r) override;

private:
    TLMDFxCaption fontFX_;
    TLMDBevel bevel_;
};
