#include "sandbox/PaymentFunctions.h"

#include "sandbox/CatalogueFunctions.h"
#include "sandbox/FunctionTable.h"
#include "sandbox/ItemRecords.h"
#include "sandbox/RandomId.h"
#include "sandbox/RequestParams.h"
#include "sandbox/StoreDatabase.h"
#include "sandbox/TextUtil.h"

namespace Sandbox {
namespace {

// 128 random bits: not guessable, so a purchase id cannot be spent by someone it was not given to.
constexpr size_t kPurchaseIdBytes = 16;
// The device's tick count in milliseconds; twenty digits hold any 64-bit count.
constexpr size_t kMaxTimeStampDigits = 20;

bool IsTickCount(const std::string& text) {
    return !text.empty() && text.size() <= kMaxTimeStampDigits &&
           text.find_first_not_of("0123456789") == std::string::npos;
}

StoreRecord OfferRecord(const PaymentOffer& offer, const Item& item, const Country& country) {
    return StoreRecord{
        {"paymentMethod", offer.paymentMethod},
        {"Company", offer.company},
        {"itemPrice",
         offer.price ? ItemRecords::AmountText(*offer.price, country) : ItemRecords::PriceText(item.price, country)},
        {"currencyUnit", country.currencyUnit},
        {"paymentTypeId", offer.paymentTypeId},
        {"itemName", item.name},
        {"list", offer.providerList},
    };
}

}  // namespace

PaymentFunctions::PaymentFunctions(StoreDatabase& database) : database_(database), lookup_(database) {}

void PaymentFunctions::RegisterWith(FunctionDispatcher& dispatcher) {
    const unsigned store = static_cast<unsigned>(Endpoint::Store);
    dispatcher.Register(
        FunctionTable::kGetPaymentMethodSearch,
        [this](const StoreRequest& request) { return GetPaymentMethodSearch(request); }, store);
    dispatcher.Register(
        FunctionTable::kGetPurchaseId, [this](const StoreRequest& request) { return GetPurchaseId(request); }, store);
}

std::string PaymentFunctions::VerifyUrl(const StoreRequest& request, const std::string& purchaseId) {
    return CatalogueFunctions::BaseUrl(request) + "/purchases/" + purchaseId;
}

StoreReply PaymentFunctions::GetPaymentMethodSearch(const StoreRequest& request) {
    if (auto missing = RequestParams::RequireAll(request, {"itemID", "itemGroupID", "mode"})) return *missing;
    const std::string& itemId = *request.Param("itemID");
    const std::string& groupId = *request.Param("itemGroupID");
    Item item;
    if (auto refused = lookup_.FindItem(groupId, itemId, item)) return *refused;
    Country country;
    if (auto refused = lookup_.PricingCountry(request, country)) return *refused;

    std::vector<PaymentOffer> offers;
    if (!database_.PaymentOffers(country.code, groupId, itemId, offers)) return DatabaseError();
    // The device takes the list only with all three counts present; none offered is 1 to 0 of 0.
    StoreReply reply;
    reply.hasCounts = true;
    reply.startNum = 1;
    reply.endNum = static_cast<int>(offers.size());
    reply.totalCount = static_cast<int>(offers.size());
    for (const PaymentOffer& offer : offers)
        reply.records.push_back(OfferRecord(offer, item, country));
    return reply;
}

StoreReply PaymentFunctions::GetPurchaseId(const StoreRequest& request) {
    if (auto missing = RequestParams::RequireAll(request, {"duid", "itemID", "timeStamp"})) return *missing;
    const std::string& duid = *request.Param("duid");
    const std::string& itemId = *request.Param("itemID");
    const std::string& timeStamp = *request.Param("timeStamp");
    if (duid.empty())
        return StoreReply::Error(StoreError::MissingParameter, "parameter \"duid\" is empty: the device is unknown");
    if (!IsTickCount(timeStamp))
        return StoreReply::Error(StoreError::InvalidParameter,
                                 "parameter \"timeStamp\" is not a tick count in milliseconds: \"" + timeStamp + "\"");
    std::optional<Item> item;
    if (!database_.FindItemInAnyGroup(itemId, item)) return DatabaseError();
    if (!item) return StoreReply::Error(StoreError::UnknownItem, "no item \"" + itemId + "\" in the catalogue");

    IssuedPurchaseId issued{RandomId::Hex(kPurchaseIdBytes), duid, itemId, timeStamp, TextUtil::UtcStamp(), {}};
    if (issued.purchaseId.empty())
        return StoreReply::Error(StoreError::InternalError, "no random purchase id could be made");
    if (!database_.IssuePurchaseId(issued)) return DatabaseError();
    StoreReply reply;
    reply.records.push_back(StoreRecord{
        {"purchaseID", issued.purchaseId},
        {"verifyUrl", VerifyUrl(request, issued.purchaseId)},
        {"param1", itemId},
        {"param2", timeStamp},
    });
    return reply;
}

}  // namespace Sandbox
