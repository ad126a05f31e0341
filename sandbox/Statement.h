#pragma once

#include <string>

struct sqlite3;
struct sqlite3_stmt;

namespace Sandbox {

// One prepared SQLite statement, finalised on destruction.
class Statement {
public:
    Statement(sqlite3* db, const char* sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool IsValid() const { return stmt_ != nullptr; }

    // Parameters are numbered from 1, as in SQLite.
    Statement& Bind(int index, const std::string& value);
    Statement& Bind(int index, int value);
    Statement& Bind(int index, double value);
    Statement& BindNull(int index);

    // True while a row is available; check Failed() after the last step.
    bool Step();
    // Runs a statement that yields no rows; true on success.
    bool Run();
    bool Failed() const { return failed_; }

    std::string Text(int column) const;
    int Int(int column) const;
    double Double(int column) const;
    bool IsNull(int column) const;

private:
    sqlite3_stmt* stmt_ = nullptr;
    bool failed_ = false;
};

}  // namespace Sandbox
