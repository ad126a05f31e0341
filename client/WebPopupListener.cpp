#include "client/WebPopupListener.h"

#include "platform/ui/Popup.h"
#include "platform/ui/Web.h"

using namespace Vx;

WebPopupListener::~WebPopupListener() {
    if (popup_) popup_->RemoveWindowEventListener(*this);
}

result WebPopupListener::Construct(Ui::Controls::Popup* popup, Ui::Controls::Web* web, const Base::String& url,
                                   int closeActionId) {
    if (!popup || !web || url.IsEmpty()) return E_INVALID_ARG;
    if (popup_) popup_->RemoveWindowEventListener(*this);
    url_ = url;
    web_ = web;
    popup_ = popup;
    closeActionId_ = closeActionId;
    popup_->AddWindowEventListener(*this);
    return E_SUCCESS;
}

void WebPopupListener::OnWindowActivated(const Ui::Controls::Window&) {
    if (web_) web_->LoadUrl(url_);
}

void WebPopupListener::OnWindowDeactivated(const Ui::Controls::Window&) {}

void WebPopupListener::OnActionPerformed(const Ui::Control&, int actionId) {
    if (!popup_ || actionId != closeActionId_) return;
    popup_->EndModal(0);
    popup_->SetShowState(false);
    popup_->Show();
}
