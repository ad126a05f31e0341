#include "sandbox/StoreDatabase.h"

#include "sandbox/DemoCatalogue.h"
#include "sandbox/PackageVersion.h"
#include "sandbox/PasswordHash.h"
#include "sandbox/PrivateFile.h"
#include "sandbox/Statement.h"

#include <sqlite3.h>

namespace Sandbox {
namespace {

constexpr const char* kSchema = R"SQL(
CREATE TABLE sandbox_meta (key TEXT PRIMARY KEY, value TEXT NOT NULL);
CREATE TABLE countries (
    country_code TEXT PRIMARY KEY,
    mcc TEXT NOT NULL UNIQUE,
    name TEXT NOT NULL,
    currency_unit TEXT NOT NULL,
    price_rate REAL NOT NULL DEFAULT 1.0,
    currency_unit_precedes INTEGER NOT NULL DEFAULT 0,
    currency_unit_has_penny INTEGER NOT NULL DEFAULT 1,
    currency_unit_division INTEGER NOT NULL DEFAULT 0,
    free_store INTEGER NOT NULL DEFAULT 0,
    freetab INTEGER NOT NULL DEFAULT 0,
    sns_val INTEGER NOT NULL DEFAULT 0,
    is_default INTEGER NOT NULL DEFAULT 0,
    position INTEGER NOT NULL DEFAULT 0);
CREATE TABLE item_groups (group_id TEXT PRIMARY KEY, name TEXT NOT NULL DEFAULT '');
CREATE TABLE items (
    group_id TEXT NOT NULL REFERENCES item_groups(group_id),
    item_id TEXT NOT NULL,
    position INTEGER NOT NULL DEFAULT 0,
    name TEXT NOT NULL,
    price REAL NOT NULL,
    description TEXT NOT NULL DEFAULT '',
    image_url TEXT NOT NULL DEFAULT '',
    download_url TEXT NOT NULL DEFAULT '',
    reserved1 TEXT NOT NULL DEFAULT '',
    reserved2 TEXT NOT NULL DEFAULT '',
    PRIMARY KEY (group_id, item_id));
CREATE TABLE accounts (
    email TEXT PRIMARY KEY COLLATE NOCASE,
    password TEXT NOT NULL,
    user_id TEXT NOT NULL UNIQUE,
    mcc TEXT NOT NULL DEFAULT '');
CREATE TABLE purchases (
    payment_id TEXT PRIMARY KEY,
    user_id TEXT NOT NULL,
    group_id TEXT NOT NULL,
    item_id TEXT NOT NULL,
    purchase_date TEXT NOT NULL);
CREATE TABLE packages (
    package_id TEXT NOT NULL,
    version TEXT NOT NULL,
    path TEXT NOT NULL,
    PRIMARY KEY (package_id, version));
INSERT INTO sandbox_meta (key, value) VALUES ('schema_version', '1');
)SQL";

// Added by schema version 2; a version 1 database gets them when opened.
constexpr const char* kSchemaV2 = R"SQL(
CREATE TABLE IF NOT EXISTS payment_offers (
    country_code TEXT NOT NULL,
    group_id TEXT NOT NULL,
    item_id TEXT NOT NULL,
    position INTEGER NOT NULL DEFAULT 0,
    payment_method TEXT NOT NULL,
    payment_type_id TEXT NOT NULL DEFAULT '',
    company TEXT NOT NULL DEFAULT '',
    provider_list TEXT NOT NULL DEFAULT '',
    price REAL,
    PRIMARY KEY (country_code, group_id, item_id, payment_method, payment_type_id));
CREATE TABLE IF NOT EXISTS purchase_ids (
    purchase_id TEXT PRIMARY KEY,
    duid TEXT NOT NULL,
    item_id TEXT NOT NULL,
    time_stamp TEXT NOT NULL,
    issued_at TEXT NOT NULL,
    used_at TEXT);
INSERT OR REPLACE INTO sandbox_meta (key, value) VALUES ('schema_version', '2');
)SQL";

