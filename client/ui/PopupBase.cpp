#include "client/ui/PopupBase.h"

#include "client/ui/LoginConfirmPopup.h"

using namespace Vx;

result PopupBase::Construct(Ui::IActionEventListener* listener, bool hasTitle, const Graphics::Dimension& size) {
    result r = Popup::Construct(hasTitle, size);
    if (r != E_SUCCESS) return r;
    listener_ = listener;
    return E_SUCCESS;
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
