#pragma once

#include "sandbox/CatalogueLookup.h"
#include "sandbox/CatalogueTypes.h"
#include "sandbox/FunctionDispatcher.h"

#include <optional>

namespace Sandbox {

class StoreDatabase;

// The functions that start a purchase: the payment methods offered for an
// item (getPaymentMethodSearch) and a purchase id for it (getPurchaseID).
class PaymentFunctions {
public:
    explicit PaymentFunctions(StoreDatabase& database);

    void RegisterWith(FunctionDispatcher& dispatcher);

    StoreReply GetPaymentMethodSearch(const StoreRequest& request);
    StoreReply GetPurchaseId(const StoreRequest& request);

    // Where a purchase id's ticket is verified: BASE/purchases/ID.
    static std::string VerifyUrl(const StoreRequest& request, const std::string& purchaseId);

private:
    StoreReply DatabaseError() const { return lookup_.DatabaseError(); }

    StoreDatabase& database_;
    CatalogueLookup lookup_;
};

}  // namespace Sandbox
