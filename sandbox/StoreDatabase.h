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
    // Adds the account, or replaces the one with the same e-mail.
    bool AddAccount(const Account& account);

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
    bool CountryRow(const char* sql, const std::string& arg, std::optional<Country>& out);

    mutable std::mutex mutex_;
    sqlite3* db_ = nullptr;
    bool seeded_ = false;
    std::string lastError_;
};

}  // namespace Sandbox