// Added by schema version 3: card companies, registered cards, charges.
constexpr const char* kSchemaV3 = R"SQL(
CREATE TABLE IF NOT EXISTS card_companies (
    country_code TEXT NOT NULL,
    position INTEGER NOT NULL DEFAULT 0,
    name TEXT NOT NULL,
    code TEXT NOT NULL,
    PRIMARY KEY (country_code, code));
CREATE TABLE IF NOT EXISTS cards (
    user_id TEXT PRIMARY KEY,
    card_type TEXT NOT NULL,
    masked_number TEXT NOT NULL,
    expiry_year INTEGER NOT NULL,
    expiry_month INTEGER NOT NULL,
    status TEXT NOT NULL DEFAULT 'active' CHECK (status IN ('active', 'refused')),
    registered_at TEXT NOT NULL DEFAULT '');
CREATE TABLE IF NOT EXISTS charges (
    purchase_id TEXT PRIMARY KEY,
    payment_id TEXT NOT NULL UNIQUE,
    user_id TEXT NOT NULL,
    duid TEXT NOT NULL,
    group_id TEXT NOT NULL,
    item_id TEXT NOT NULL,
    amount REAL NOT NULL,
    currency_unit TEXT NOT NULL,
    card_type TEXT NOT NULL,
    masked_number TEXT NOT NULL,
    charged_at TEXT NOT NULL);
INSERT OR REPLACE INTO sandbox_meta (key, value) VALUES ('schema_version', '3');
)SQL";

constexpr const char* kChargeColumns =
    "SELECT purchase_id, payment_id, user_id, duid, group_id, item_id, amount, currency_unit, card_type, "
    "masked_number, charged_at FROM charges ";

CardCharge ReadCharge(const Statement& row) {
    return CardCharge{row.Text(0),   row.Text(1), row.Text(2), row.Text(3), row.Text(4), row.Text(5),
                      row.Double(6), row.Text(7), row.Text(8), row.Text(9), row.Text(10)};
}

constexpr const char* kPurchaseIdColumns =
    "SELECT purchase_id, duid, item_id, time_stamp, issued_at, used_at FROM purchase_ids ";

IssuedPurchaseId ReadPurchaseId(const Statement& row) {
    return IssuedPurchaseId{row.Text(0), row.Text(1), row.Text(2), row.Text(3), row.Text(4), row.Text(5)};
}

constexpr const char* kCountryColumns =
    "SELECT country_code, mcc, name, currency_unit, price_rate, currency_unit_precedes, currency_unit_has_penny, "
    "currency_unit_division, free_store, freetab, sns_val FROM countries ";

Country ReadCountry(const Statement& row) {
    Country country;
    country.code = row.Text(0);
    country.mcc = row.Text(1);
    country.name = row.Text(2);
    country.currencyUnit = row.Text(3);
    country.priceRate = row.Double(4);
    country.currencyUnitPrecedes = row.Int(5) != 0;
    country.currencyUnitHasPenny = row.Int(6) != 0;
    country.currencyUnitDivision = row.Int(7) != 0;
    country.freeStore = row.Int(8) != 0;
    country.freetab = row.Int(9) != 0;
    country.snsVal = row.Int(10);
    return country;
}

// Columns 0..9 in the order of the items table.
Item ReadItem(const Statement& row) {
    Item item;
    item.groupId = row.Text(0);
    item.itemId = row.Text(1);
    item.name = row.Text(2);
    item.price = row.Double(3);
    item.description = row.Text(4);
    item.imageUrl = row.Text(5);
    item.downloadUrl = row.Text(6);
    item.reserved1 = row.Text(7);
    item.reserved2 = row.Text(8);
    return item;
}

constexpr const char* kItemColumns =
    "items.group_id, items.item_id, items.name, items.price, items.description, items.image_url, "
    "items.download_url, items.reserved1, items.reserved2";

}  // namespace

StoreDatabase::StoreDatabase() = default;

StoreDatabase::~StoreDatabase() { sqlite3_close(db_); }

std::string StoreDatabase::LastError() const {
    std::lock_guard lock(mutex_);
    return lastError_;
}

bool StoreDatabase::Fail(const std::string& what) {
    lastError_ = what + ": " + (db_ ? sqlite3_errmsg(db_) : "database is not open");
    return false;
}

