#pragma once

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
    std::string password;
    std::string userId;
    std::string mcc;
};

struct Package {
    std::string id;       // "buyclient"
    std::string version;  // dotted numbers
    std::string path;     // file on this machine

    // Name under /packages/: id-version plus the file's own extension.
    std::string FileName() const;
};

}  // namespace Sandbox
