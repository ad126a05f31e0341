#include "platform/ui/Canvas.h"

#include <QPainter>

#include "platform/ui/Bitmap.h"
#include "platform/ui/BitmapPrivate.h"
#include "platform/ui/CanvasPrivate.h"
#include "platform/ui/ControlPrivate.h"
#include "platform/ui/Font.h"
#include "platform/ui/FontPrivate.h"

namespace Vx::Graphics {

namespace {
constexpr int kMaxSide = 8192;
QRect ToQRect(const Rectangle& r) { return QRect(r.x, r.y, r.width, r.height); }
}  // namespace

Canvas::Canvas() : d_(std::make_unique<CanvasPrivate>()) {}

Canvas::~Canvas() = default;

result Canvas::Construct(const Rectangle& rect) {
    if (!d_->image.isNull()) return E_INVALID_STATE;
    if (rect.width < 1 || rect.height < 1 || rect.width > kMaxSide || rect.height > kMaxSide) return E_INVALID_ARG;
    d_->image = QImage(rect.width, rect.height, QImage::Format_ARGB32_Premultiplied);
    if (d_->image.isNull()) return E_OUT_OF_MEMORY;
    d_->image.fill(Qt::transparent);
    d_->font = Ui::DefaultFont(32);
    return E_SUCCESS;
}

Rectangle Canvas::GetBounds() const { return {0, 0, d_->image.width(), d_->image.height()}; }

result Canvas::Clear() {
    if (d_->image.isNull()) return E_INVALID_STATE;
    d_->image.fill(Ui::ToQColor(d_->background));
    return E_SUCCESS;
}

result Canvas::SetBackgroundColor(const Color& color) {
    d_->background = color;
    return E_SUCCESS;
}

Color Canvas::GetBackgroundColor() const { return d_->background; }

result Canvas::SetForegroundColor(const Color& color) {
    d_->foreground = color;
    return E_SUCCESS;
}

Color Canvas::GetForegroundColor() const { return d_->foreground; }

result Canvas::SetFont(const Font& font) {
    if (!font.IsConstructed()) return E_INVALID_ARG;
    d_->font = font.GetPrivate().font;
    return E_SUCCESS;
}

result Canvas::FillRectangle(const Color& color, const Rectangle& rect) {
    if (d_->image.isNull()) return E_INVALID_STATE;
    if (rect.width < 0 || rect.height < 0) return E_INVALID_ARG;
    QPainter painter(&d_->image);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(ToQRect(rect), Ui::ToQColor(color));
    return E_SUCCESS;
}

result Canvas::DrawBitmap(const Point& point, const Bitmap& bitmap) {
    if (d_->image.isNull()) return E_INVALID_STATE;
    if (bitmap.GetPrivate().image.isNull()) return E_INVALID_ARG;
    QPainter painter(&d_->image);
    painter.drawImage(QPoint(point.x, point.y), bitmap.GetPrivate().image);
    return E_SUCCESS;
}

result Canvas::DrawBitmap(const Rectangle& rect, const Bitmap& bitmap) {
    if (d_->image.isNull()) return E_INVALID_STATE;
    if (bitmap.GetPrivate().image.isNull() || rect.width < 0 || rect.height < 0) return E_INVALID_ARG;
    QPainter painter(&d_->image);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(ToQRect(rect), bitmap.GetPrivate().image);
    return E_SUCCESS;
}

result Canvas::DrawNinePatchedBitmap(const Rectangle& rect, const Bitmap& bitmap) {
    if (d_->image.isNull()) return E_INVALID_STATE;
    if (bitmap.GetPrivate().image.isNull() || rect.width < 0 || rect.height < 0) return E_INVALID_ARG;
    QPainter painter(&d_->image);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    bitmap.GetPrivate().Draw(painter, ToQRect(rect));
    return E_SUCCESS;
}

result Canvas::DrawText(const Point& point, const Base::String& text) {
    if (d_->image.isNull()) return E_INVALID_STATE;
    QPainter painter(&d_->image);
    painter.setFont(d_->font);
    painter.setPen(Ui::ToQColor(d_->foreground));
    QFontMetrics metrics(d_->font);
    painter.drawText(QPoint(point.x, point.y + metrics.ascent()), Ui::ToQString(text));
    return E_SUCCESS;
}

}  // namespace Vx::Graphics
