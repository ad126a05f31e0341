#include "sandbox/PasswordHash.h"
#include "sandbox/StoreDatabase.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

using Sandbox::StoreDatabase;

namespace {

class StoreDatabaseFile : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/sandbox-db-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }

    std::filesystem::path dir_;
};

}  // namespace

TEST(StoreDatabase, DemoCatalogueHasCountriesGroupsAndPurchases) {
    StoreDatabase db;
    ASSERT_TRUE(db.Open("", "")) << db.LastError();
    EXPECT_TRUE(db.WasSeeded());
    std::vector<Sandbox::Country> countries;
    ASSERT_TRUE(db.Countries(countries));
    ASSERT_GE(countries.size(), 3u);
    EXPECT_EQ(countries[0].code, "US");

    int total = 0;
    ASSERT_TRUE(db.CountItems("100000000001", total));
    EXPECT_EQ(total, 25);
    std::vector<Sandbox::Item> items;
    ASSERT_TRUE(db.Items("100000000001", 20, 10, items));
    ASSERT_EQ(items.size(), 5u);
    EXPECT_EQ(items[0].itemId, "000000001021");

    ASSERT_TRUE(db.CountPurchases("U1000001", "100000000001", total));
    EXPECT_EQ(total, 3);
    std::vector<Sandbox::Purchase> purchases;
    ASSERT_TRUE(db.Purchases("U1000001", "100000000001", 1, 10, purchases));
    ASSERT_EQ(purchases.size(), 2u);
    EXPECT_EQ(purchases[0].paymentId, "P0000000002");  // ordered by date
    EXPECT_EQ(purchases[0].purchaseDate.size(), 14u);
}

TEST(StoreDatabase, CountryForMccFallsBackToTheDefault) {
    StoreDatabase db;
    ASSERT_TRUE(db.Open("", ""));
    std::optional<Sandbox::Country> country;
    ASSERT_TRUE(db.CountryForMcc("450", country));
    ASSERT_TRUE(country);
    EXPECT_EQ(country->code, "KR");
    EXPECT_FALSE(country->currencyUnitHasPenny);
    for (const char* unknown : {"", "999", "'; DROP TABLE countries; --"}) {
        ASSERT_TRUE(db.CountryForMcc(unknown, country));
        ASSERT_TRUE(country);
        EXPECT_EQ(country->code, "US") << unknown;
    }
}

TEST(StoreDatabase, PasswordCheckIsExactButEmailCaseInsensitive) {
    StoreDatabase db;
    ASSERT_TRUE(db.Open("", ""));
    bool valid = false;
    ASSERT_TRUE(db.CheckPassword("demo@vexmora.com", "demo1234", valid));
    EXPECT_TRUE(valid);
    ASSERT_TRUE(db.CheckPassword("DEMO@Vexmora.com", "demo1234", valid));
    EXPECT_TRUE(valid);
    ASSERT_TRUE(db.CheckPassword("demo@vexmora.com", "DEMO1234", valid));
    EXPECT_FALSE(valid);
    ASSERT_TRUE(db.CheckPassword("nobody@vexmora.com", "", valid));
    EXPECT_FALSE(valid);

    ASSERT_TRUE(db.AddAccount({"demo@vexmora.com", "changed", "U1000001", "310"}));
    ASSERT_TRUE(db.CheckPassword("demo@vexmora.com", "changed", valid));
    EXPECT_TRUE(valid);
}

TEST(StoreDatabase, NewestPackagePicksTheHighestVersion) {
    StoreDatabase db;
    ASSERT_TRUE(db.Open("", ""));
    ASSERT_TRUE(db.RegisterPackage({"buyclient", "1.9.0", "/tmp/a.vpk"}));
    ASSERT_TRUE(db.RegisterPackage({"buyclient", "1.10.0", "/tmp/b.vpk"}));
    ASSERT_TRUE(db.RegisterPackage({"other", "9.0", "/tmp/c.vpk"}));
    std::optional<Sandbox::Package> newest;
    ASSERT_TRUE(db.NewestPackage("buyclient", newest));
    ASSERT_TRUE(newest);
    EXPECT_EQ(newest->version, "1.10.0");
    EXPECT_EQ(newest->FileName(), "buyclient-1.10.0.vpk");
    std::optional<Sandbox::Package> byName;
    ASSERT_TRUE(db.PackageByFileName("other-9.0.vpk", byName));
    ASSERT_TRUE(byName);
    EXPECT_EQ(byName->path, "/tmp/c.vpk");
    ASSERT_TRUE(db.PackageByFileName("../etc/passwd", byName));
    EXPECT_FALSE(byName);
}

