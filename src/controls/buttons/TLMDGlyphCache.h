#pragma once
// Hands out the shared image list for a cell size; a list lives while some glyph holds it.
#include "controls/buttons/TLMDGlyphList.h"

#include <memory>

class TLMDGlyphCache {
public:
    static std::shared_ptr<TLMDGlyphList> ListFor(QSize cellSize);
    // Lists alive now, for seeing that unused ones are freed.
    static int ListCount();
};
