#pragma once
// The running layout of the About window: X the left edge of the text column, Y the top of the
// next line, W the column's width, within a window of ClientWidth.
#include <string>

class TLMDSimpleLabel;

struct AboutLayout {
    int ClientWidth = 0;
    int X = 0;
    int Y = 0;
    int W = 0;

    // Gives label the text and places it at (X, Y), W wide (or up to 6 pixels short of the right
    // edge when the column would pass it), where it sizes itself to its wrapped text. A gap other
    // than 0 moves Y below it by that gap. An empty text places nothing and leaves Y.
    void PlaceLabel(TLMDSimpleLabel* label, const std::string& text, int gap);
};
