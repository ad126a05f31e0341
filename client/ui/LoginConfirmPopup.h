#pragma once
// Asks for the account password before a purchase: shows the account id
// (kept also in a hidden field the user cannot edit) and a password field.
#include "client/ui/PopupBase.h"
#include "platform/ui/EditField.h"
#include "platform/ui/Label.h"

class LoginConfirmPopup : public PopupBase {
public:
    static constexpr int kOkActionId = 10001;
    static constexpr int kCancelActionId = 10002;
    static constexpr int kWidth = 600;
    static constexpr int kHeight = 450;

    LoginConfirmPopup() = default;
    ~LoginConfirmPopup() override = default;

    Vx::result Construct(Vx::Ui::IActionEventListener* listener);
    // Shown in the id label and kept in the hidden id field (only when both exist).
    void SetId(const Vx::Base::String& id);
    Vx::Base::String GetId() const;
    Vx::Base::String GetPassword() const;
    void ClearPassword();

private:
    Vx::Ui::Controls::Label* idLabel_ = nullptr;
    Vx::Ui::Controls::EditField* idField_ = nullptr;
    Vx::Ui::Controls::EditField* passwordField_ = nullptr;
};
