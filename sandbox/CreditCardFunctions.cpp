#include "sandbox/CreditCardFunctions.h"

#include "sandbox/CardChecks.h"
#include "sandbox/FunctionTable.h"
#include "sandbox/ItemRecords.h"
#include "sandbox/RandomId.h"
#include "sandbox/RequestParams.h"
#include "sandbox/StoreDatabase.h"
#include "sandbox/TextUtil.h"

#include <cstdlib>

namespace Sandbox {
namespace {

// 64 random bits: payment ids need only be unique, the purchase id is the secret.
constexpr size_t kPaymentIdBytes = 8;
// A card valid this many years ahead is not believed.
constexpr int kMaxExpiryYearsAhead = 20;

bool IsEmpty(const StoreRequest& request, const char* name) { return request.Param(name)->empty(); }

StoreReply Empty(const char* name, const char* why) {
    return StoreReply::Error(StoreError::MissingParameter, std::string("parameter \"") + name + "\" is empty: " + why);
}

// The price charged: the credit-card offer's own price in that country when it has one, else the item's.
double ChargedAmount(const std::vector<PaymentOffer>& offers, const Item& item, const Country& country) {
    for (const PaymentOffer& offer : offers) {
        if (offer.paymentMethod == "CreditCard" && offer.price) return *offer.price;
    }
    return std::strtod(ItemRecords::PriceText(item.price, country).c_str(), nullptr);
}

}  // namespace

CreditCardFunctions::CreditCardFunctions(StoreDatabase& database) : database_(database), lookup_(database) {}

void CreditCardFunctions::RegisterWith(FunctionDispatcher& dispatcher) {
    const unsigned store = static_cast<unsigned>(Endpoint::Store);
    dispatcher.Register(
        FunctionTable::IdOf("easybuyPurchaseItem"), [this](const StoreRequest& r) { return PurchaseItem(r); }, store);
    dispatcher.Register(
        FunctionTable::IdOf("checkPurchasedItem"), [this](const StoreRequest& r) { return CheckPurchasedItem(r); },
        store);
    dispatcher.Register(
        FunctionTable::IdOf("searchCard"), [this](const StoreRequest& r) { return SearchCard(r); }, store);
    dispatcher.Register(
        FunctionTable::IdOf("registerCreditCardForIAP"), [this](const StoreRequest& r) { return RegisterCard(r); },
        store);
}

std::string CreditCardFunctions::ReplyDate(const std::string& stamp) {
    if (stamp.size() != 14) return stamp;
    return stamp.substr(0, 4) + "-" + stamp.substr(4, 2) + "-" + stamp.substr(6, 2) + " " + stamp.substr(8, 2) + ":" +
           stamp.substr(10, 2) + ":" + stamp.substr(12, 2);
}

StoreReply CreditCardFunctions::ChargeReply(const CardCharge& charge, const Item& item, const Country& country) const {
    StoreReply reply;
    reply.records.push_back(StoreRecord{
        {"paymentID", charge.paymentId},
        {"purchaseDate", ReplyDate(charge.chargedAt)},
        {"itemID", item.itemId},
        {"itemGroupID", item.groupId},
        {"itemName", item.name},
        {"itemPrice", ItemRecords::AmountText(charge.amount, country)},
        {"currencyUnit", charge.currencyUnit},
        {"currencyUnitPrecedes", country.currencyUnitPrecedes ? "1" : "0"},
        {"currencyUnitHasPenny", country.currencyUnitHasPenny ? "1" : "0"},
        {"itemDesc", item.description},
        {"itemImageUrl", item.imageUrl},
        {"itemDownloadUrl", item.downloadUrl},
        {"reserved1", item.reserved1},
        {"reserved2", item.reserved2},
    });
    return reply;
}

std::optional<StoreReply> CreditCardFunctions::RefuseCard(const std::optional<RegisteredCard>& card) const {
    if (!card) return StoreReply::Error(StoreError::NoCard, "no credit card is registered for this user");
    int year = 0;
    int month = 0;
    CardChecks::CurrentMonth(year, month);
    if (CardChecks::IsExpired(card->expiryYear, card->expiryMonth, year, month))
        return StoreReply::Error(StoreError::CardExpired, "the registered credit card " + card->maskedNumber +
                                                              " expired in " + std::to_string(card->expiryMonth) + "/" +
                                                              std::to_string(card->expiryYear));
    if (card->status != "active")
        return StoreReply::Error(StoreError::CardRefused,
                                 "the issuer declines the registered credit card " + card->maskedNumber);
    return std::nullopt;
}

StoreReply CreditCardFunctions::PurchaseItem(const StoreRequest& request) {
    if (auto missing =
            RequestParams::RequireAll(request, {"itemID", "itemGroupID", "duid", "userID", "mode", "transID"}))
        return *missing;
    if (IsEmpty(request, "duid")) return Empty("duid", "the device is unknown");
    if (IsEmpty(request, "userID")) return Empty("userID", "nobody is signed in");
    if (IsEmpty(request, "transID")) return Empty("transID", "ask getPurchaseID for a purchase id first");
    const std::string& itemId = *request.Param("itemID");
    const std::string& groupId = *request.Param("itemGroupID");
    const std::string& duid = *request.Param("duid");
    const std::string& userId = *request.Param("userID");
    const std::string& purchaseId = *request.Param("transID");

    Item item;
    if (auto refused = lookup_.FindItem(groupId, itemId, item)) return *refused;
    Country country;
    if (auto refused = lookup_.PricingCountry(request, country)) return *refused;

    // A retry of a purchase that went through gets the same payment and is not charged again.
    std::optional<CardCharge> earlier;
    if (!database_.FindCharge(purchaseId, earlier)) return DatabaseError();
    if (earlier) {
        if (earlier->duid != duid || earlier->itemId != itemId || earlier->userId != userId)
            return StoreReply::Error(StoreError::InvalidParameter,
                                     "purchase id \"" + purchaseId + "\" was spent by another purchase");
        return ChargeReply(*earlier, item, country);
    }
    std::optional<IssuedPurchaseId> issued;
    if (!database_.FindPurchaseId(purchaseId, issued)) return DatabaseError();
    if (!issued)
        return StoreReply::Error(StoreError::InvalidParameter,
                                 "purchase id \"" + purchaseId + "\" was never issued; ask getPurchaseID for one");
    if (issued->duid != duid || issued->itemId != itemId)
        return StoreReply::Error(StoreError::InvalidParameter,
                                 "purchase id \"" + purchaseId + "\" was issued to another device or for another item");
    if (!issued->usedAt.empty()) {
        // A retry running alongside may have charged it since the look-up above; the id and its charge are
        // written in one transaction, so the charge is there now if that is what spent it.
        if (!database_.FindCharge(purchaseId, earlier)) return DatabaseError();
        if (earlier && earlier->duid == duid && earlier->itemId == itemId && earlier->userId == userId)
            return ChargeReply(*earlier, item, country);
        return StoreReply::Error(StoreError::InvalidParameter,
                                 "purchase id \"" + purchaseId + "\" was already spent by another payment method");
    }

    std::optional<RegisteredCard> card;
    if (!database_.FindCard(userId, card)) return DatabaseError();
    if (auto refusal = RefuseCard(card)) return *refusal;

    if (request.mcc == kCvcMarketMcc) {
        const std::string* cvc = request.Param("cvc");
        if (!cvc || cvc->empty())
            return StoreReply::Error(StoreError::MissingParameter,
                                     "parameter \"cvc\" is required in this market: the card's security code");
        if (!CardChecks::IsCvcFormat(*cvc) || *cvc == kDeclinedCvc)
            return StoreReply::Error(StoreError::InvalidParameter, "the card's security code is wrong");
    }

    std::vector<PaymentOffer> offers;
    if (!database_.PaymentOffers(country.code, groupId, itemId, offers)) return DatabaseError();
    CardCharge charge{purchaseId,
                      "P" + RandomId::Hex(kPaymentIdBytes),
                      userId,
                      duid,
                      groupId,
                      itemId,
                      ChargedAmount(offers, item, country),
                      country.currencyUnit,
                      card->cardType,
                      card->maskedNumber,
                      TextUtil::UtcStamp()};
    if (charge.paymentId.size() == 1)
        return StoreReply::Error(StoreError::InternalError, "no random payment id could be made");
    ChargeOutcome outcome = ChargeOutcome::NotSpendable;
    if (!database_.CommitCharge(charge, outcome)) return DatabaseError();
    if (outcome == ChargeOutcome::Charged) return ChargeReply(charge, item, country);
    // Another request with the same purchase id committed first: answer with its payment.
    if (!database_.FindCharge(purchaseId, earlier)) return DatabaseError();
    if (earlier && earlier->duid == duid && earlier->itemId == itemId && earlier->userId == userId)
        return ChargeReply(*earlier, item, country);
    return StoreReply::Error(StoreError::InvalidParameter, "purchase id \"" + purchaseId + "\" was already spent");
}

StoreReply CreditCardFunctions::CheckPurchasedItem(const StoreRequest& request) {
    if (auto missing = RequestParams::RequireAll(request, {"itemID", "duid", "transID", "mode"})) return *missing;
    const std::string& itemId = *request.Param("itemID");
    const std::string& duid = *request.Param("duid");
    const std::string& purchaseId = *request.Param("transID");
    std::optional<IssuedPurchaseId> issued;
    if (!database_.FindPurchaseId(purchaseId, issued)) return DatabaseError();
    if (!issued)
        return StoreReply::Error(StoreError::InvalidParameter, "purchase id \"" + purchaseId + "\" was never issued");
    if (issued->duid != duid || issued->itemId != itemId)
        return StoreReply::Error(StoreError::InvalidParameter,
                                 "purchase id \"" + purchaseId + "\" was issued to another device or for another item");
    std::optional<CardCharge> charge;
    if (!database_.FindCharge(purchaseId, charge)) return DatabaseError();
    if (!charge)
        return StoreReply::Error(StoreError::NotPurchasedYet,
                                 "no purchase has been completed with purchase id \"" + purchaseId + "\"");
    StoreReply reply;
    reply.records.push_back(StoreRecord{
        {"paymentID", charge->paymentId},
        {"purchaseDate", ReplyDate(charge->chargedAt)},
        {"itemID", charge->itemId},
        {"itemGroupID", charge->groupId},
    });
    return reply;
}

StoreReply CreditCardFunctions::SearchCard(const StoreRequest& request) {
    Country country;
    if (auto refused = lookup_.PricingCountry(request, country)) return *refused;
    std::vector<CardCompany> companies;
    if (!database_.CardCompanies(country.code, companies)) return DatabaseError();
    StoreReply reply;
    for (const CardCompany& company : companies)
        reply.records.push_back(StoreRecord{{"cardCompany", company.name}, {"cardCompanyCode", company.code}});
    return reply;
}

StoreReply CreditCardFunctions::RegisterCard(const StoreRequest& request) {
    if (auto missing = RequestParams::RequireAll(
            request, {"cardType", "cardNum", "expirationYear", "expirationMonth", "cvc", "userID"}))
        return *missing;
    const std::string& userId = *request.Param("userID");
    const std::string& cardType = *request.Param("cardType");
    const std::string& number = *request.Param("cardNum");
    bool known = false;
    if (!database_.UserExists(userId, known)) return DatabaseError();
    if (userId.empty() || !known)
        return StoreReply::Error(StoreError::CardNotRegistered, "no account with user id \"" + userId + "\"");

    Country country;
    if (auto refused = lookup_.PricingCountry(request, country)) return *refused;
    std::vector<CardCompany> companies;
    if (!database_.CardCompanies(country.code, companies)) return DatabaseError();
    bool typeKnown = false;
    for (const CardCompany& company : companies)
        typeKnown = typeKnown || company.code == cardType;
    if (!typeKnown)
        return StoreReply::Error(StoreError::UnknownCardType,
                                 "card type \"" + cardType + "\" is no card company of " + country.name);
    if (!CardChecks::IsCardNumber(number))
        return StoreReply::Error(StoreError::BadCardNumber, "the card number is not a valid card number");
    int year = 0;
    int month = 0;
    if (!CardChecks::ParseExpiry(*request.Param("expirationYear"), *request.Param("expirationMonth"), year, month))
        return StoreReply::Error(StoreError::BadExpiry, "the expiry date is not a month 1 to 12 and a 4-digit year");
    int nowYear = 0;
    int nowMonth = 0;
    CardChecks::CurrentMonth(nowYear, nowMonth);
    if (CardChecks::IsExpired(year, month, nowYear, nowMonth))
        return StoreReply::Error(StoreError::BadExpiry, "the card has expired");
    if (year > nowYear + kMaxExpiryYearsAhead)
        return StoreReply::Error(StoreError::BadExpiry, "the expiry year lies too far ahead");
    if (!CardChecks::IsCvcFormat(*request.Param("cvc")))
        return StoreReply::Error(StoreError::BadSecurityCode, "the security code is not 3 or 4 digits");

    // The number and the security code end here: only what a receipt shows is kept.
    const RegisteredCard card{userId, cardType, CardChecks::Masked(number), year,
                              month,  "active", TextUtil::UtcStamp()};
    if (!database_.SaveCard(card)) return DatabaseError();
    StoreReply reply;
    reply.records.push_back(StoreRecord{{"cardType", card.cardType}, {"maskedCardNum", card.maskedNumber}});
    return reply;
}

}  // namespace Sandbox