TEST_F(StoreDatabaseFile, KeepsChangesAcrossReopenAndSeedsOnlyOnce) {
    const std::string path = Path("store.db");
    {
        StoreDatabase db;
        ASSERT_TRUE(db.Open(path, "")) << db.LastError();
        EXPECT_TRUE(db.WasSeeded());
        ASSERT_TRUE(db.AddAccount({"new@x.com", "pw", "U9", "450"}));
        ASSERT_TRUE(db.AddPurchase("U9", "100000000002", "000000002001", "P9", "20250101000000"));
    }
    StoreDatabase db;
    ASSERT_TRUE(db.Open(path, "INSERT INTO nothing VALUES (1);")) << db.LastError();  // a seed is not run again
    EXPECT_FALSE(db.WasSeeded());
    bool valid = false;
    ASSERT_TRUE(db.CheckPassword("new@x.com", "pw", valid));
    EXPECT_TRUE(valid);
    int total = 0;
    ASSERT_TRUE(db.CountPurchases("U9", "100000000002", total));
    EXPECT_EQ(total, 1);
}

TEST_F(StoreDatabaseFile, CustomSeedReplacesTheDemoCatalogue) {
    StoreDatabase db;
    ASSERT_TRUE(
        db.Open(Path("custom.db"),
                "INSERT INTO countries (country_code, mcc, name, currency_unit, is_default) VALUES ('FR', '208', "
                "'France', 'EUR', 1);"))
        << db.LastError();
    std::vector<Sandbox::Country> countries;
    ASSERT_TRUE(db.Countries(countries));
    ASSERT_EQ(countries.size(), 1u);
    EXPECT_EQ(countries[0].code, "FR");
}

TEST_F(StoreDatabaseFile, BadSeedLeavesNoHalfBuiltDatabase) {
    const std::string path = Path("bad.db");
    {
        StoreDatabase db;
        EXPECT_FALSE(db.Open(path, "INSERT INTO countries VALUES ('broken"));
        EXPECT_NE(db.LastError().find("seed"), std::string::npos) << db.LastError();
    }
    StoreDatabase again;
    ASSERT_TRUE(again.Open(path, "")) << again.LastError();
    EXPECT_TRUE(again.WasSeeded());
}

