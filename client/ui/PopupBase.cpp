#include "client/ui/PopupBase.h"

#include <memory>
#include <new>

#include "client/ui/LoginConfirmPopup.h"
#include "platform/ui/Button.h"

using namespace Vx;

namespace {
constexpr int kButtonTextSize = 34;
}  // namespace

result PopupBase::Construct(Ui::IActionEventListener* listener, bool hasTitle, const Graphics::Dimension& size) {
    result r = Popup::Construct(hasTitle, size);
    if (r != E_SUCCESS) return r;
    listener_ = listener;
    return E_SUCCESS;
}

result PopupBase::AddButton(const Base::String& name, const Graphics::Rectangle& bounds, const Base::String& text,
                            int actionId) {
    std::unique_ptr<Ui::Controls::Button> button(new (std::nothrow) Ui::Controls::Button());
    if (!button) return E_OUT_OF_MEMORY;
    result r = button->Construct(bounds, text);
    if (r != E_SUCCESS) return r;
    button->SetName(name);
    button->SetTextSize(kButtonTextSize);
    button->SetActionId(actionId);
    button->AddActionEventListener(*this);
    r = AddControl(button.get());
    if (r == E_SUCCESS) button.release();
    return r;
}

void PopupBase::PopupShow() {
    SetShowState(true);
    Show();
}

void PopupBase::PopupHide() {
    SetShowState(false);
    Invalidate(true);
}

void PopupBase::OnActionPerformed(const Ui::Control& source, int actionId) {
    if (actionId == LoginConfirmPopup::kOkActionId || actionId == LoginConfirmPopup::kCancelActionId)
        Forward(source, actionId);
}

void PopupBase::Forward(const Ui::Control& source, int actionId) {
    // Last thing done: the listener may hide or delete this popup.
    if (listener_) listener_->OnActionPerformed(source, actionId);
}