bool StoreDatabase::Exec(const char* sql) {
    char* message = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) == SQLITE_OK) return true;
    lastError_ = message ? message : sqlite3_errmsg(db_);
    sqlite3_free(message);
    return false;
}

bool StoreDatabase::Open(const std::string& path, const std::string& seedSql) {
    std::lock_guard lock(mutex_);
    if (db_) {
        lastError_ = "the database is already open";
        return false;
    }
    const std::string name = path.empty() ? ":memory:" : path;
    if (!path.empty() && !PrivateFile::Prepare(path, lastError_)) return false;
    if (sqlite3_open_v2(name.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                        nullptr) != SQLITE_OK)
        return Fail("cannot open " + name);
    sqlite3_busy_timeout(db_, 2000);
    bool isSandbox = false;
    bool isEmpty = false;
    if (!IsSandboxDatabase(isSandbox, isEmpty)) return false;
    if (isSandbox) return Upgrade();
    if (!isEmpty) {
        lastError_ = name + " holds tables of another program, not a sandbox database; give a new file to --db";
        return false;
    }
    return CreateAndSeed(seedSql);
}

bool StoreDatabase::IsSandboxDatabase(bool& isSandbox, bool& isEmpty) {
    Statement count(db_, "SELECT count(*), sum(name = 'sandbox_meta') FROM sqlite_master WHERE type = 'table'");
    if (!count.Step()) return Fail("cannot read the database");
    isEmpty = count.Int(0) == 0;
    isSandbox = count.Int(1) > 0;
    return true;
}

bool StoreDatabase::CreateAndSeed(const std::string& seedSql) {
    if (!Exec("BEGIN")) return false;
    if (!Exec(kSchema)) {
        lastError_ = "cannot create the schema: " + lastError_;
        Exec("ROLLBACK");
        return false;
    }
    if (!Exec(kSchemaV2) || !Exec(kSchemaV3)) {
        lastError_ = "cannot create the schema: " + lastError_;
        Exec("ROLLBACK");
        return false;
    }
    if (!Exec(seedSql.empty() ? kDemoCatalogueSql : seedSql.c_str())) {
        lastError_ = "the seed catalogue failed: " + lastError_;
        Exec("ROLLBACK");
        return false;
    }
    // A seed may give passwords as text; only their hashes are stored.
    if (!HashPlainPasswords()) {
        Exec("ROLLBACK");
        return false;
    }
    if (!Exec("COMMIT")) {
        const std::string reason = lastError_;
        Exec("ROLLBACK");
        lastError_ = "cannot store the new database: " + reason;
        return false;
    }
    seeded_ = true;
    return true;
}

bool StoreDatabase::Upgrade() {
    if (!Exec("BEGIN")) return false;
    if (!Exec(kSchemaV2) || !Exec(kSchemaV3) || !HashPlainPasswords()) {
        const std::string reason = lastError_;
        Exec("ROLLBACK");
        lastError_ = "cannot bring the database up to date: " + reason;
        return false;
    }
    if (Exec("COMMIT")) return true;
    Exec("ROLLBACK");
    return false;
}

bool StoreDatabase::HashPlainPasswords() {
    std::vector<std::pair<std::string, std::string>> plain;
    {
        Statement rows(db_, "SELECT email, password FROM accounts");
        while (rows.Step()) {
            if (!PasswordHash::IsHash(rows.Text(1))) plain.emplace_back(rows.Text(0), rows.Text(1));
        }
        if (rows.Failed()) return Fail("cannot read the accounts");
    }
    for (const auto& [email, password] : plain) {
        const std::string hash = PasswordHash::Hash(password);
        if (hash.empty()) {
            lastError_ = "cannot hash the password of " + email + " (libcrypto failed)";
            return false;
        }
        Statement update(db_, "UPDATE accounts SET password = ?1 WHERE email = ?2");
        update.Bind(1, hash).Bind(2, email);
        if (!update.Run()) return Fail("cannot store the password hash of " + email);
    }
    return true;
}

bool StoreDatabase::Countries(std::vector<Country>& out) {
    std::lock_guard lock(mutex_);
    out.clear();
    Statement rows(db_, (std::string(kCountryColumns) + "ORDER BY position, country_code").c_str());
    while (rows.Step())
        out.push_back(ReadCountry(rows));
    return !rows.Failed() || Fail("cannot read the countries");
}

