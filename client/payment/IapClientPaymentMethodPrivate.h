#pragma once
// The state of one payment method: what is bought, the purchase id the store
// handed out, and where the purchase stands. Receives the method's replies.
#include "client/IapClientListener.h"
#include "client/payment/IapClientPaymentMethodInfo.h"
#include "lib/records/IapItemInformation.h"
#include "platform/base/String.h"

class IapClientPaymentMethod;
class IapClientPrivate;

class IapClientPaymentMethodPrivate : public IapClientListener {
public:
    // Where the common purchase sequence stands. A new purchase may start only
    // from Idle; everything else belongs to the purchase under way.
    enum class State {
        Idle,                 // nothing asked, or the last attempt ended without a charge
        PurchaseIdRequested,  // "getPurchaseID" sent
        AwaitingResume,       // the caller has the ticket
        Resumed,              // resumed; the method asks the user (CVC) before charging
        Charging,             // the charge request is out
        Checking,             // the charge's outcome is unknown; "checkPurchasedItem" runs
        Finished,             // the caller was answered; nothing more is sent
    };

    explicit IapClientPaymentMethodPrivate(IapClientPaymentMethod* owner) : owner(owner) {}

    void OnPaymentMethodFunction(const IapCommonHttpReply& reply) override;

    IapItemInformation item;
    IapClientPaymentMethodInfo info;
    Vx::Base::String paymentTypeId;
    Vx::Base::String transactionId;
    Vx::Base::String verificationUrl;
    Vx::Base::String userId;
    IapClientPaymentMethod* owner;
    IapClientPrivate* facade = nullptr;
    int checkCounter = 0;
    State state = State::Idle;
};
