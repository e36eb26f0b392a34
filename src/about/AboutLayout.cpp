#include "about/AboutLayout.h"

#include "controls/labels/TLMDSimpleLabel.h"

void AboutLayout::PlaceLabel(TLMDSimpleLabel* label, const std::string& text, int gap)
{
    if (text.empty())
        return;
    label->SetCaption(QString::fromStdString(text));
    const int width = ClientWidth < X + W ? ClientWidth - 6 : W;
    label->setGeometry(X, Y, width, label->height());
    label->AdjustLabelSize();
    if (gap != 0)
        Y += label->height() + gap;
}
