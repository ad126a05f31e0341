#pragma once
// Told by a payment method that it has stopped waiting for the store without
// finishing: it showed an error, asks the user (security code), gave up on a
// request it could not send, or opened the card registration. The screen
// that started the purchase takes its waiting popup away so that the user
// can act.
class IapClientPaymentMethod;

class IapClientPaymentMethodListener {
public:
    virtual ~IapClientPaymentMethodListener() = default;
    virtual void OnPaymentMethodWaitsForUser(IapClientPaymentMethod& method) = 0;
};
