#include "platform/ui/BitmapPrivate.h"

#include <QPainter>

namespace Vx::Graphics {

namespace {

bool IsMark(QRgb pixel) { return qAlpha(pixel) == 255 && qRed(pixel) == 0 && qGreen(pixel) == 0 && qBlue(pixel) == 0; }
bool IsClear(QRgb pixel) { return qAlpha(pixel) == 0; }

// The first and one-past-last marked pixel along one edge; false when the edge
// holds anything other than marks and clear pixels, or no mark at all.
bool MarkedRange(const QImage& image, bool top, int& first, int& last) {
    int count = top ? image.width() : image.height();
    first = -1;
    last = -1;
    for (int i = 1; i < count - 1; ++i) {
        QRgb p = top ? image.pixel(i, 0) : image.pixel(0, i);
        if (IsMark(p)) {
            if (first < 0) first = i - 1;
            last = i;
        } else if (!IsClear(p)) {
            return false;
        }
    }
    return first >= 0;
}

// Splits `length` into fixed start, stretched middle and fixed end. When the
// target is smaller than the fixed parts, they shrink in proportion (and an
// empty picture gives empty parts rather than a division by zero).
void Split(int length, int fixedStart, int fixedEnd, int& a, int& b) {
    int fixed = fixedStart + fixedEnd;
    if (length >= fixed) {
        a = fixedStart;
        b = length - fixedEnd;
        return;
    }
    a = fixed > 0 ? length * fixedStart / fixed : 0;
    b = a;
}

}  // namespace

void BitmapPrivate::SetImage(const QImage& decoded) {
    image = decoded.convertToFormat(QImage::Format_ARGB32);
    ninePatch = false;
    stretch = QRect();
    if (image.width() < 3 || image.height() < 3) return;
    int w = image.width();
    int h = image.height();
    if (!IsClear(image.pixel(0, 0)) || !IsClear(image.pixel(w - 1, 0)) || !IsClear(image.pixel(0, h - 1)) ||
        !IsClear(image.pixel(w - 1, h - 1))) {
        return;
    }
    int x0, x1, y0, y1;
    if (!MarkedRange(image, true, x0, x1) || !MarkedRange(image, false, y0, y1)) return;
    // The right and bottom edges (content padding) must be marks or clear too.
    for (int x = 1; x < w - 1; ++x) {
        QRgb p = image.pixel(x, h - 1);
        if (!IsMark(p) && !IsClear(p)) return;
    }
    for (int y = 1; y < h - 1; ++y) {
        QRgb p = image.pixel(w - 1, y);
        if (!IsMark(p) && !IsClear(p)) return;
    }
    image = image.copy(1, 1, w - 2, h - 2);
    stretch = QRect(QPoint(x0, y0), QPoint(x1 - 1, y1 - 1));
    ninePatch = true;
}

void BitmapPrivate::Draw(QPainter& painter, const QRect& target) const {
    if (image.isNull() || target.width() <= 0 || target.height() <= 0) return;
    if (!ninePatch) {
        painter.drawImage(target, image);
        return;
    }
    const int sw = image.width();
    const int sh = image.height();
    const int sx[4] = {0, stretch.left(), stretch.right() + 1, sw};
    const int sy[4] = {0, stretch.top(), stretch.bottom() + 1, sh};
    int tx[4] = {0, 0, 0, target.width()};
    int ty[4] = {0, 0, 0, target.height()};
    Split(target.width(), sx[1], sw - sx[2], tx[1], tx[2]);
    Split(target.height(), sy[1], sh - sy[2], ty[1], ty[2]);
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            QRect from(sx[col], sy[row], sx[col + 1] - sx[col], sy[row + 1] - sy[row]);
            QRect to(target.x() + tx[col], target.y() + ty[row], tx[col + 1] - tx[col], ty[row + 1] - ty[row]);
            if (from.isEmpty() || to.isEmpty()) continue;
            painter.drawImage(to, image, from);
        }
    }
}

}  // namespace Vx::Graphics
