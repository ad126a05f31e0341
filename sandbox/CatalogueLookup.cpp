#include "sandbox/CatalogueLookup.h"

#include "sandbox/StoreDatabase.h"
#include "sandbox/StoreError.h"

namespace Sandbox {

StoreReply CatalogueLookup::DatabaseError() const {
    return StoreReply::Error(StoreError::InternalError, "store database failure: " + database_.LastError());
}

std::optional<StoreReply> CatalogueLookup::PricingCountry(const StoreRequest& request, Country& country) const {
    std::optional<Country> found;
    if (!database_.CountryForMcc(request.mcc, found)) return DatabaseError();
    if (!found) return StoreReply::Error(StoreError::InternalError, "the catalogue holds no country");
    country = *found;
    return std::nullopt;
}

std::optional<StoreReply> CatalogueLookup::CheckGroup(const std::string& groupId) const {
    bool exists = false;
    if (!database_.GroupExists(groupId, exists)) return DatabaseError();
    if (!exists) return StoreReply::Error(StoreError::UnknownItemGroup, "no item group \"" + groupId + "\"");
    return std::nullopt;
}

std::optional<StoreReply> CatalogueLookup::FindItem(const std::string& groupId, const std::string& itemId,
                                                    Item& item) const {
    if (auto refused = CheckGroup(groupId)) return refused;
    std::optional<Item> found;
    if (!database_.FindItem(groupId, itemId, found)) return DatabaseError();
    if (!found)
        return StoreReply::Error(StoreError::UnknownItem, "no item \"" + itemId + "\" in group \"" + groupId + "\"");
    item = *found;
    return std::nullopt;
}

}  // namespace Sandbox
