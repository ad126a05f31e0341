#pragma once

#include "sandbox/CatalogueTypes.h"
#include "sandbox/FunctionDispatcher.h"

#include <optional>
#include <string>

namespace Sandbox {

class StoreDatabase;

// The catalogue look-ups every store function starts with, each giving the
// error reply the device expects when it fails (nullopt when it worked).
class CatalogueLookup {
public:
    explicit CatalogueLookup(StoreDatabase& database) : database_(database) {}

    StoreReply DatabaseError() const;
    // The country that prices the request (by its "mcc").
    std::optional<StoreReply> PricingCountry(const StoreRequest& request, Country& country) const;
    std::optional<StoreReply> CheckGroup(const std::string& groupId) const;
    // The item of an existing group.
    std::optional<StoreReply> FindItem(const std::string& groupId, const std::string& itemId, Item& item) const;

private:
    StoreDatabase& database_;
};

}  // namespace Sandbox
