#include "platform/ui/Button.h"

#include <QPushButton>

#include "platform/ui/ControlPrivate.h"

namespace Vx::Ui::Controls {

namespace {
QPushButton* Widget(const Control& control) { return static_cast<QPushButton*>(control.GetPrivate().widget.data()); }
}  // namespace

result Button::Construct(const Graphics::Rectangle& rect, const Base::String& text) {
    if (IsConstructed()) return E_INVALID_STATE;
    if (rect.width < 0 || rect.height < 0) return E_INVALID_ARG;
    auto* button = new QPushButton(ToQString(text));
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