bool StoreDatabase::CountryRow(const char* sql, const std::string& arg, std::optional<Country>& out) {
    Statement row(db_, (std::string(kCountryColumns) + sql).c_str());
    if (!arg.empty()) row.Bind(1, arg);
    if (row.Step()) out = ReadCountry(row);
    return !row.Failed() || Fail("cannot read the countries");
}

bool StoreDatabase::CountryForMcc(const std::string& mcc, std::optional<Country>& out) {
    std::lock_guard lock(mutex_);
    out.reset();
    if (!mcc.empty() && !CountryRow("WHERE mcc = ?1", mcc, out)) return false;
    if (!out && !CountryRow("ORDER BY is_default DESC, position, country_code LIMIT 1", {}, out)) return false;
    return true;
}

bool StoreDatabase::GroupExists(const std::string& groupId, bool& exists) {
    std::lock_guard lock(mutex_);
    Statement row(db_, "SELECT count(*) FROM item_groups WHERE group_id = ?1");
    row.Bind(1, groupId);
    exists = row.Step() && row.Int(0) > 0;
    return !row.Failed() || Fail("cannot read the item groups");
}

bool StoreDatabase::FindItem(const std::string& groupId, const std::string& itemId, std::optional<Item>& out) {
    std::lock_guard lock(mutex_);
    out.reset();
    Statement row(db_,
                  (std::string("SELECT ") + kItemColumns + " FROM items WHERE group_id = ?1 AND item_id = ?2").c_str());
    row.Bind(1, groupId).Bind(2, itemId);
    if (row.Step()) out = ReadItem(row);
    return !row.Failed() || Fail("cannot read the items");
}

bool StoreDatabase::FindItemInAnyGroup(const std::string& itemId, std::optional<Item>& out) {
    std::lock_guard lock(mutex_);
    out.reset();
    Statement row(
        db_,
        (std::string("SELECT ") + kItemColumns + " FROM items WHERE item_id = ?1 ORDER BY group_id LIMIT 1").c_str());
    row.Bind(1, itemId);
    if (row.Step()) out = ReadItem(row);
    return !row.Failed() || Fail("cannot read the items");
}

bool StoreDatabase::CountItems(const std::string& groupId, int& total) {
    std::lock_guard lock(mutex_);
    Statement row(db_, "SELECT count(*) FROM items WHERE group_id = ?1");
    row.Bind(1, groupId);
    total = row.Step() ? row.Int(0) : 0;
    return !row.Failed() || Fail("cannot count the items");
}

bool StoreDatabase::Items(const std::string& groupId, int offset, int limit, std::vector<Item>& out) {
    std::lock_guard lock(mutex_);
    out.clear();
    const std::string sql = std::string("SELECT ") + kItemColumns +
                            " FROM items WHERE group_id = ?1 ORDER BY position, item_id LIMIT ?2 OFFSET ?3";
    Statement rows(db_, sql.c_str());
    rows.Bind(1, groupId).Bind(2, limit).Bind(3, offset);
    while (rows.Step())
        out.push_back(ReadItem(rows));
    return !rows.Failed() || Fail("cannot read the items");
}

bool StoreDatabase::CountPurchases(const std::string& userId, const std::string& groupId, int& total) {
    std::lock_guard lock(mutex_);
    Statement row(db_,
                  "SELECT count(*) FROM purchases JOIN items USING (group_id, item_id) "
                  "WHERE purchases.user_id = ?1 AND purchases.group_id = ?2");
    row.Bind(1, userId).Bind(2, groupId);
    total = row.Step() ? row.Int(0) : 0;
    return !row.Failed() || Fail("cannot count the purchases");
}

