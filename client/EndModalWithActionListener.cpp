#include "client/EndModalWithActionListener.h"

#include "platform/ui/Popup.h"

using namespace Vx;

result EndModalWithActionListener::Construct(Ui::Controls::Popup* popup) {
    if (!popup) return E_INVALID_ARG;
    popup_ = popup;
    return E_SUCCESS;
}

void EndModalWithActionListener::OnActionPerformed(const Ui::Control&, int actionId) {
    if (popup_) popup_->EndModal(actionId);
}
