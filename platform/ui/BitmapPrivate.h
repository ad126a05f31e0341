#pragma once
// The decoded pixels of a bitmap, and for a nine-patch bitmap the part that
// stretches. Only platform UI code sees this.
#include <QImage>
#include <QRect>

class QPainter;

namespace Vx::Graphics {

class BitmapPrivate {
public:
    QImage image;  // without the nine-patch border
    bool ninePatch = false;
    QRect stretch;  // the rows and columns that stretch, in `image`

    // Takes the picture; recognises and strips nine-patch marks.
    void SetImage(const QImage& decoded);
    // The picture in `target`: stretched by its marks when nine-patch, else scaled.
    void Draw(QPainter& painter, const QRect& target) const;
};

}  // namespace Vx::Graphics
