#include "platform/ui/Control.h"

#include <QVariant>

#include "platform/ui/Container.h"
#include "platform/ui/ControlPrivate.h"
#include "platform/ui/FontPrivate.h"

namespace Vx::Ui {

QString ToQString(const Base::String& text) { return QString::fromStdWString(text.ToStdWString()); }

Base::String FromQString(const QString& text) { return Base::String(text.toStdWString()); }

QColor ToQColor(const Graphics::Color& color) {
    return QColor(color.GetRed(), color.GetGreen(), color.GetBlue(), color.GetAlpha());
}

Graphics::Color FromQColor(const QColor& color) {
    return Graphics::Color(static_cast<std::uint8_t>(color.red()), static_cast<std::uint8_t>(color.green()),
                           static_cast<std::uint8_t>(color.blue()), static_cast<std::uint8_t>(color.alpha()));
}

QFont DefaultFont(int pixelSize) {
    QFont font(Graphics::FontPrivate::ResolveFace(QString()));
    font.setPixelSize(pixelSize);
    return font;
}

ControlPrivate::~ControlPrivate() {
    if (widget) {
        widget->setProperty(kControlProperty, QVariant());
        delete widget.data();
    }
}

void ControlPrivate::Attach(QWidget* w, QWidget* host) {
    widget = w;
    childHost = host ? host : w;
    w->setProperty(kControlProperty, QVariant::fromValue(reinterpret_cast<quintptr>(&owner)));
    if (!name.IsEmpty()) w->setObjectName(ToQString(name));
}

Control* ControlPrivate::FromWidget(const QWidget* w) {
    if (!w) return nullptr;
    QVariant value = w->property(kControlProperty);
    return value.isValid() ? reinterpret_cast<Control*>(value.value<quintptr>()) : nullptr;
}

Control::Control() : d_(std::make_unique<ControlPrivate>(*this)) {}

Control::~Control() = default;

void Control::SetName(const Base::String& name) {
    d_->name = name;
    if (d_->widget) d_->widget->setObjectName(ToQString(name));
}

Base::String Control::GetName() const { return d_->name; }

result Control::SetText(const Base::String& text) {
    d_->text = text;
    return E_SUCCESS;
}

Base::String Control::GetText() const { return d_->text; }

result Control::SetEnabled(bool enable) {
    if (!d_->widget) return E_INVALID_STATE;
    d_->widget->setEnabled(enable);
    return E_SUCCESS;
}

bool Control::IsEnabled() const { return d_->widget && d_->widget->isEnabled(); }

result Control::SetShowState(bool state) {
    if (!d_->widget) return E_INVALID_STATE;
    d_->widget->setVisible(state);
    return E_SUCCESS;
}

bool Control::GetShowState() const { return d_->widget && !d_->widget->isHidden(); }

bool Control::IsVisible() const { return d_->widget && d_->widget->isVisible(); }

result Control::SetBounds(const Graphics::Rectangle& rect) {
    if (!d_->widget) return E_INVALID_STATE;
    if (rect.width < 0 || rect.height < 0) return E_INVALID_ARG;
    d_->widget->setGeometry(rect.x, rect.y, rect.width, rect.height);
    return E_SUCCESS;
}

result Control::SetBounds(int x, int y, int width, int height) {
    return SetBounds(Graphics::Rectangle{x, y, width, height});
}

Graphics::Rectangle Control::GetBounds() const {
    if (!d_->widget) return {};
    QRect r = d_->widget->geometry();
    return {r.x(), r.y(), r.width(), r.height()};
}

result Control::SetPosition(int x, int y) {
    if (!d_->widget) return E_INVALID_STATE;
    d_->widget->move(x, y);
    return E_SUCCESS;
}

result Control::SetSize(int width, int height) {
    if (!d_->widget) return E_INVALID_STATE;
    if (width < 0 || height < 0) return E_INVALID_ARG;
    d_->widget->resize(width, height);
    return E_SUCCESS;
}

Graphics::Dimension Control::GetSize() const {
    if (!d_->widget) return {};
    return {d_->widget->width(), d_->widget->height()};
}

result Control::SetFont(const Base::String& faceName) {
    if (!d_->widget) return E_INVALID_STATE;
    QFont font = d_->widget->font();
    font.setFamily(Graphics::FontPrivate::ResolveFace(ToQString(faceName)));
    d_->widget->setFont(font);
    d_->fontFace = faceName;
    return E_SUCCESS;
}

Base::String Control::GetFont() const {
    if (!d_->widget) return Base::String();
    return FromQString(d_->widget->font().family());
}

result Control::SetFocus() {
    if (!d_->widget) return E_INVALID_STATE;
    d_->widget->setFocus(Qt::OtherFocusReason);
    return E_SUCCESS;
}

bool Control::HasFocus() const { return d_->widget && d_->widget->hasFocus(); }

result Control::Show() {
    if (!d_->widget) return E_INVALID_STATE;
    d_->widget->show();
    return E_SUCCESS;
}

result Control::Invalidate(bool recursive) {
    if (!d_->widget) return E_INVALID_STATE;
    if (recursive) {
        d_->widget->update();
    } else {
        d_->widget->repaint();
    }
    return E_SUCCESS;
}

Container* Control::GetParent() const { return d_->parent; }

bool Control::IsConstructed() const { return !d_->widget.isNull(); }

}  // namespace Vx::Ui
