#pragma once
// Where a button's glyph and caption stand: their arrangement to each other, the spacing between
// them, where the pair stands in the button, and a final shift.
#include "controls/LMDTypes.h"
#include "controls/TLMDObject.h"
#include "framework/core/TColor.h"

#include <QRect>

enum TLMDTextArrange { taLeft, taLeftTop, taRight, taRightTop, taTop, taTopLeft, taBottom, taBottomLeft };
inline constexpr std::array<const char*, 8> TLMDTextArrangeNames{"taLeft", "taLeftTop", "taRight",  "taRightTop",
                                                                 "taTop",  "taTopLeft", "taBottom", "taBottomLeft"};

enum TLMDArrowPosition { apRightText, apLeftText, apRightGlyph, apLeftGlyph };
inline constexpr std::array<const char*, 4> TLMDArrowPositionNames{"apRightText", "apLeftText", "apRightGlyph",
                                                                   "apLeftGlyph"};

class TLMDButtonLayout : public TLMDObject {
public:
    TLMDTextArrange AlignText2Glyph() const { return alignText2Glyph_; }
    void SetAlignText2Glyph(TLMDTextArrange v) { Set(alignText2Glyph_, v); }
    int OffsetX() const { return offsetX_; }
    void SetOffsetX(int v) { Set(offsetX_, v); }
    int OffsetY() const { return offsetY_; }
    void SetOffsetY(int v) { Set(offsetY_, v); }
    int Spacing() const { return spacing_; }
    void SetSpacing(int v) { Set(spacing_, v); }
    TLMDAlignment Alignment() const { return alignment_; }
    void SetAlignment(TLMDAlignment v) { Set(alignment_, v); }
    // The drop-down arrow's settings are kept; no button of this program shows the arrow.
    bool Arrow() const { return arrow_; }
    TColor ArrowColor() const { return arrowColor_; }
    int ArrowIndent() const { return arrowIndent_; }
    TLMDArrowPosition ArrowPosition() const { return arrowPosition_; }
    int ArrowSize() const { return arrowSize_; }

    // Places a glyph and a caption of the given sizes (empty when absent) in the content rectangle.
    void Place(const QRect& content, QSize glyph, QSize caption, QRect& glyphAt, QRect& captionAt) const;

    bool ReadProperty(const std::string& name, const std::string& value);

private:
    TLMDTextArrange alignText2Glyph_ = taRight;
    int offsetX_ = 0;
    int offsetY_ = 0;
    int spacing_ = 2;
    TLMDAlignment alignment_ = agCenter;
    bool arrow_ = false;
    TColor arrowColor_ = 0;
    int arrowIndent_ = 3;
    TLMDArrowPosition arrowPosition_ = apRightText;
    int arrowSize_ = 3;
};
