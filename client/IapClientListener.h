#pragma once
// How the client's server session and facade report back. Every operation
// has an empty body, so a listener overrides only what it waits for.
#include "client/payment/IapClientPaymentMethodInfo.h"
#include "lib/protocol/IapCommonHttpTypes.h"
#include "lib/protocol/IapListener.h"

class IapCommonHttpReply;

class IapClientListener : public IapListener {
public:
    ~IapClientListener() override = default;

    void OnItemInformationListReceived(int, IapLib::StatusCode, const IapItemList<IapItemInformation>&) override {}
    void OnCountryListReceived(int, IapLib::StatusCode, const Vx::Base::Collection::ArrayList&) override {}
    void OnPurchasedItemInformationListReceived(int, IapLib::StatusCode,
                                                const IapItemList<IapPurchasedItemInformation>&) override {}
    void OnPurchaseItemInitialized(int, IapLib::StatusCode, const IapPurchaseTicket&) override {}
    void OnPurchaseItemFinished(int, IapLib::StatusCode, const IapPurchasedItemInformation&) override {}
    void OnCheckAppUpgradeReceived(int, const Vx::Base::String&, IapLib::StatusCode) override {}

    // The offered methods; empty with an error code or unusable counts.
    virtual void OnPaymentMethodListReceived(int /*transactionId*/, IapCommonHttp::ErrorCode /*errorCode*/,
                                             const IapItemList<IapClientPaymentMethodInfo>& /*methods*/) {}
    // The whole reply of a payment-method function, errors included.
    virtual void OnPaymentMethodFunction(const IapCommonHttpReply& /*reply*/) {}
    // result: the server's "isValid" (0 unless the reply holds exactly one record).
    virtual void OnCheckPasswordReceived(int /*transactionId*/, IapCommonHttp::ErrorCode /*errorCode*/,
                                         int /*result*/) {}
};
