#include "controls/TLMDLabel.h"

#include <QPainter>

TLMDLabel::TLMDLabel(TComponent* owner, QWidget* parent) : QWidget(parent), TControl(owner, this)
{
    setAttribute(Qt::WA_TranslucentBackground);
}

void TLMDLabel::SetCaption(const QString& caption)
{
    if (caption == caption_)
        return;
    caption_ = caption;
    update();
}

bool TLMDLabel::ReadControlProperty(const std::string& name, const std::string& value)
{
    if (name == "Alignment") {
        // agCenter, agTopLeft, ...: the first word is the vertical and horizontal placement.
        Qt::Alignment a = Qt::AlignLeft | Qt::AlignTop;
        if (value == "agCenter")
            a = Qt::AlignCenter;
        else if (value == "agTopCenter")
            a = Qt::AlignHCenter | Qt::AlignTop;
        else if (value == "agCenterLeft")
            a = Qt::AlignLeft | Qt::AlignVCenter;
        else if (value == "agCenterRight")
            a = Qt::AlignRight | Qt::AlignVCenter;
        if (a != alignment_) {
            alignment_ = a;
            update();
        }
        return true;
    }
    // The three-dimensional caption's settings are drawn by the text effects.
    return name.rfind("Font3D.", 0) == 0 || name == "Transparent" || name == "Bevel.Mode";
}

void TLMDLabel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setFont(font());
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(rect(), static_cast<int>(alignment_), caption_);
}
