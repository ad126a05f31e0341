#pragma once

#include "sandbox/CatalogueTypes.h"
#include "sandbox/StoreReply.h"

#include <string>

namespace Sandbox::ItemRecords {

// The base price in the country's currency: multiplied by its rate and
// written with a decimal point, two decimals when the currency has pennies.
std::string PriceText(double basePrice, const Country& country);

// An amount already in the country's currency, written as PriceText writes it.
std::string AmountText(double amount, const Country& country);

// The fields of an item record, in protocol order.
StoreRecord ItemRecord(const Item& item, const Country& country);

// An item record followed by "paymentID" and "purchaseDate".
StoreRecord PurchaseRecord(const Purchase& purchase, const Country& country);

}  // namespace Sandbox::ItemRecords