bool StoreDatabase::Purchases(const std::string& userId, const std::string& groupId, int offset, int limit,
                              std::vector<Purchase>& out) {
    std::lock_guard lock(mutex_);
    out.clear();
    const std::string sql = std::string("SELECT ") + kItemColumns +
                            ", purchases.payment_id, purchases.purchase_date FROM purchases JOIN items "
                            "USING (group_id, item_id) WHERE purchases.user_id = ?1 AND purchases.group_id = ?2 "
                            "ORDER BY purchases.purchase_date, purchases.payment_id LIMIT ?3 OFFSET ?4";
    Statement rows(db_, sql.c_str());
    rows.Bind(1, userId).Bind(2, groupId).Bind(3, limit).Bind(4, offset);
    while (rows.Step()) {
        Purchase purchase;
        purchase.item = ReadItem(rows);
        purchase.paymentId = rows.Text(9);
        purchase.purchaseDate = rows.Text(10);
        out.push_back(std::move(purchase));
    }
    return !rows.Failed() || Fail("cannot read the purchases");
}

bool StoreDatabase::AddPurchase(const std::string& userId, const std::string& groupId, const std::string& itemId,
                                const std::string& paymentId, const std::string& purchaseDate) {
    std::lock_guard lock(mutex_);
    Statement insert(db_,
                     "INSERT INTO purchases (payment_id, user_id, group_id, item_id, purchase_date) "
                     "VALUES (?1, ?2, ?3, ?4, ?5)");
    insert.Bind(1, paymentId).Bind(2, userId).Bind(3, groupId).Bind(4, itemId).Bind(5, purchaseDate);
    return insert.Run() || Fail("cannot add the purchase");
}

bool StoreDatabase::CheckPassword(const std::string& email, const std::string& password, bool& valid,
                                  std::string* userId) {
    std::optional<std::pair<std::string, std::string>> account;  // hash, user id
    {
        std::lock_guard lock(mutex_);
        Statement row(db_, "SELECT password, user_id FROM accounts WHERE email = ?1");
        row.Bind(1, email);
        if (row.Step()) account.emplace(row.Text(0), row.Text(1));
        if (row.Failed()) return Fail("cannot read the accounts");
    }
    // An unknown e-mail costs as much as a wrong password, so the time tells nothing.
    static const std::string kNobody = PasswordHash::Hash("nobody");
    valid = PasswordHash::Verify(password, account ? account->first : kNobody) && account;
    if (valid && userId) *userId = account->second;
    return true;
}

bool StoreDatabase::AddAccount(const Account& account) {
    const std::string hash = PasswordHash::Hash(account.password);
    std::lock_guard lock(mutex_);
    if (hash.empty()) {
        lastError_ = "cannot hash the password (libcrypto failed)";
        return false;
    }
    Statement insert(db_, "INSERT OR REPLACE INTO accounts (email, password, user_id, mcc) VALUES (?1, ?2, ?3, ?4)");
    insert.Bind(1, account.email).Bind(2, hash).Bind(3, account.userId).Bind(4, account.mcc);
    return insert.Run() || Fail("cannot add the account");
}

bool StoreDatabase::StoredPassword(const std::string& email, std::string& out) {
    std::lock_guard lock(mutex_);
    Statement row(db_, "SELECT password FROM accounts WHERE email = ?1");
    row.Bind(1, email);
    out = row.Step() ? row.Text(0) : std::string();
    return !row.Failed() || Fail("cannot read the accounts");
}

bool StoreDatabase::PaymentOffers(const std::string& countryCode, const std::string& groupId, const std::string& itemId,
                                  std::vector<PaymentOffer>& out) {
    std::lock_guard lock(mutex_);
    out.clear();
    Statement rows(db_,
                   "SELECT country_code, group_id, item_id, position, payment_method, payment_type_id, company, "
                   "provider_list, price FROM payment_offers WHERE country_code = ?1 AND group_id = ?2 AND "
                   "item_id = ?3 ORDER BY position, payment_method, payment_type_id");
    rows.Bind(1, countryCode).Bind(2, groupId).Bind(3, itemId);
    while (rows.Step()) {
        PaymentOffer offer{rows.Text(0), rows.Text(1), rows.Text(2), rows.Int(3), rows.Text(4),
                           rows.Text(5), rows.Text(6), rows.Text(7), std::nullopt};
        if (!rows.IsNull(8)) offer.price = rows.Double(8);
        out.push_back(std::move(offer));
    }
    return !rows.Failed() || Fail("cannot read the payment offers");
}

