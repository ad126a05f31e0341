#include "client/ui/LoginConfirmPopup.h"

#include <memory>
#include <new>

#include "platform/ui/Button.h"

using namespace Vx;
using namespace Vx::Ui::Controls;
using Vx::Base::String;

namespace {

constexpr int kLeft = 45;
constexpr int kContentWidth = 520;
constexpr int kCaptionHeight = 42;
constexpr int kFieldHeight = 66;
constexpr int kCaptionTextSize = 32;
constexpr int kIdTextSize = 44;
constexpr int kButtonHeight = 74;

template <class T>
result AddTo(Popup& popup, std::unique_ptr<T>& control, T*& out) {
    result r = popup.AddControl(control.get());
    if (r == E_SUCCESS) out = control.release();
    return r;
}

result AddCaption(Popup& popup, const String& name, const Graphics::Rectangle& bounds, const String& text,
                  int textSize) {
    std::unique_ptr<Label> label(new (std::nothrow) Label());
    if (!label) return E_OUT_OF_MEMORY;
    result r = label->Construct(bounds, text);
    if (r != E_SUCCESS) return r;
    label->SetName(name);
    label->SetTextConfig(textSize, LABEL_TEXT_STYLE_NORMAL);
    label->SetTextHorizontalAlignment(ALIGNMENT_LEFT);
    Label* added = nullptr;
    return AddTo(popup, label, added);
}

result MakeField(const String& name, const Graphics::Rectangle& bounds, EditFieldStyle style,
                 std::unique_ptr<EditField>& field) {
    field.reset(new (std::nothrow) EditField());
    if (!field) return E_OUT_OF_MEMORY;
    result r = field->Construct(bounds, style, INPUT_STYLE_OVERLAY, EDIT_FIELD_TITLE_STYLE_NONE, false, 100);
    if (r != E_SUCCESS) return r;
    field->SetName(name);
    field->SetLowerCaseModeEnabled(true);
    field->SetTextPredictionEnabled(false);
    return E_SUCCESS;
}

}  // namespace

result LoginConfirmPopup::Construct(Ui::IActionEventListener* listener) {
    result r = PopupBase::Construct(listener, true, Graphics::Dimension{kWidth, kHeight});
    if (r != E_SUCCESS) return r;
    SetName(L"loginConfirm");
    r = SetTitleText(L"Confirm password");
    if (r != E_SUCCESS) return r;

    int y = 10;
    r = AddCaption(*this, L"idCaption", {kLeft, y, kContentWidth, kCaptionHeight}, L"ID", kCaptionTextSize);
    if (r != E_SUCCESS) return r;
    y += kCaptionHeight + 10;

    std::unique_ptr<Label> idLabel(new (std::nothrow) Label());
    if (!idLabel) return E_OUT_OF_MEMORY;
    r = idLabel->Construct(Graphics::Rectangle{kLeft, y, kContentWidth, kFieldHeight}, String());
    if (r != E_SUCCESS) return r;
    idLabel->SetName(L"id");
    idLabel->SetTextConfig(kIdTextSize, LABEL_TEXT_STYLE_NORMAL);
    idLabel->SetTextHorizontalAlignment(ALIGNMENT_LEFT);
    r = AddTo(*this, idLabel, idLabel_);
    if (r != E_SUCCESS) return r;
    y += kFieldHeight;

    // The id travels in a field the user never sees, so it cannot be edited.
    std::unique_ptr<EditField> idField;
    r = MakeField(L"idField", {kLeft, y, kContentWidth, kFieldHeight}, EDIT_FIELD_STYLE_EMAIL, idField);
    if (r != E_SUCCESS) return r;
    idField->SetShowState(false);
    r = AddTo(*this, idField, idField_);
    if (r != E_SUCCESS) return r;

    r = AddCaption(*this, L"passwordCaption", {kLeft, y, kContentWidth, kCaptionHeight}, L"Password", kCaptionTextSize);
    if (r != E_SUCCESS) return r;
    y += kCaptionHeight;

    std::unique_ptr<EditField> password;
    r = MakeField(L"password", {kLeft, y, kContentWidth, kFieldHeight}, EDIT_FIELD_STYLE_PASSWORD, password);
    if (r != E_SUCCESS) return r;
    r = AddTo(*this, password, passwordField_);
    if (r != E_SUCCESS) return r;
    y += kFieldHeight + 20;

    const int buttonWidth = (kWidth - 90) / 2;
    r = AddButton(L"ok", {24, y, buttonWidth, kButtonHeight}, L"OK", kOkActionId);
    if (r != E_SUCCESS) return r;
    return AddButton(L"cancel", {24 + buttonWidth + 45, y, buttonWidth, kButtonHeight}, L"Cancel", kCancelActionId);
}

void LoginConfirmPopup::SetId(const String& id) {
    if (!idLabel_ || !idField_) return;
    idLabel_->SetText(id);
    // An id longer than the field's limit would come back cut.
    if (id.GetLength() > idField_->GetLimitLength()) idField_->SetLimitLength(id.GetLength());
    idField_->SetText(id);
}

String LoginConfirmPopup::GetId() const { return idField_ ? idField_->GetText() : String(); }

String LoginConfirmPopup::GetPassword() const { return passwordField_ ? passwordField_->GetText() : String(); }

void LoginConfirmPopup::ClearPassword() {
    if (passwordField_) passwordField_->Clear();
}
