#include "platform/ui/Button.h"

#include <QPainter>

#include "platform/ui/Bitmap.h"
#include "platform/ui/ButtonPrivate.h"
#include "platform/ui/ControlPrivate.h"

namespace Vx::Ui::Controls {

namespace {

ButtonWidget* Widget(const Control& control) { return static_cast<ButtonWidget*>(control.GetPrivate().widget.data()); }

bool ValidStatus(ButtonStatus status) { return status >= BUTTON_STATUS_NORMAL && status <= BUTTON_STATUS_HIGHLIGHTED; }

}  // namespace

void ButtonWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    bool down = isDown();
    ButtonStatus status = !isEnabled() ? BUTTON_STATUS_DISABLED
                          : down       ? BUTTON_STATUS_PRESSED
                          : hasFocus() ? BUTTON_STATUS_HIGHLIGHTED
                                       : BUTTON_STATUS_NORMAL;
    const ButtonPrivate::Picture& background =
        down && look_.pressedBackground.set ? look_.pressedBackground : look_.normalBackground;
    if (background.set) {
        background.bitmap.Draw(painter, rect());
    } else {
        painter.setPen(Qt::NoPen);
        painter.setBrush(look_.colors[status]);
        painter.drawRoundedRect(rect(), 8, 8);
    }
    const ButtonPrivate::Picture& picture = down && look_.pressed.set ? look_.pressed : look_.normal;
    if (picture.set) painter.drawImage(picture.position, picture.bitmap.image);
    QColor text = status == BUTTON_STATUS_DISABLED ? QColor(150, 150, 150)
                  : down                           ? look_.pressedTextColor
                                                   : look_.textColor;
    painter.setPen(text);
    painter.setFont(font());
    painter.drawText(rect().adjusted(8, 0, -8, 0), static_cast<int>(look_.alignment), this->text());
}

Button::Button() : b_(std::make_unique<ButtonPrivate>()) {}

Button::~Button() = default;

result Button::Construct(const Graphics::Rectangle& rect, const Base::String& text) {
    if (IsConstructed()) return E_INVALID_STATE;
    if (rect.width < 0 || rect.height < 0) return E_INVALID_ARG;
    auto* button = new ButtonWidget(*b_);
    button->setText(ToQString(text));
    button->setFont(DefaultFont(DEFAULT_TEXT_SIZE));
    button->setGeometry(rect.x, rect.y, rect.width, rect.height);
    QObject::connect(button, &QPushButton::clicked, button, [this] { FireAction(); });
    GetPrivate().Attach(button);
    return E_SUCCESS;
}

result Button::SetText(const Base::String& text) {
    if (!IsConstructed()) return E_INVALID_STATE;
    Widget(*this)->setText(ToQString(text));
    return E_SUCCESS;
}

Base::String Button::GetText() const { return IsConstructed() ? FromQString(Widget(*this)->text()) : Base::String(); }

result Button::SetTextSize(int size) {
    if (!IsConstructed()) return E_INVALID_STATE;
    if (size <= 0) return E_INVALID_ARG;
    QFont font = Widget(*this)->font();
    font.setPixelSize(size);
    Widget(*this)->setFont(font);
    return E_SUCCESS;
}

int Button::GetTextSize() const { return IsConstructed() ? Widget(*this)->font().pixelSize() : 0; }

result Button::SetTextHorizontalAlignment(HorizontalAlignment alignment) {
    if (!IsConstructed()) return E_INVALID_STATE;
    Qt::Alignment h = alignment == ALIGNMENT_LEFT    ? Qt::AlignLeft
                      : alignment == ALIGNMENT_RIGHT ? Qt::AlignRight
                                                     : Qt::AlignHCenter;
    b_->alignment = h | (b_->alignment & Qt::AlignVertical_Mask);
    Widget(*this)->update();
    return E_SUCCESS;
}

HorizontalAlignment Button::GetTextHorizontalAlignment() const {
    Qt::Alignment a = b_->alignment;
    return a & Qt::AlignLeft ? ALIGNMENT_LEFT : a & Qt::AlignRight ? ALIGNMENT_RIGHT : ALIGNMENT_CENTER;
}

result Button::SetTextVerticalAlignment(VerticalAlignment alignment) {
    if (!IsConstructed()) return E_INVALID_STATE;
    Qt::Alignment v = alignment == ALIGNMENT_TOP      ? Qt::AlignTop
                      : alignment == ALIGNMENT_BOTTOM ? Qt::AlignBottom
                                                      : Qt::AlignVCenter;
    b_->alignment = v | (b_->alignment & Qt::AlignHorizontal_Mask);
    Widget(*this)->update();
    return E_SUCCESS;
}

VerticalAlignment Button::GetTextVerticalAlignment() const {
    Qt::Alignment a = b_->alignment;
    return a & Qt::AlignTop ? ALIGNMENT_TOP : a & Qt::AlignBottom ? ALIGNMENT_BOTTOM : ALIGNMENT_MIDDLE;
}

result Button::SetColor(ButtonStatus status, const Graphics::Color& color) {
    if (!ValidStatus(status)) return E_INVALID_ARG;
    b_->colors[status] = ToQColor(color);
    if (IsConstructed()) Widget(*this)->update();
    return E_SUCCESS;
}

Graphics::Color Button::GetColor(ButtonStatus status) const {
    return ValidStatus(status) ? FromQColor(b_->colors[status]) : Graphics::Color();
}

result Button::SetTextColor(const Graphics::Color& color) {
    b_->textColor = ToQColor(color);
    if (IsConstructed()) Widget(*this)->update();
    return E_SUCCESS;
}

Graphics::Color Button::GetTextColor() const { return FromQColor(b_->textColor); }

result Button::SetPressedTextColor(const Graphics::Color& color) {
    b_->pressedTextColor = ToQColor(color);
    return E_SUCCESS;
}

Graphics::Color Button::GetPressedTextColor() const { return FromQColor(b_->pressedTextColor); }

namespace {
result SetPicture(ButtonPrivate::Picture& picture, const Graphics::Point& position, const Graphics::Bitmap& bitmap) {
    if (bitmap.GetPrivate().image.isNull()) return E_INVALID_ARG;
    picture.bitmap = bitmap.GetPrivate();
    picture.position = QPoint(position.x, position.y);
    picture.set = true;
    return E_SUCCESS;
}
}  // namespace

result Button::SetNormalBitmap(const Graphics::Point& position, const Graphics::Bitmap& bitmap) {
    return SetPicture(b_->normal, position, bitmap);
}

result Button::SetPressedBitmap(const Graphics::Point& position, const Graphics::Bitmap& bitmap) {
    return SetPicture(b_->pressed, position, bitmap);
}

result Button::SetNormalBackgroundBitmap(const Graphics::Bitmap& bitmap) {
    return SetPicture(b_->normalBackground, {}, bitmap);
}

result Button::SetPressedBackgroundBitmap(const Graphics::Bitmap& bitmap) {
    return SetPicture(b_->pressedBackground, {}, bitmap);
}

result Button::AddActionEventListener(IActionEventListener& listener) { return listeners_.Add(listener); }

result Button::RemoveActionEventListener(IActionEventListener& listener) { return listeners_.Remove(listener); }

void Button::FireAction() {
    // A listener may take the button down (closing its form).
    int actionId = actionId_;
    QPointer<QWidget> alive = GetPrivate().widget;
    listeners_.ForEach([&](IActionEventListener& l) { l.OnActionPerformed(*this, actionId); },
                       [&] { return !alive.isNull(); });
}

}  // namespace Vx::Ui::Controls
