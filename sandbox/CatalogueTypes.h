#pragma once

#include <optional>
#include <string>

namespace Sandbox {

struct Country {
    std::string code;  // "US"
    std::string mcc;   // "310"
    std::string name;
    std::string currencyUnit;  // "$", "KRW"
    double priceRate = 1.0;    // multiplies the catalogue's base prices
    bool currencyUnitPrecedes = false;
    bool currencyUnitHasPenny = false;
    bool currencyUnitDivision = false;
    bool freeStore = false;
    bool freetab = false;
    int snsVal = 0;
};

struct Item {
    std::string groupId;
    std::string itemId;
    std::string name;
    double price = 0.0;  // base currency
    std::string description;
    std::string imageUrl;
    std::string downloadUrl;
    std::string reserved1;
    std::string reserved2;
};

struct Purchase {
    Item item;
    std::string paymentId;
    std::string purchaseDate;  // YYYYMMDDhhmmss
};

struct Account {
    std::string email;
    std::string password;  // as the user types it; the database keeps only a hash
    std::string userId;
    std::string mcc;
};

// One way of paying offered for an item in a country.
struct PaymentOffer {
    std::string countryCode;
    std::string groupId;
    std::string itemId;
    int position = 0;           // order within the item's offers
    std::string paymentMethod;  // "CreditCard", "PSMS", or a code the device does not support
    std::string paymentTypeId;
    std::string company;          // empty: the record has no "Company"
    std::string providerList;     // empty: the record has no "list"
    std::optional<double> price;  // in the country's currency; none: the item's price there
};

// A purchase id handed to a device; it may be spent once, for that device and item.
struct IssuedPurchaseId {
    std::string purchaseId;
    std::string duid;
    std::string itemId;
    std::string timeStamp;  // the device's "timeStamp", as sent
    std::string issuedAt;   // YYYYMMDDhhmmss, UTC
    std::string usedAt;     // empty while unused
};

// What spending a purchase id found.
enum class PurchaseIdUse {
    Accepted,           // it was unused and matched; now it is used
    Unknown,            // no such id
    WrongDeviceOrItem,  // issued to another device or for another item
    AlreadyUsed,        // spent before
};

struct Package {
    std::string id;       // "buyclient"
    std::string version;  // dotted numbers
    std::string path;     // file on this machine

    // Name under /packages/: id-version plus the file's own extension.
    std::string FileName() const;
};

}  // namespace Sandbox
