#pragma once
// The decoded pixels of a bitmap. Only platform UI code sees this.
#include <QImage>

namespace Vx::Graphics {

class BitmapPrivate {
public:
    QImage image;
};

}  // namespace Vx::Graphics
