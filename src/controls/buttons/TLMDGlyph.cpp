#include "controls/buttons/TLMDGlyph.h"

#include "controls/buttons/TLMDGlyphCache.h"
#include "framework/SystemColors.h"

#include <QPainter>

namespace {
// Pixels of cell 0 that count as drawn for the etched image: everything but the transparent
// colour and light tones, which would otherwise fill the outline's inside with highlight.
bool drawnForEtching(QRgb pixel, QRgb transparent)
{
    return (pixel & 0xFFFFFF) != (transparent & 0xFFFFFF) && qGray(pixel) < 192;
}
} // namespace

TLMDGlyph::~TLMDGlyph()
{
    release();
}

TLMDGlyph::TLMDGlyph(const TLMDGlyph& other)
    : TLMDObject(other), strip_(other.strip_), numGlyphs_(other.numGlyphs_), transparent_(other.transparent_)
{
}

TLMDGlyph& TLMDGlyph::operator=(const TLMDGlyph& other)
{
    if (this == &other)
        return *this;
    release();
    strip_ = other.strip_;
    numGlyphs_ = other.numGlyphs_;
    transparent_ = other.transparent_;
    Changed();
    return *this;
}

void TLMDGlyph::release()
{
    if (list_) {
        for (int& slot : slots_)
            if (slot >= 0)
                list_->Delete(slot);
    }
    slots_.fill(-1);
    list_.reset();
}

void TLMDGlyph::SetBitmap(const QImage& strip)
{
    release();
    strip_ = strip;
    if (!strip_.isNull()) {
        transparent_ = strip_.pixel(0, strip_.height() - 1);
        if (strip_.height() > 0 && strip_.width() % strip_.height() == 0) {
            const int multiple = strip_.width() / strip_.height();
            numGlyphs_ = multiple < 6 && multiple > 0 ? multiple : 1;
        }
    }
    Changed();
}

void TLMDGlyph::SetNumGlyphs(int count)
{
    if (count < 1 || count > 5 || count == numGlyphs_)
        return;
    release();
    numGlyphs_ = count;
    Changed();
}

QSize TLMDGlyph::CellSize() const
{
    return strip_.isNull() ? QSize() : QSize(strip_.width() / numGlyphs_, strip_.height());
}

int TLMDGlyph::CellFor(TLMDButtonState state) const
{
    if (state == bstDisabled)
        return 1;
    if (state >= numGlyphs_)
        return 0;
    return state;
}

QImage TLMDGlyph::cell(int index) const
{
    const QSize size = CellSize();
    return strip_.copy(index * size.width(), 0, size.width(), size.height()).convertToFormat(QImage::Format_RGB32);
}

QImage TLMDGlyph::EtchedImage() const
{
    const QImage source = cell(0);
    QImage mask(source.size(), QImage::Format_Mono);
    mask.setColor(0, qRgba(0, 0, 0, 0));
    mask.setColor(1, qRgb(0, 0, 0));
    mask.fill(0);
    for (int y = 0; y < source.height(); ++y)
        for (int x = 0; x < source.width(); ++x)
            if (drawnForEtching(source.pixel(x, y), transparent_))
                mask.setPixel(x, y, 1);
    QImage out(source.size(), QImage::Format_RGB32);
    out.fill(transparent_);
    auto stamp = [&](int dx, int dy, TColor colour) {
        const QRgb c = ToQColor(colour).rgb();
        for (int y = 0; y < mask.height(); ++y)
            for (int x = 0; x < mask.width(); ++x)
                if (mask.pixelIndex(x, y) == 1 && out.rect().contains(x + dx, y + dy))
                    out.setPixel(x + dx, y + dy, c);
    };
    stamp(1, 1, clBtnHighlight);
    stamp(0, 0, clBtnShadow);
    return out;
}

QPixmap TLMDGlyph::Image(TLMDButtonState state)
{
    if (strip_.isNull())
        return {};
    int& slot = slots_.at(static_cast<std::size_t>(state));
    if (slot < 0) {
        if (!list_)
            list_ = TLMDGlyphCache::ListFor(CellSize());
        const int index = CellFor(state);
        const QImage image = index < numGlyphs_ ? cell(index) : state == bstDisabled ? EtchedImage() : cell(0);
        slot = list_->Add(image, transparent_);
    }
    return list_->Image(slot);
}
