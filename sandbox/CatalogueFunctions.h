#pragma once

#include "sandbox/FunctionDispatcher.h"

#include <optional>
#include <string>

namespace Sandbox {

class StoreDatabase;
struct Country;

// The functions that read the catalogue: country search and list, upgrade
// check, item lists, purchased-item lists and the password check.
class CatalogueFunctions {
public:
    explicit CatalogueFunctions(StoreDatabase& database);

    void RegisterWith(FunctionDispatcher& dispatcher);

    StoreReply CountrySearch(const StoreRequest& request);
    StoreReply GetCountryList(const StoreRequest& request);
    StoreReply CheckAppUpgrade(const StoreRequest& request);
    StoreReply GetAppsItemList(const StoreRequest& request);
    StoreReply GetPurchasedAppsItemList(const StoreRequest& request);
    StoreReply CheckPassword(const StoreRequest& request);

    // Base of the URLs this server hands out ("http://host:port").
    static std::string BaseUrl(const StoreRequest& request);

private:
    StoreReply DatabaseError() const;
    // The country that prices the request (by its "mcc"), or an error reply.
    std::optional<StoreReply> PricingCountry(const StoreRequest& request, Country& country);
    std::optional<StoreReply> CheckGroup(const std::string& groupId);

    StoreDatabase& database_;
};

} // namespace Sandbox
