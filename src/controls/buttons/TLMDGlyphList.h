#pragma once
// One list of masked images of one size, shared by every glyph whose cells have that size.
#include <QPixmap>
#include <QSize>
#include <map>

class TLMDGlyphList {
public:
    explicit TLMDGlyphList(QSize cellSize) : cellSize_(cellSize) {}

    QSize CellSize() const { return cellSize_; }
    // Stores an image with the mask that its transparent colour gives; returns its index.
    int Add(const QImage& image, QRgb transparent);
    void Delete(int index) { images_.erase(index); }
    QPixmap Image(int index) const;
    int Count() const { return static_cast<int>(images_.size()); }

private:
    QSize cellSize_;
    std::map<int, QPixmap> images_;
    int next_ = 0;
};
