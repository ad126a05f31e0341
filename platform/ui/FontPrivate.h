#pragma once
// The Qt font behind a Font. Only platform UI code sees this.
#include <QFont>

#include "platform/ui/Font.h"

namespace Vx::Graphics {

class FontPrivate {
public:
    QFont font;
    bool constructed = false;
    int style = 0;

    // Makes the DejaVu faces known to Qt from their files, once per process.
    static void EnsureFaces();
    // `face` when installed, else the default face.
    static QString ResolveFace(const QString& face);
};

}  // namespace Vx::Graphics
