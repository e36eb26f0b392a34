#pragma once
// The glyph of a button: a strip of equally wide images, and the image shown in each button state,
// made at first use and kept in the image list shared by all glyphs of that cell size.
#include "controls/buttons/TLMDGlyphList.h"
#include "controls/TLMDObject.h"

#include <QImage>
#include <array>
#include <memory>

// Button states as the drawing sees them.
enum TLMDButtonState { bstUp = 0, bstDisabled = 1, bstHot = 2, bstDown = 4 };

class TLMDGlyph : public TLMDObject {
public:
    TLMDGlyph() = default;
    ~TLMDGlyph() override;
    TLMDGlyph(const TLMDGlyph& other);
    TLMDGlyph& operator=(const TLMDGlyph& other);

    const QImage& Bitmap() const { return strip_; }
    // A strip whose width is a whole multiple (below 6) of its height holds that many images.
    void SetBitmap(const QImage& strip);
    int NumGlyphs() const { return numGlyphs_; }
    void SetNumGlyphs(int count);
    bool Empty() const { return strip_.isNull(); }
    // The strip's bottom-left colour: pixels of it show what lies beneath.
    QRgb TransparentColor() const { return transparent_; }
    QSize CellSize() const;

    // Which cell of the strip a state shows; a cell past the strip's end is made from cell 0.
    int CellFor(TLMDButtonState state) const;
    // The masked image for a state.
    QPixmap Image(TLMDButtonState state);

    // The disabled look made from cell 0 when the strip has no disabled image: the drawn pixels
    // embossed, a highlight copy one pixel right and down under a shadow copy in place.
    QImage EtchedImage() const;

private:
    void release();
    QImage cell(int index) const;

    QImage strip_;
    int numGlyphs_ = 1;
    QRgb transparent_ = 0;
    std::shared_ptr<TLMDGlyphList> list_;
    std::array<int, 9> slots_{-1, -1, -1, -1, -1, -1, -1, -1, -1};
};
