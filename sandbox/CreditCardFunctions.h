#pragma once

#include "sandbox/CatalogueLookup.h"
#include "sandbox/CatalogueTypes.h"
#include "sandbox/FunctionDispatcher.h"

#include <string>

namespace Sandbox {

class StoreDatabase;

// Paying with the user's registered card: the charge (easybuyPurchaseItem),
// the question whether a charge went through (checkPurchasedItem), the card
// companies (searchCard) and the card registration (registerCreditCardForIAP).
class CreditCardFunctions {
public:
    // The market where the device asks for the card's security code on every purchase.
    static constexpr const char* kCvcMarketMcc = "255";
    // The code the sandbox's card issuer declines, so that a wrong CVC can be tried.
    static constexpr const char* kDeclinedCvc = "000";

    explicit CreditCardFunctions(StoreDatabase& database);

    void RegisterWith(FunctionDispatcher& dispatcher);

    StoreReply PurchaseItem(const StoreRequest& request);
    StoreReply CheckPurchasedItem(const StoreRequest& request);
    StoreReply SearchCard(const StoreRequest& request);
    StoreReply RegisterCard(const StoreRequest& request);

    // YYYYMMDDhhmmss as the device reads the dates of these replies: "YYYY-MM-DD hh:mm:ss".
    static std::string ReplyDate(const std::string& stamp);

private:
    StoreReply DatabaseError() const { return lookup_.DatabaseError(); }
    // The reply of a committed charge; the same for every retry of its purchase id.
    StoreReply ChargeReply(const CardCharge& charge, const Item& item, const Country& country) const;
    // Why the card cannot be charged, or nullopt when it can.
    std::optional<StoreReply> RefuseCard(const std::optional<RegisteredCard>& card) const;

    StoreDatabase& database_;
    CatalogueLookup lookup_;
};

}  // namespace Sandbox
