#include "platform/ui/Bitmap.h"

#include <QFileInfo>
#include <QImageReader>

#include "platform/ui/BitmapPrivate.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/CanvasPrivate.h"
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
    d_->SetImage(image);
    return E_SUCCESS;
}

result Bitmap::Construct(const Canvas& canvas, const Rectangle& rect) {
    if (!d_->image.isNull()) return E_INVALID_STATE;
    const QImage& picture = canvas.GetPrivate().image;
    QRect wanted(rect.x, rect.y, rect.width, rect.height);
    if (picture.isNull() || wanted.isEmpty() || !picture.rect().contains(wanted)) return E_INVALID_ARG;
    d_->image = picture.copy(wanted).convertToFormat(QImage::Format_ARGB32);
    d_->ninePatch = false;
    return E_SUCCESS;
}

bool Bitmap::IsNinePatchedBitmap() const { return d_->ninePatch; }

int Bitmap::GetWidth() const { return d_->image.width(); }

int Bitmap::GetHeight() const { return d_->image.height(); }

}  // namespace Vx::Graphics
