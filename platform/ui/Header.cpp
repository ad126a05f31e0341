#include "platform/ui/Header.h"

#include <QFont>
#include <QLabel>

#include "platform/ui/ControlPrivate.h"

namespace Vx::Ui::Controls {

namespace {

QLabel* Widget(const Control& control) { return static_cast<QLabel*>(control.GetPrivate().widget.data()); }

}  // namespace

result Header::Construct() {
    if (IsConstructed()) return E_INVALID_STATE;
    auto* label = new QLabel();
    label->setAlignment(Qt::AlignCenter);
    label->setAutoFillBackground(true);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    GetPrivate().Attach(label);
    color_ = Graphics::Color(59, 115, 182);
    textColor_ = Graphics::Color(255, 255, 255);
    SetColor(color_);
    SetTitleTextColor(textColor_);
    return E_SUCCESS;
}

result Header::SetTitleText(const Base::String& title) {
    if (!IsConstructed()) return E_INVALID_STATE;
    Widget(*this)->setText(ToQString(title));
    return E_SUCCESS;
}

Base::String Header::GetTitleText() const {
    return IsConstructed() ? FromQString(Widget(*this)->text()) : Base::String();
}

result Header::SetColor(const Graphics::Color& color) {
    if (!IsConstructed()) return E_INVALID_STATE;
    color_ = color;
    QPalette palette = Widget(*this)->palette();
    palette.setColor(QPalette::Window, ToQColor(color));
    Widget(*this)->setPalette(palette);
    return E_SUCCESS;
}

Graphics::Color Header::GetColor() const { return color_; }

result Header::SetTitleTextColor(const Graphics::Color& color) {
    if (!IsConstructed()) return E_INVALID_STATE;
    textColor_ = color;
    QPalette palette = Widget(*this)->palette();
    palette.setColor(QPalette::WindowText, ToQColor(color));
    Widget(*this)->setPalette(palette);
    return E_SUCCESS;
}

Graphics::Color Header::GetTitleTextColor() const { return textColor_; }

}  // namespace Vx::Ui::Controls