TEST_F(StoreDatabaseFile, RefusesForeignAndCorruptFiles) {
    const std::string foreign = Path("foreign.db");
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(foreign.c_str(), &raw), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(raw, "CREATE TABLE notes (text TEXT)", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(raw);
    StoreDatabase other;
    EXPECT_FALSE(other.Open(foreign, ""));
    EXPECT_NE(other.LastError().find("not a sandbox database"), std::string::npos) << other.LastError();

    std::ofstream(Path("garbage.db")) << "this is not an SQLite file at all, just text that is long enough";
    StoreDatabase garbage;
    EXPECT_FALSE(garbage.Open(Path("garbage.db"), ""));
    EXPECT_FALSE(garbage.LastError().empty());

    // A folder that cannot be made (a file stands in the way) is named in the error.
    StoreDatabase missingDir;
    EXPECT_FALSE(missingDir.Open(Path("garbage.db/dir/x.db"), ""));
    EXPECT_NE(missingDir.LastError().find("cannot create the folder"), std::string::npos) << missingDir.LastError();
}

TEST(StoreDatabase, SecondOpenIsRefused) {
    StoreDatabase db;
    ASSERT_TRUE(db.Open("", ""));
    EXPECT_FALSE(db.Open("", ""));
}

TEST(StoreDatabase, FullDatabaseFailsWritesClearlyAndKeepsWhatItHas) {
    // The seed caps the file at its current size, as a full disk would.
    StoreDatabase db;
    ASSERT_TRUE(db.Open("",
                        "INSERT INTO accounts (email, password, user_id) VALUES ('a@x.com', 'pw', 'U1');"
                        "PRAGMA max_page_count = 1;"))
        << db.LastError();
    bool failed = false;
    for (int i = 0; i < 2000 && !failed; ++i)
        failed = !db.AddAccount(
            {"user" + std::to_string(i) + "@x.com", std::string(200, 'p'), "U-" + std::to_string(i), ""});
    ASSERT_TRUE(failed);
    EXPECT_NE(db.LastError().find("full"), std::string::npos) << db.LastError();
    bool valid = false;
    ASSERT_TRUE(db.CheckPassword("a@x.com", "pw", valid));
    EXPECT_TRUE(valid);
}

TEST_F(StoreDatabaseFile, DatabaseFileAndTheFoldersItMakesAreOwnerOnly) {
    const std::string path = Path("new/deeper/store.db");
    {
        StoreDatabase db;
        ASSERT_TRUE(db.Open(path, "")) << db.LastError();
        ASSERT_TRUE(db.AddAccount({"p@x.com", "pw", "U7", ""}));
    }
    namespace fs = std::filesystem;
    EXPECT_EQ(fs::status(path).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(fs::status(Path("new")).permissions(), fs::perms::owner_all);
    EXPECT_EQ(fs::status(Path("new/deeper")).permissions(), fs::perms::owner_all);
    // The test's own folder was there before: it is left as it was.
    EXPECT_NE(fs::status(dir_).permissions() & fs::perms::owner_all, fs::perms::none);

    // An existing file readable by others is made private when opened.
    fs::permissions(path,
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read);
    StoreDatabase db;
    ASSERT_TRUE(db.Open(path, "")) << db.LastError();
    EXPECT_EQ(fs::status(path).permissions(), fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(StoreDatabaseFile, FolderInsteadOfAFileIsRefusedClearly) {
    std::filesystem::create_directory(Path("adir"));
    StoreDatabase db;
    EXPECT_FALSE(db.Open(Path("adir"), ""));
    EXPECT_NE(db.LastError().find("adir"), std::string::npos) << db.LastError();
}

TEST(StoreDatabase, PasswordsAreKeptOnlyAsSaltedHashes) {
    StoreDatabase db;
    ASSERT_TRUE(db.Open("", "")) << db.LastError();
    ASSERT_TRUE(db.AddAccount({"new@x.com", "secret-pw", "U9", ""}));
    ASSERT_TRUE(db.AddAccount({"twin@x.com", "secret-pw", "U10", ""}));
    std::string stored, twin, demo;
    ASSERT_TRUE(db.StoredPassword("new@x.com", stored));
    ASSERT_TRUE(db.StoredPassword("twin@x.com", twin));
    ASSERT_TRUE(db.StoredPassword("demo@vexmora.com", demo));
    EXPECT_TRUE(Sandbox::PasswordHash::IsHash(stored)) << stored;
    EXPECT_TRUE(Sandbox::PasswordHash::IsHash(demo)) << demo;
    EXPECT_NE(stored, twin);  // the same password, salted apart
    bool valid = false;
    ASSERT_TRUE(db.CheckPassword("NEW@x.com", "secret-pw", valid));
    EXPECT_TRUE(valid);
    // The stored hash is not a password.
    ASSERT_TRUE(db.CheckPassword("new@x.com", stored, valid));
    EXPECT_FALSE(valid);
}

TEST_F(StoreDatabaseFile, PlainPasswordsOfASeedOrAnOlderDatabaseAreHashed) {
    StoreDatabase seeded;
    ASSERT_TRUE(seeded.Open(Path("seeded.db"),
                            "INSERT INTO accounts (email, password, user_id) VALUES ('s@x.com', 'seedpw', 'U5');"))
        << seeded.LastError();
    std::string stored;
    ASSERT_TRUE(seeded.StoredPassword("s@x.com", stored));
    EXPECT_TRUE(Sandbox::PasswordHash::IsHash(stored)) << stored;

    // A database of the first schema: passwords as text, no offers, no purchase ids.
    const std::string old = Path("old.db");
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(old.c_str(), &raw), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(raw,
                           "CREATE TABLE sandbox_meta (key TEXT PRIMARY KEY, value TEXT NOT NULL);"
                           "INSERT INTO sandbox_meta VALUES ('schema_version', '1');"
                           "CREATE TABLE countries (country_code TEXT PRIMARY KEY, mcc TEXT NOT NULL UNIQUE, name TEXT,"
                           " currency_unit TEXT, price_rate REAL, currency_unit_precedes INTEGER,"
                           " currency_unit_has_penny INTEGER, currency_unit_division INTEGER, free_store INTEGER,"
                           " freetab INTEGER, sns_val INTEGER, is_default INTEGER, position INTEGER);"
                           "CREATE TABLE item_groups (group_id TEXT PRIMARY KEY, name TEXT);"
                           "CREATE TABLE items (group_id TEXT, item_id TEXT, position INTEGER, name TEXT, price REAL,"
                           " description TEXT, image_url TEXT, download_url TEXT, reserved1 TEXT, reserved2 TEXT,"
                           " PRIMARY KEY (group_id, item_id));"
                           "CREATE TABLE accounts (email TEXT PRIMARY KEY COLLATE NOCASE, password TEXT NOT NULL,"
                           " user_id TEXT NOT NULL UNIQUE, mcc TEXT NOT NULL DEFAULT '');"
                           "INSERT INTO accounts VALUES ('old@x.com', 'oldpw', 'U1', '');",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(raw);
    StoreDatabase upgraded;
    ASSERT_TRUE(upgraded.Open(old, "")) << upgraded.LastError();
    ASSERT_TRUE(upgraded.StoredPassword("old@x.com", stored));
    EXPECT_TRUE(Sandbox::PasswordHash::IsHash(stored)) << stored;
    bool valid = false;
    ASSERT_TRUE(upgraded.CheckPassword("old@x.com", "oldpw", valid));
    EXPECT_TRUE(valid);
    std::vector<Sandbox::PaymentOffer> offers;
    EXPECT_TRUE(upgraded.PaymentOffers("US", "g", "i", offers)) << upgraded.LastError();
    EXPECT_TRUE(upgraded.IssuePurchaseId({"abc", "D", "i", "1", "20260101000000", ""})) << upgraded.LastError();
}
