#include "controls/buttons/TLMDButtonLayout.h"

#include "framework/core/TComponent.h"

#include <algorithm>

namespace {
// Halves rounded down, also for a block larger than its room.
int half(int spare)
{
    return spare >= 0 ? spare / 2 : -((-spare + 1) / 2);
}
} // namespace

void TLMDButtonLayout::Place(const QRect& content, QSize glyph, QSize caption, QRect& glyphAt, QRect& captionAt) const
{
    const bool hasGlyph = !glyph.isEmpty(), hasCaption = !caption.isEmpty();
    const int gap = hasGlyph && hasCaption ? spacing_ : 0;
    const bool beside = alignText2Glyph_ <= taRightTop;
    const bool captionFirst = alignText2Glyph_ == taLeft || alignText2Glyph_ == taLeftTop ||
                              alignText2Glyph_ == taTop || alignText2Glyph_ == taTopLeft;
    // The variants ending in Top or Left line the two parts up on that edge instead of centring.
    const bool edge = alignText2Glyph_ == taLeftTop || alignText2Glyph_ == taRightTop ||
                      alignText2Glyph_ == taTopLeft || alignText2Glyph_ == taBottomLeft;

    QSize block;
    if (beside)
        block = QSize(glyph.width() + gap + caption.width(), std::max(glyph.height(), caption.height()));
    else
        block = QSize(std::max(glyph.width(), caption.width()), glyph.height() + gap + caption.height());

    const int column = alignment_ % 3, row = alignment_ / 3;
    QPoint origin = content.topLeft();
    if (column == 1)
        origin.rx() += half(content.width() - block.width());
    else if (column == 2)
        origin.rx() += content.width() - block.width();
    if (row == 1)
        origin.ry() += half(content.height() - block.height());
    else if (row == 2)
        origin.ry() += content.height() - block.height();
    origin += QPoint(offsetX_, offsetY_);

    auto across = [&](QSize part) {
        return edge ? 0 : half((beside ? block.height() - part.height() : block.width() - part.width()));
    };
    QSize first = captionFirst ? caption : glyph, second = captionFirst ? glyph : caption;
    const int firstLength = beside ? first.width() : first.height();
    const int firstGap = firstLength > 0 ? gap : 0;
    QRect a, b;
    if (beside) {
        a = QRect(origin + QPoint(0, across(first)), first);
        b = QRect(origin + QPoint(firstLength + firstGap, across(second)), second);
    } else {
        a = QRect(origin + QPoint(across(first), 0), first);
        b = QRect(origin + QPoint(across(second), firstLength + firstGap), second);
    }
    glyphAt = captionFirst ? b : a;
    captionAt = captionFirst ? a : b;
}

bool TLMDButtonLayout::ReadProperty(const std::string& name, const std::string& value)
{
    if (name == "AlignText2Glyph")
        SetAlignText2Glyph(static_cast<TLMDTextArrange>(StoredEnum(name, value, TLMDTextArrangeNames)));
    else if (name == "OffsetX")
        SetOffsetX(StoredInt(name, value));
    else if (name == "OffsetY")
        SetOffsetY(StoredInt(name, value));
    else if (name == "Spacing")
        SetSpacing(StoredInt(name, value));
    else if (name == "Alignment")
        SetAlignment(static_cast<TLMDAlignment>(StoredEnum(name, value, TLMDAlignmentNames)));
    else if (name == "Arrow")
        Set(arrow_, StoredBool(name, value));
    else if (name == "ArrowColor")
        Set(arrowColor_, StoredColor(name, value));
    else if (name == "ArrowIndent")
        Set(arrowIndent_, StoredInt(name, value));
    else if (name == "ArrowPosition")
        Set(arrowPosition_, static_cast<TLMDArrowPosition>(StoredEnum(name, value, TLMDArrowPositionNames)));
    else if (name == "ArrowSize")
        Set(arrowSize_, StoredInt(name, value));
    else
        return false;
    return true;
}
