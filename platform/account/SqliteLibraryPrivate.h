#pragma once
// The SQLite functions of the account database, resolved when an account
// store is first opened: most applications never open one (a list request
// does not), and they do not load SQLite at all.
#include <sqlite3.h>

#include <string>

// clang-format off
#define VX_SQLITE_FUNCTIONS(X) \
    X(sqlite3_bind_int64) \
    X(sqlite3_bind_text) \
    X(sqlite3_busy_timeout) \
    X(sqlite3_changes) \
    X(sqlite3_close) \
    X(sqlite3_column_bytes) \
    X(sqlite3_column_int64) \
    X(sqlite3_column_text) \
    X(sqlite3_exec) \
    X(sqlite3_finalize) \
    X(sqlite3_last_insert_rowid) \
    X(sqlite3_open_v2) \
    X(sqlite3_prepare_v2) \
    X(sqlite3_reset) \
    X(sqlite3_step)
// clang-format on

namespace Vx::Account {

class SqliteLibrary {
public:
    // The functions, loaded on the first call and kept for the process's
    // life; null when SQLite cannot be loaded, with the reason in `error`.
    static const SqliteLibrary* Get(std::string* error = nullptr);

#define VX_SQLITE_DECLARE(name) decltype(&::name) name = nullptr;
    VX_SQLITE_FUNCTIONS(VX_SQLITE_DECLARE)
#undef VX_SQLITE_DECLARE
};

}  // namespace Vx::Account
