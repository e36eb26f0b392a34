#include "controls/buttons/TLMDGlyphCache.h"

#include <utility>

namespace {
std::map<std::pair<int, int>, std::weak_ptr<TLMDGlyphList>>& lists()
{
    static std::map<std::pair<int, int>, std::weak_ptr<TLMDGlyphList>> all;
    return all;
}
} // namespace

std::shared_ptr<TLMDGlyphList> TLMDGlyphCache::ListFor(QSize cellSize)
{
    auto& all = lists();
    const auto key = std::make_pair(cellSize.width(), cellSize.height());
    if (auto existing = all[key].lock())
        return existing;
    // Forgets the list's entry when the last glyph lets go of it.
    std::shared_ptr<TLMDGlyphList> list(new TLMDGlyphList(cellSize), [key](TLMDGlyphList* l) {
        lists().erase(key);
        delete l;
    });
    all[key] = list;
    return list;
}

int TLMDGlyphCache::ListCount()
{
    return static_cast<int>(lists().size());
}
