#pragma once

#include "sandbox/CatalogueTypes.h"

#include <mutex>
#include <optional>
#include <string>
#include <vector>

struct sqlite3;

namespace Sandbox {

// The store's data in SQLite: countries, item groups and items, accounts,
// purchases and package files. Safe to use from several threads.
// Every operation returns false when SQLite fails; LastError() says why.
class StoreDatabase {
public:
    StoreDatabase();
    ~StoreDatabase();
    StoreDatabase(const StoreDatabase&) = delete;
    StoreDatabase& operator=(const StoreDatabase&) = delete;

    // An empty path opens a fresh in-memory database. A new database gets the
    // schema and then seedSql (the demo catalogue when seedSql is empty); an
    // existing sandbox database is used as it is.
    bool Open(const std::string& path, const std::string& seedSql);
    bool WasSeeded() const { return seeded_; }
    std::string LastError() const;

    bool Countries(std::vector<Country>& out);
    // The country of that MCC, else the default country; nullopt when the
    // catalogue has no country at all.
    bool CountryForMcc(const std::string& mcc, std::optional<Country>& out);

    bool GroupExists(const std::string& groupId, bool& exists);
    // The item of that id in that group, or nullopt.
    bool FindItem(const std::string& groupId, const std::string& itemId, std::optional<Item>& out);
    // The first item of that id in any group (by group id), or nullopt.
    bool FindItemInAnyGroup(const std::string& itemId, std::optional<Item>& out);
    bool CountItems(const std::string& groupId, int& total);
    bool Items(const std::string& groupId, int offset, int limit, std::vector<Item>& out);

    bool CountPurchases(const std::string& userId, const std::string& groupId, int& total);
    bool Purchases(const std::string& userId, const std::string& groupId, int offset, int limit,
                   std::vector<Purchase>& out);
    bool AddPurchase(const std::string& userId, const std::string& groupId, const std::string& itemId,
                     const std::string& paymentId, const std::string& purchaseDate);

    // valid is true only for a known e-mail (any letter case) with that exact password.
    bool CheckPassword(const std::string& email, const std::string& password, bool& valid,
                       std::string* userId = nullptr);
    // Adds the account, or replaces the one with the same e-mail. The password is stored as a salted hash.
    bool AddAccount(const Account& account);
    // The stored form of an account's password (for tests: it must never be the text).
    bool StoredPassword(const std::string& email, std::string& out);

    // The offers for an item in a country, in position order.
    bool PaymentOffers(const std::string& countryCode, const std::string& groupId, const std::string& itemId,
                       std::vector<PaymentOffer>& out);
    // Adds the offer, or replaces the one with the same country, item, method and type id.
    bool AddPaymentOffer(const PaymentOffer& offer);
    // Removes every offer for the item (in every country); removed gives the count.
    bool RemovePaymentOffers(const std::string& groupId, const std::string& itemId, int& removed);

    // Records a new purchase id; fails if the id exists. Beyond the limit of
    // unused ids the oldest unused ones are forgotten, so that a client asking
    // for ids without end cannot grow the store without end.
    bool IssuePurchaseId(const IssuedPurchaseId& issued);
    void SetUnusedPurchaseIdLimit(int limit) { unusedPurchaseIdLimit_ = limit; }
    // Spends the id for that device and item, at most once (usedAt: YYYYMMDDhhmmss).
    bool UsePurchaseId(const std::string& purchaseId, const std::string& duid, const std::string& itemId,
                       const std::string& usedAt, PurchaseIdUse& use);
    bool FindPurchaseId(const std::string& purchaseId, std::optional<IssuedPurchaseId>& out);
    // The newest issued ids first, at most limit of them.
    bool RecentPurchaseIds(int limit, std::vector<IssuedPurchaseId>& out);

    // Adds the package, or replaces the path of the same id and version.
    bool RegisterPackage(const Package& package);
    bool Packages(std::vector<Package>& out);
    // The highest version registered under that id.
    bool NewestPackage(const std::string& id, std::optional<Package>& out);
    bool PackageByFileName(const std::string& fileName, std::optional<Package>& out);

private:
    bool Fail(const std::string& what);
    bool Exec(const char* sql);
    bool IsSandboxDatabase(bool& isSandbox, bool& isEmpty);
    bool CreateAndSeed(const std::string& seedSql);
    bool Upgrade();
    bool HashPlainPasswords();
    bool CountryRow(const char* sql, const std::string& arg, std::optional<Country>& out);

    mutable std::mutex mutex_;
    sqlite3* db_ = nullptr;
    bool seeded_ = false;
    int unusedPurchaseIdLimit_ = 10000;
    std::string lastError_;
};

}  // namespace Sandbox
