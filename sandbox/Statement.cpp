#include "sandbox/Statement.h"

#include <sqlite3.h>

namespace Sandbox {

Statement::Statement(sqlite3* db, const char* sql) {
    if (sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) != SQLITE_OK) {
        sqlite3_finalize(stmt_);
        stmt_ = nullptr;
        failed_ = true;
    }
}

Statement::~Statement() { sqlite3_finalize(stmt_); }

Statement& Statement::Bind(int index, const std::string& value) {
    if (stmt_ &&
        sqlite3_bind_text(stmt_, index, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT) != SQLITE_OK)
        failed_ = true;
    return *this;
}

Statement& Statement::Bind(int index, int value) {
    if (stmt_ && sqlite3_bind_int(stmt_, index, value) != SQLITE_OK) failed_ = true;
    return *this;
}

Statement& Statement::Bind(int index, double value) {
    if (stmt_ && sqlite3_bind_double(stmt_, index, value) != SQLITE_OK) failed_ = true;
    return *this;
}

Statement& Statement::BindNull(int index) {
    if (stmt_ && sqlite3_bind_null(stmt_, index) != SQLITE_OK) failed_ = true;
    return *this;
}

bool Statement::Step() {
    if (!stmt_ || failed_) return false;
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc != SQLITE_DONE) failed_ = true;
    return false;
}

bool Statement::Run() {
    Step();
    return !failed_;
}

std::string Statement::Text(int column) const {
    const unsigned char* text = sqlite3_column_text(stmt_, column);
    if (!text) return {};
    return std::string(reinterpret_cast<const char*>(text), static_cast<size_t>(sqlite3_column_bytes(stmt_, column)));
}

int Statement::Int(int column) const { return sqlite3_column_int(stmt_, column); }

double Statement::Double(int column) const { return sqlite3_column_double(stmt_, column); }

}  // namespace Sandbox

namespace Sandbox {

bool Statement::IsNull(int column) const { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }

}  // namespace Sandbox
