#include "platform/account/AccountStore.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <new>
#include <string>

#include "platform/account/SqliteLibraryPrivate.h"
#include "platform/base/PlatformHome.h"

namespace Vx::Account {

namespace {

constexpr int kSchemaVersion = 1;
constexpr int kBusyTimeoutMs = 5000;

const char* const kSchema =
    "CREATE TABLE IF NOT EXISTS accounts ("
    " id INTEGER PRIMARY KEY AUTOINCREMENT,"
    " provider TEXT NOT NULL,"
    " user_name TEXT NOT NULL,"
    " UNIQUE (provider, user_name));"
    "CREATE TABLE IF NOT EXISTS account_data ("
    " account_id INTEGER NOT NULL REFERENCES accounts(id) ON DELETE CASCADE,"
    " seq INTEGER NOT NULL,"
    " key TEXT NOT NULL,"
    " value TEXT NOT NULL,"
    " PRIMARY KEY (account_id, key));"
    "PRAGMA user_version = 1;";

result FromSqlite(int code) {
    switch (code & 0xFF) {
    case SQLITE_OK:
    case SQLITE_DONE:
    case SQLITE_ROW:
        return E_SUCCESS;
    case SQLITE_FULL:
        return E_STORAGE_FULL;
    case SQLITE_NOMEM:
        return E_OUT_OF_MEMORY;
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
    case SQLITE_SCHEMA:
        return E_INVALID_FORMAT;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return E_TIMEOUT;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return E_PERMISSION_DENIED;
    default:
        return E_IO;
    }
}

// Only used once a store is open, which means the library is loaded.
const SqliteLibrary& Sql() { return *SqliteLibrary::Get(); }

// Owns one prepared statement.
class Statement {
public:
    Statement(sqlite3* db, const char* sql) { rc_ = Sql().sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr); }
    ~Statement() { Sql().sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool Ok() const { return rc_ == SQLITE_OK; }
    int PrepareCode() const { return rc_; }
    sqlite3_stmt* Get() const { return stmt_; }
    int BindText(int index, const Base::String& text) {
        std::string utf8 = text.ToUtf8();
        return Sql().sqlite3_bind_text(stmt_, index, utf8.data(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
    }
    int BindInt64(int index, long long value) { return Sql().sqlite3_bind_int64(stmt_, index, value); }
    int Step() { return Sql().sqlite3_step(stmt_); }
    Base::String ColumnText(int column) const {
        const auto* text = reinterpret_cast<const char*>(Sql().sqlite3_column_text(stmt_, column));
        int bytes = Sql().sqlite3_column_bytes(stmt_, column);
        return text ? Base::String::FromUtf8(std::string_view(text, static_cast<std::size_t>(bytes))) : Base::String();
    }
    long long ColumnInt64(int column) const { return Sql().sqlite3_column_int64(stmt_, column); }

private:
    sqlite3_stmt* stmt_ = nullptr;
    int rc_ = SQLITE_ERROR;
};

bool FileExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

}  // namespace

class AccountStorePrivate {
public:
    ~AccountStorePrivate() {
        if (db) Sql().sqlite3_close(db);
    }

    result Open(const std::string& path, AccountStore::OpenMode mode);
    result Exec(const char* sql) const { return FromSqlite(Sql().sqlite3_exec(db, sql, nullptr, nullptr, nullptr)); }
    result CheckSchema(bool& hasTables) const;
    result Insert(Account& account) const;
    result LoadData(Base::Collection::ArrayListT<Account>& accounts) const;

    sqlite3* db = nullptr;
    bool hasTables = false;
};

result AccountStorePrivate::Open(const std::string& path, AccountStore::OpenMode mode) {
    bool readOnly = mode == AccountStore::OpenMode::ReadOnly;
    if (readOnly && !FileExists(path)) return E_OBJ_NOT_FOUND;
    if (!SqliteLibrary::Get()) return E_SYSTEM;
    int flags = readOnly ? SQLITE_OPEN_READONLY : (SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    if (!readOnly) {
        // Owner-only before anything is written; SQLite gives its journal the same mode.
        int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd >= 0) ::close(fd);
        Base::RestrictToOwner(path);
    }
    int rc = Sql().sqlite3_open_v2(path.c_str(), &db, flags | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) return rc == SQLITE_NOMEM ? E_OUT_OF_MEMORY : E_IO;
    Sql().sqlite3_busy_timeout(db, kBusyTimeoutMs);
    result r = Exec("PRAGMA foreign_keys = ON;");
    if (r == E_SUCCESS) r = CheckSchema(hasTables);
    if (r != E_SUCCESS || readOnly || hasTables) return r;
    r = Exec(kSchema);
    if (r == E_SUCCESS) hasTables = true;
    return r;
}

// Reading the header is what tells a database from any other file.
result AccountStorePrivate::CheckSchema(bool& tables) const {
    Statement version(db, "PRAGMA user_version;");
    if (!version.Ok()) return FromSqlite(version.PrepareCode());
    int rc = version.Step();
    if (rc != SQLITE_ROW) return FromSqlite(rc);
    long long found = version.ColumnInt64(0);
    if (found > kSchemaVersion) return E_INVALID_FORMAT;
    Statement count(
        db, "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name IN ('accounts', 'account_data');");
    if (!count.Ok()) return FromSqlite(count.PrepareCode());
    rc = count.Step();
    if (rc != SQLITE_ROW) return FromSqlite(rc);
    long long n = count.ColumnInt64(0);
    if (found == kSchemaVersion && n != 2) return E_INVALID_FORMAT;
    tables = n == 2;
    return E_SUCCESS;
}

result AccountStorePrivate::Insert(Account& account) const {
    Statement remove(db, "DELETE FROM accounts WHERE provider = ?1 AND user_name = ?2;");
    Statement insert(db, "INSERT INTO accounts (provider, user_name) VALUES (?1, ?2);");
    Statement data(db, "INSERT INTO account_data (account_id, seq, key, value) VALUES (?1, ?2, ?3, ?4);");
    if (!remove.Ok() || !insert.Ok() || !data.Ok()) {
        return FromSqlite(!remove.Ok()   ? remove.PrepareCode()
                          : !insert.Ok() ? insert.PrepareCode()
                                         : data.PrepareCode());
    }
    remove.BindText(1, account.GetAccountProvider().GetAppId());
    remove.BindText(2, account.GetUserName());
    int rc = remove.Step();
    if (rc != SQLITE_DONE) return FromSqlite(rc);
    insert.BindText(1, account.GetAccountProvider().GetAppId());
    insert.BindText(2, account.GetUserName());
    rc = insert.Step();
    if (rc != SQLITE_DONE) return FromSqlite(rc);
    AccountId id = Sql().sqlite3_last_insert_rowid(db);
    long long seq = 0;
    for (const auto& entry : account.GetExtendedDataEntries()) {
        Sql().sqlite3_reset(data.Get());
        data.BindInt64(1, id);
        data.BindInt64(2, seq++);
        data.BindText(3, entry.first);
        data.BindText(4, entry.second);
        rc = data.Step();
        if (rc != SQLITE_DONE) return FromSqlite(rc);
    }
    account.SetId(id);
    return E_SUCCESS;
}

result AccountStorePrivate::LoadData(Base::Collection::ArrayListT<Account>& accounts) const {
    Statement rows(db, "SELECT id, provider, user_name FROM accounts ORDER BY id;");
    Statement data(db, "SELECT key, value FROM account_data WHERE account_id = ?1 ORDER BY seq;");
    if (!rows.Ok()) return FromSqlite(rows.PrepareCode());
    if (!data.Ok()) return FromSqlite(data.PrepareCode());
    int rc;
    while ((rc = rows.Step()) == SQLITE_ROW) {
        Account account(AccountProvider(rows.ColumnText(1)), rows.ColumnText(2));
        account.SetId(rows.ColumnInt64(0));
        Sql().sqlite3_reset(data.Get());
        data.BindInt64(1, account.GetId());
        int drc;
        while ((drc = data.Step()) == SQLITE_ROW) {
            result r = account.SetExtendedData(data.ColumnText(0), data.ColumnText(1));
            if (r != E_SUCCESS && r != E_INVALID_ARG) return r;
        }
        if (drc != SQLITE_DONE) return FromSqlite(drc);
        result r = accounts.Add(account);
        if (r != E_SUCCESS) return r;
    }
    return rc == SQLITE_DONE ? E_SUCCESS : FromSqlite(rc);
}

AccountStore::AccountStore() = default;
AccountStore::~AccountStore() = default;

std::string AccountStore::GetDefaultPath() { return Base::GetPlatformPath("accounts.db"); }

result AccountStore::Construct(OpenMode mode) { return Construct(GetDefaultPath(), mode); }

result AccountStore::Construct(const std::string& path, OpenMode mode) {
    if (d_) return E_INVALID_STATE;
    std::unique_ptr<AccountStorePrivate> d(new (std::nothrow) AccountStorePrivate());
    if (!d) return E_OUT_OF_MEMORY;
    result r = d->Open(path, mode);
    if (r != E_SUCCESS) return r;
    d_ = std::move(d);
    return E_SUCCESS;
}

result AccountStore::AddAccount(Account& account) {
    if (!d_) return E_INVALID_STATE;
    if (account.GetUserName().IsEmpty() || account.GetAccountProvider().GetAppId().IsEmpty()) return E_INVALID_ARG;
    if (!d_->hasTables) return E_PERMISSION_DENIED;
    result r = d_->Exec("BEGIN IMMEDIATE;");
    if (r != E_SUCCESS) return r;
    r = d_->Insert(account);
    if (r == E_SUCCESS) r = d_->Exec("COMMIT;");
    if (r != E_SUCCESS) d_->Exec("ROLLBACK;");
    return r;
}

result AccountStore::RemoveAccount(const Base::String& userName, const Base::String& providerAppId) {
    if (!d_) return E_INVALID_STATE;
    if (userName.IsEmpty()) return E_INVALID_ARG;
    if (!d_->hasTables) return E_OBJ_NOT_FOUND;
    Statement remove(d_->db, "DELETE FROM accounts WHERE user_name = ?1 AND (?2 = '' OR provider = ?2);");
    if (!remove.Ok()) return FromSqlite(remove.PrepareCode());
    remove.BindText(1, userName);
    remove.BindText(2, providerAppId);
    int rc = remove.Step();
    if (rc != SQLITE_DONE) return FromSqlite(rc);
    return Sql().sqlite3_changes(d_->db) > 0 ? E_SUCCESS : E_OBJ_NOT_FOUND;
}

result AccountStore::RemoveAccount(AccountId id) {
    if (!d_) return E_INVALID_STATE;
    if (!d_->hasTables) return E_OBJ_NOT_FOUND;
    Statement remove(d_->db, "DELETE FROM accounts WHERE id = ?1;");
    if (!remove.Ok()) return FromSqlite(remove.PrepareCode());
    remove.BindInt64(1, id);
    int rc = remove.Step();
    if (rc != SQLITE_DONE) return FromSqlite(rc);
    return Sql().sqlite3_changes(d_->db) > 0 ? E_SUCCESS : E_OBJ_NOT_FOUND;
}

result AccountStore::SetMaxSize(long long bytes) {
    if (!d_) return E_INVALID_STATE;
    if (bytes <= 0) return E_INVALID_ARG;
    long long pageSize = 4096;
    {
        Statement page(d_->db, "PRAGMA page_size;");
        if (page.Ok() && page.Step() == SQLITE_ROW && page.ColumnInt64(0) > 0) pageSize = page.ColumnInt64(0);
    }
    std::string sql = "PRAGMA max_page_count = " + std::to_string(std::max(1LL, bytes / pageSize)) + ";";
    Statement limit(d_->db, sql.c_str());
    if (!limit.Ok()) return FromSqlite(limit.PrepareCode());
    int rc = limit.Step();
    return rc == SQLITE_ROW || rc == SQLITE_DONE ? E_SUCCESS : FromSqlite(rc);
}

Base::Collection::ArrayListT<Account>* AccountStore::GetAllAccountsN() const {
    if (!d_) return nullptr;
    std::unique_ptr<Base::Collection::ArrayListT<Account>> accounts(new (std::nothrow)
                                                                        Base::Collection::ArrayListT<Account>());
    if (!accounts) return nullptr;
    // A store opened read-only before anyone created the tables holds no account yet.
    if (!d_->hasTables) return accounts.release();
    // One read transaction, so a writer in another process cannot tear the view.
    if (d_->Exec("BEGIN;") != E_SUCCESS) return nullptr;
    result r = d_->LoadData(*accounts);
    d_->Exec("COMMIT;");
    return r == E_SUCCESS ? accounts.release() : nullptr;
}

}  // namespace Vx::Account