bool StoreDatabase::AddPaymentOffer(const PaymentOffer& offer) {
    std::lock_guard lock(mutex_);
    Statement insert(db_,
                     "INSERT OR REPLACE INTO payment_offers (country_code, group_id, item_id, position, "
                     "payment_method, payment_type_id, company, provider_list, price) "
                     "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)");
    insert.Bind(1, offer.countryCode).Bind(2, offer.groupId).Bind(3, offer.itemId).Bind(4, offer.position);
    insert.Bind(5, offer.paymentMethod).Bind(6, offer.paymentTypeId).Bind(7, offer.company).Bind(8, offer.providerList);
    if (offer.price) {
        insert.Bind(9, *offer.price);
    } else {
        insert.BindNull(9);
    }
    return insert.Run() || Fail("cannot add the payment offer");
}

bool StoreDatabase::RemovePaymentOffers(const std::string& groupId, const std::string& itemId, int& removed) {
    std::lock_guard lock(mutex_);
    Statement remove(db_, "DELETE FROM payment_offers WHERE group_id = ?1 AND item_id = ?2");
    remove.Bind(1, groupId).Bind(2, itemId);
    if (!remove.Run()) return Fail("cannot remove the payment offers");
    removed = sqlite3_changes(db_);
    return true;
}

bool StoreDatabase::IssuePurchaseId(const IssuedPurchaseId& issued) {
    std::lock_guard lock(mutex_);
    Statement insert(db_,
                     "INSERT INTO purchase_ids (purchase_id, duid, item_id, time_stamp, issued_at) "
                     "VALUES (?1, ?2, ?3, ?4, ?5)");
    insert.Bind(1, issued.purchaseId).Bind(2, issued.duid).Bind(3, issued.itemId).Bind(4, issued.timeStamp);
    insert.Bind(5, issued.issuedAt);
    if (!insert.Run()) return Fail("cannot record the purchase id");
    Statement trim(db_,
                   "DELETE FROM purchase_ids WHERE used_at IS NULL AND rowid <= (SELECT rowid FROM purchase_ids "
                   "WHERE used_at IS NULL ORDER BY rowid DESC LIMIT 1 OFFSET ?1)");
    trim.Bind(1, unusedPurchaseIdLimit_);
    return trim.Run() || Fail("cannot forget old purchase ids");
}

bool StoreDatabase::UsePurchaseId(const std::string& purchaseId, const std::string& duid, const std::string& itemId,
                                  const std::string& usedAt, PurchaseIdUse& use) {
    std::lock_guard lock(mutex_);
    // One statement decides and spends, so two requests cannot both spend the id.
    Statement spend(db_,
                    "UPDATE purchase_ids SET used_at = ?4 WHERE purchase_id = ?1 AND duid = ?2 AND item_id = ?3 "
                    "AND used_at IS NULL");
    spend.Bind(1, purchaseId).Bind(2, duid).Bind(3, itemId).Bind(4, usedAt);
    if (!spend.Run()) return Fail("cannot spend the purchase id");
    if (sqlite3_changes(db_) == 1) {
        use = PurchaseIdUse::Accepted;
        return true;
    }
    Statement row(db_, "SELECT duid, item_id, used_at FROM purchase_ids WHERE purchase_id = ?1");
    row.Bind(1, purchaseId);
    if (!row.Step()) {
        use = PurchaseIdUse::Unknown;
    } else if (row.Text(0) != duid || row.Text(1) != itemId) {
        use = PurchaseIdUse::WrongDeviceOrItem;
    } else {
        use = PurchaseIdUse::AlreadyUsed;
    }
    return !row.Failed() || Fail("cannot read the purchase ids");
}

bool StoreDatabase::FindPurchaseId(const std::string& purchaseId, std::optional<IssuedPurchaseId>& out) {
    std::lock_guard lock(mutex_);
    out.reset();
    Statement row(db_, (std::string(kPurchaseIdColumns) + "WHERE purchase_id = ?1").c_str());
    row.Bind(1, purchaseId);
    if (row.Step()) out = ReadPurchaseId(row);
    return !row.Failed() || Fail("cannot read the purchase ids");
}

