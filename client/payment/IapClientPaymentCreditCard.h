#pragma once
// Pays with the card the user registered with the store. In the CVC market
// the card's security code is asked for before the charge; when the store
// knows no usable card, the card companies are fetched and the registration
// screen takes over.
#include <vector>

#include "client/payment/IapClientPaymentCreditCardCompany.h"
#include "client/payment/IapClientPaymentMethod.h"
#include "platform/base/Object.h"
#include "platform/ui/IActionEventListener.h"

class CvcPopup;

class IapClientPaymentCreditCard : public IapClientPaymentMethod,
                                   public Vx::Base::Object,
                                   public Vx::Ui::IActionEventListener {
public:
    static constexpr const wchar_t* kCvcMarketMcc = L"255";

    IapClientPaymentCreditCard();
    ~IapClientPaymentCreditCard() override;

    Vx::result Construct(const IapClientPaymentMethodInfo& info, const IapItemInformation& item) override;
    Vx::Base::String GetDisplayName() const override;
    void OnError(const IapCommonHttpReply& reply) override;
    void OnProcessResponse(const IapCommonHttpReply& reply) override;
    void OnPurchaseIdReceived() override;
    void OnActionPerformed(const Vx::Ui::Control& source, int actionId) override;

    // Sends the charge; refused (with a message) when it would charge twice
    // or when the CVC market has no code.
    void SendPurchaseRequest();
    // The registration screen's request. The number and the code go to the
    // store only; nothing here writes them anywhere else.
    virtual void SendRegisterCreditCardRequest(const Vx::Base::String& cardType, const Vx::Base::String& cardNumber,
                                               const Vx::Base::String& expirationYear,
                                               const Vx::Base::String& expirationMonth, const Vx::Base::String& cvc);

    static bool IsCVCNeeded();
    const std::vector<IapClientPaymentCreditCardCompany>& GetCardCompanies() const { return cardCompanies_; }

protected:
    // Seams for tests: the screens around the method. On the device they are
    // the CVC popup, the message popups and the scene manager.
    virtual void ShowCvcPopup();
    virtual void HideCvcPopup();
    virtual Vx::Base::String GetEnteredCvc() const;
    virtual void ClearEnteredCvc();
    virtual void ShowTimedMessage(const Vx::Base::String& text);
    // Forward to the registration scene with this method as its argument.
    virtual Vx::result GoToRegistration();
    // Back from the registration scene to the purchase scene.
    virtual Vx::result GoBackToPurchase();

private:
    // Where the card registration stands; one request at a time.
    enum class RegistrationState {
        None,  // nothing sent, or the last request was answered
        Sent,  // "registerCreditCardForIAP" is with the store
    };

    std::vector<IapClientPaymentCreditCardCompany> cardCompanies_;
    RegistrationState registrationState_ = RegistrationState::None;
    CvcPopup* cvcPopup_ = nullptr;
};
