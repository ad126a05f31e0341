#include "client/ui/CvcPopup.h"

#include <memory>
#include <new>

#include "platform/ui/Button.h"
#include "platform/ui/Label.h"

using namespace Vx;
using namespace Vx::Ui::Controls;
using Vx::Base::String;

namespace {}  // namespace

result CvcPopup::Construct(Ui::IActionEventListener* listener) {
    result r = PopupBase::Construct(listener, false, Graphics::Dimension{kWidth, kHeight});
    if (r != E_SUCCESS) return r;
    SetName(L"cvcPopup");
    const int innerWidth = kWidth - 90;

    std::unique_ptr<Label> caption(new (std::nothrow) Label());
    if (!caption) return E_OUT_OF_MEMORY;
    r = caption->Construct(Graphics::Rectangle{45, 20, innerWidth, 50}, L"Input CVC code");
    if (r != E_SUCCESS) return r;
    caption->SetName(L"cvcCaption");
    caption->SetTextConfig(44, LABEL_TEXT_STYLE_NORMAL);
    r = AddControl(caption.get());
    if (r != E_SUCCESS) return r;
    caption.release();

    std::unique_ptr<EditField> field(new (std::nothrow) EditField());
    if (!field) return E_OUT_OF_MEMORY;
    r = field->Construct(Graphics::Rectangle{45, 90, innerWidth, 66}, EDIT_FIELD_STYLE_PASSWORD_NUMBER,
                         INPUT_STYLE_OVERLAY, EDIT_FIELD_TITLE_STYLE_NONE, true, 255);
    if (r != E_SUCCESS) return r;
    field->SetName(L"cvc");
    field->SetGuideText(String());
    r = AddControl(field.get());
    if (r != E_SUCCESS) return r;
    cvcField_ = field.release();

    const int buttonWidth = kWidth / 2 - 44;
    r = AddButton(L"done", {36, 176, buttonWidth, 74}, L"Done", kDoneActionId);
    if (r != E_SUCCESS) return r;
    return AddButton(L"cancel", {36 + buttonWidth + 16, 176, buttonWidth, 74}, L"Cancel", kCancelActionId);
}

String CvcPopup::GetCVC() const { return cvcField_ ? cvcField_->GetText() : String(); }

void CvcPopup::ClearCVC() {
    if (cvcField_) cvcField_->Clear();
}

void CvcPopup::OnActionPerformed(const Ui::Control& source, int actionId) {
    if (actionId == kDoneActionId) {
        if (!GetCVC().IsEmpty()) Forward(source, actionId);
    } else if (actionId == kCancelActionId) {
        Forward(source, actionId);
    }
}