bool StoreDatabase::RecentPurchaseIds(int limit, std::vector<IssuedPurchaseId>& out) {
    std::lock_guard lock(mutex_);
    out.clear();
    Statement rows(db_, (std::string(kPurchaseIdColumns) + "ORDER BY rowid DESC LIMIT ?1").c_str());
    rows.Bind(1, limit);
    while (rows.Step())
        out.push_back(ReadPurchaseId(rows));
    return !rows.Failed() || Fail("cannot read the purchase ids");
}

bool StoreDatabase::CardCompanies(const std::string& countryCode, std::vector<CardCompany>& out) {
    std::lock_guard lock(mutex_);
    out.clear();
    Statement rows(db_,
                   "SELECT country_code, position, name, code FROM card_companies WHERE country_code = ?1 "
                   "ORDER BY position, code");
    rows.Bind(1, countryCode);
    while (rows.Step())
        out.push_back(CardCompany{rows.Text(0), rows.Int(1), rows.Text(2), rows.Text(3)});
    return !rows.Failed() || Fail("cannot read the card companies");
}

bool StoreDatabase::AddCardCompany(const CardCompany& company) {
    std::lock_guard lock(mutex_);
    Statement insert(db_,
                     "INSERT OR REPLACE INTO card_companies (country_code, position, name, code) "
                     "VALUES (?1, ?2, ?3, ?4)");
    insert.Bind(1, company.countryCode).Bind(2, company.position).Bind(3, company.name).Bind(4, company.code);
    return insert.Run() || Fail("cannot add the card company");
}

bool StoreDatabase::FindCard(const std::string& userId, std::optional<RegisteredCard>& out) {
    std::lock_guard lock(mutex_);
    out.reset();
    Statement row(db_,
                  "SELECT user_id, card_type, masked_number, expiry_year, expiry_month, status, registered_at "
                  "FROM cards WHERE user_id = ?1");
    row.Bind(1, userId);
    if (row.Step())
        out = RegisteredCard{row.Text(0), row.Text(1), row.Text(2), row.Int(3), row.Int(4), row.Text(5), row.Text(6)};
    return !row.Failed() || Fail("cannot read the cards");
}

bool StoreDatabase::SaveCard(const RegisteredCard& card) {
    std::lock_guard lock(mutex_);
    Statement insert(db_,
                     "INSERT OR REPLACE INTO cards (user_id, card_type, masked_number, expiry_year, expiry_month, "
                     "status, registered_at) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)");
    insert.Bind(1, card.userId).Bind(2, card.cardType).Bind(3, card.maskedNumber).Bind(4, card.expiryYear);
    insert.Bind(5, card.expiryMonth).Bind(6, card.status).Bind(7, card.registeredAt);
    return insert.Run() || Fail("cannot store the card");
}

bool StoreDatabase::RemoveCard(const std::string& userId, int& removed) {
    std::lock_guard lock(mutex_);
    Statement remove(db_, "DELETE FROM cards WHERE user_id = ?1");
    remove.Bind(1, userId);
    if (!remove.Run()) return Fail("cannot remove the card");
    removed = sqlite3_changes(db_);
    return true;
}

bool StoreDatabase::UserExists(const std::string& userId, bool& exists) {
    std::lock_guard lock(mutex_);
    Statement row(db_, "SELECT count(*) FROM accounts WHERE user_id = ?1");
    row.Bind(1, userId);
    exists = row.Step() && row.Int(0) > 0;
    return !row.Failed() || Fail("cannot read the accounts");
}

