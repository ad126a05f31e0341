#include "sandbox/ItemRecords.h"

#include <cmath>
#include <cstdio>

namespace Sandbox::ItemRecords {

std::string PriceText(double basePrice, const Country& country) {
    return AmountText(basePrice * country.priceRate, country);
}

std::string AmountText(double amount, const Country& country) {
    const double scale = country.currencyUnitHasPenny ? 100.0 : 1.0;
    const double price = std::round(amount * scale) / scale;
    char text[64];
    // The C locale is never changed in this program, so the point stays a point.
    std::snprintf(text, sizeof text, country.currencyUnitHasPenny ? "%.2f" : "%.0f", price);
    return text;
}

StoreRecord ItemRecord(const Item& item, const Country& country) {
    return StoreRecord{
        {"itemID", item.itemId},
        {"itemName", item.name},
        {"itemPrice", PriceText(item.price, country)},
        {"currencyUnit", country.currencyUnit},
        {"itemDesc", item.description},
        {"itemImageUrl", item.imageUrl},
        {"itemDownloadUrl", item.downloadUrl},
        {"reserved1", item.reserved1},
        {"reserved2", item.reserved2},
    };
}

StoreRecord PurchaseRecord(const Purchase& purchase, const Country& country) {
    StoreRecord record = ItemRecord(purchase.item, country);
    record.emplace_back("paymentID", purchase.paymentId);
    record.emplace_back("purchaseDate", purchase.purchaseDate);
    return record;
}

}  // namespace Sandbox::ItemRecords
