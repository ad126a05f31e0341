#pragma once

#include "sandbox/CatalogueLookup.h"
#include "sandbox/CatalogueTypes.h"
#include "sandbox/FunctionDispatcher.h"
#include "sandbox/Paging.h"

#include <functional>
#include <optional>
#include <string>

namespace Sandbox {

class StoreDatabase;

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
    StoreReply DatabaseError() const { return lookup_.DatabaseError(); }

    // What both paged lists ask: a range within a group, priced for a country.
    struct ListQuery {
        int start = 0;
        int end = 0;
        std::string groupId;
        Country country;
    };
    std::optional<StoreReply> ReadListQuery(const StoreRequest& request, ListQuery& query);
    // count gives the total; fetch appends the records of the page.
    StoreReply ListPage(const ListQuery& query, const std::function<bool(int&)>& count,
                        const std::function<bool(const Page&, std::vector<StoreRecord>&)>& fetch);

    StoreDatabase& database_;
    CatalogueLookup lookup_;
};

}  // namespace Sandbox