bool StoreDatabase::CommitCharge(const CardCharge& charge, ChargeOutcome& outcome) {
    std::lock_guard lock(mutex_);
    if (!Exec("BEGIN IMMEDIATE")) return false;
    const auto rollback = [this](const std::string& what) {
        const bool failed = Fail(what);
        Exec("ROLLBACK");
        return failed;
    };
    // Spending the id is the guard: a second charge for it finds nothing to spend.
    Statement spend(db_,
                    "UPDATE purchase_ids SET used_at = ?4 WHERE purchase_id = ?1 AND duid = ?2 AND item_id = ?3 "
                    "AND used_at IS NULL");
    spend.Bind(1, charge.purchaseId).Bind(2, charge.duid).Bind(3, charge.itemId).Bind(4, charge.chargedAt);
    if (!spend.Run()) return rollback("cannot spend the purchase id");
    if (sqlite3_changes(db_) != 1) {
        outcome = ChargeOutcome::NotSpendable;
        Exec("ROLLBACK");
        return true;
    }
    Statement insert(db_,
                     "INSERT INTO charges (purchase_id, payment_id, user_id, duid, group_id, item_id, amount, "
                     "currency_unit, card_type, masked_number, charged_at) "
                     "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11)");
    insert.Bind(1, charge.purchaseId).Bind(2, charge.paymentId).Bind(3, charge.userId).Bind(4, charge.duid);
    insert.Bind(5, charge.groupId).Bind(6, charge.itemId).Bind(7, charge.amount).Bind(8, charge.currencyUnit);
    insert.Bind(9, charge.cardType).Bind(10, charge.maskedNumber).Bind(11, charge.chargedAt);
    if (!insert.Run()) return rollback("cannot record the charge");
    Statement purchase(db_,
                       "INSERT INTO purchases (payment_id, user_id, group_id, item_id, purchase_date) "
                       "VALUES (?1, ?2, ?3, ?4, ?5)");
    purchase.Bind(1, charge.paymentId).Bind(2, charge.userId).Bind(3, charge.groupId).Bind(4, charge.itemId);
    purchase.Bind(5, charge.chargedAt);
    if (!purchase.Run()) return rollback("cannot add the purchase");
    if (!Exec("COMMIT")) {
        const std::string reason = lastError_;
        Exec("ROLLBACK");
        lastError_ = "cannot commit the charge: " + reason;
        return false;
    }
    outcome = ChargeOutcome::Charged;
    return true;
}

bool StoreDatabase::FindCharge(const std::string& purchaseId, std::optional<CardCharge>& out) {
    std::lock_guard lock(mutex_);
    out.reset();
    Statement row(db_, (std::string(kChargeColumns) + "WHERE purchase_id = ?1").c_str());
    row.Bind(1, purchaseId);
    if (row.Step()) out = ReadCharge(row);
    return !row.Failed() || Fail("cannot read the charges");
}

bool StoreDatabase::Charges(const std::string& purchaseId, std::vector<CardCharge>& out) {
    std::lock_guard lock(mutex_);
    out.clear();
    Statement rows(db_, (std::string(kChargeColumns) + "WHERE ?1 = '' OR purchase_id = ?1 ORDER BY rowid").c_str());
    rows.Bind(1, purchaseId);
    while (rows.Step())
        out.push_back(ReadCharge(rows));
    return !rows.Failed() || Fail("cannot read the charges");
}

bool StoreDatabase::RegisterPackage(const Package& package) {
    std::lock_guard lock(mutex_);
    Statement insert(db_, "INSERT OR REPLACE INTO packages (package_id, version, path) VALUES (?1, ?2, ?3)");
    insert.Bind(1, package.id).Bind(2, package.version).Bind(3, package.path);
    return insert.Run() || Fail("cannot register the package");
}

bool StoreDatabase::Packages(std::vector<Package>& out) {
    std::lock_guard lock(mutex_);
    out.clear();
    Statement rows(db_, "SELECT package_id, version, path FROM packages ORDER BY package_id, version");
    while (rows.Step())
        out.push_back(Package{rows.Text(0), rows.Text(1), rows.Text(2)});
    return !rows.Failed() || Fail("cannot read the packages");
}

bool StoreDatabase::NewestPackage(const std::string& id, std::optional<Package>& out) {
    std::vector<Package> all;
    if (!Packages(all)) return false;
    out.reset();
    for (const Package& package : all) {
        if (package.id != id || !PackageVersion::IsValid(package.version)) continue;
        if (!out || PackageVersion::Compare(package.version, out->version) > 0) out = package;
    }
    return true;
}

bool StoreDatabase::PackageByFileName(const std::string& fileName, std::optional<Package>& out) {
    std::vector<Package> all;
    if (!Packages(all)) return false;
    out.reset();
    for (const Package& package : all) {
        if (package.FileName() == fileName) {
            out = package;
            break;
        }
    }
    return true;
}

}  // namespace Sandbox
