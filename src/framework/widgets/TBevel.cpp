#include "framework/widgets/TBevel.h"

#include "framework/SystemColors.h"
#include "framework/core/StoredValues.h"

#include <QPainter>

TBevel::TBevel(TComponent* owner, QWidget* parent) : QWidget(parent), TControl(owner, this) {}

void TBevel::SetShape(TBevelShape shape)
{
    if (shape != shape_) {
        shape_ = shape;
        update();
    }
}

void TBevel::SetStyle(TBevelStyle style)
{
    if (style != style_) {
        style_ = style;
        update();
    }
}

bool TBevel::ReadControlProperty(const std::string& name, const std::string& value)
{
    static const char* const shapes[] = {"bsBox",      "bsFrame",     "bsTopLine", "bsBottomLine",
                                         "bsLeftLine", "bsRightLine", "bsSpacer"};
    static const char* const styles[] = {"bsLowered", "bsRaised"};
    if (name == "Shape") {
        SetShape(static_cast<TBevelShape>(StoredEnum(name, value, shapes)));
        return true;
    }
    if (name == "Style") {
        SetStyle(static_cast<TBevelStyle>(StoredEnum(name, value, styles)));
        return true;
    }
    return false;
}

void TBevel::paintEvent(QPaintEvent*)
{
    if (shape_ == bsSpacer)
        return;
    QPainter p(this);
    // Lowered: the shadow first, the highlight one pixel further in; raised the other way round.
    const QColor first = ToQColor(style_ == bsLowered ? clBtnShadow : clBtnHighlight);
    const QColor second = ToQColor(style_ == bsLowered ? clBtnHighlight : clBtnShadow);
    const int w = width(), h = height();
    auto line = [&p](const QColor& c, int x1, int y1, int x2, int y2) {
        p.setPen(c);
        p.drawLine(x1, y1, x2, y2);
    };
    switch (shape_) {
    case bsTopLine:
        line(first, 0, 0, w - 1, 0);
        line(second, 0, 1, w - 1, 1);
        break;
    case bsBottomLine:
        line(first, 0, h - 2, w - 1, h - 2);
        line(second, 0, h - 1, w - 1, h - 1);
        break;
    case bsLeftLine:
        line(first, 0, 0, 0, h - 1);
        line(second, 1, 0, 1, h - 1);
        break;
    case bsRightLine:
        line(first, w - 2, 0, w - 2, h - 1);
        line(second, w - 1, 0, w - 1, h - 1);
        break;
    case bsBox:
        line(first, 0, 0, w - 1, 0);
        line(first, 0, 0, 0, h - 1);
        line(second, 0, h - 1, w - 1, h - 1);
        line(second, w - 1, 0, w - 1, h - 1);
        break;
    case bsFrame:
        p.setPen(first);
        p.drawRect(0, 0, w - 2, h - 2);
        p.setPen(second);
        p.drawRect(1, 1, w - 2, h - 2);
        break;
    case bsSpacer: break;
    }
}
