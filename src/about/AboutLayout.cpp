#include "about/AboutLayout.h"

#include "about/AboutLabel.h"

void AboutLayout::PlaceLabel(AboutLabel* label, const std::string& text, int gap)
{
    if (text.empty())
        return;
    label->ReadProperty("Caption", text);
    const int width = ClientWidth < X + W ? ClientWidth - 6 : W;
    label->setGeometry(X, Y, width, label->height());
    label->AdjustLabelSize();
    if (gap != 0)
        Y += label->height() + gap;
}
