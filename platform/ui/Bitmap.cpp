#include "platform/ui/Bitmap.h"

#include <QFileInfo>
#include <QImageReader>

#include "platform/ui/BitmapPrivate.h"
#include "platform/ui/ControlPrivate.h"

namespace Vx::Graphics {

Bitmap::Bitmap() : d_(std::make_unique<BitmapPrivate>()) {}

Bitmap::~Bitmap() = default;

result Bitmap::Construct(const Base::String& pngPath) {
    if (!d_->image.isNull()) return E_INVALID_STATE;
    QString path = Ui::ToQString(pngPath);
    QFileInfo info(path);
    if (!info.isFile()) return E_OBJ_NOT_FOUND;
    // The format is fixed: a file named .png that holds something else is not decoded as that.
    QImageReader reader(path, "png");
    reader.setDecideFormatFromContent(false);
    QImage image = reader.read();
    if (image.isNull()) return E_INVALID_FORMAT;
    d_->image = std::move(image);
    return E_SUCCESS;
}

int Bitmap::GetWidth() const { return d_->image.width(); }

int Bitmap::GetHeight() const { return d_->image.height(); }

}  // namespace Vx::Graphics
