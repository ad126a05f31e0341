#pragma once
// How a server session reports results. Every operation carries the caller's
// transaction id first, then the outcome as a caller status.
#include "lib/records/IapItemInformation.h"
#include "lib/records/IapItemList.h"
#include "lib/records/IapLibUtils.h"
#include "lib/records/IapPurchaseTicket.h"
#include "lib/records/IapPurchasedItemInformation.h"
#include "platform/base/ArrayList.h"
#include "platform/base/String.h"

class IapListener {
public:
    virtual ~IapListener() = default;

    virtual void OnItemInformationListReceived(int transactionId, IapLib::StatusCode status,
                                               const IapItemList<IapItemInformation>& items) = 0;
    // One HashMap of field name to String per country; the maps stay the caller's.
    virtual void OnCountryListReceived(int transactionId, IapLib::StatusCode status,
                                       const Vx::Base::Collection::ArrayList& countries) = 0;
    virtual void OnPurchasedItemInformationListReceived(int transactionId, IapLib::StatusCode status,
                                                        const IapItemList<IapPurchasedItemInformation>& items) = 0;
    virtual void OnPurchaseItemInitialized(int transactionId, IapLib::StatusCode status,
                                           const IapPurchaseTicket& ticket) = 0;
    virtual void OnPurchaseItemFinished(int transactionId, IapLib::StatusCode status,
                                        const IapPurchasedItemInformation& item) = 0;
    // downloadUrl is empty when no upgrade is offered.
    virtual void OnCheckAppUpgradeReceived(int transactionId, const Vx::Base::String& downloadUrl,
                                           IapLib::StatusCode status) = 0;
};
