#pragma once
// The pixels of a canvas. Only platform UI code sees this.
#include <QFont>
#include <QImage>

#include "platform/ui/Color.h"

namespace Vx::Graphics {

class CanvasPrivate {
public:
    QImage image;
    Color background{0, 0, 0, 0};
    Color foreground{0, 0, 0};
    QFont font;
};

}  // namespace Vx::Graphics
