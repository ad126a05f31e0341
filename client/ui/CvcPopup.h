#pragma once
// Asks for the card security code. Done reaches the listener only with a
// code entered, so the listener never gets an empty one.
#include "client/ui/PopupBase.h"
#include "platform/ui/EditField.h"

class CvcPopup : public PopupBase {
public:
    static constexpr int kDoneActionId = 10003;
    static constexpr int kCancelActionId = 10004;
    static constexpr int kWidth = 600;
    static constexpr int kHeight = 300;

    CvcPopup() = default;
    ~CvcPopup() override = default;

    Vx::result Construct(Vx::Ui::IActionEventListener* listener);
    // Empty when there is no field.
    Vx::Base::String GetCVC() const;
    void ClearCVC();
    void OnActionPerformed(const Vx::Ui::Control& source, int actionId) override;

private:
    Vx::Ui::Controls::EditField* cvcField_ = nullptr;
};
