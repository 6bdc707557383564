#pragma once
// SQLite as the platform keeps its databases: WAL, full sync, a busy time-out long enough
// for several processes writing at once, one transaction per change.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace platform {

class Database {
public:
    Database() = default;
    Database(Database&& other) noexcept;
    Database& operator=(Database&& other) noexcept;
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;
    ~Database();

    // Opens or creates the database and runs `schema` (idempotent statements).
    [[nodiscard]] static Database open(const std::filesystem::path& file, const char* schema, std::string& problem);

    sqlite3* get() const { return m_db; }
    explicit operator bool() const { return m_db != nullptr; }
    [[nodiscard]] bool execute(const char* sql);
    [[nodiscard]] int changes() const;

private:
    sqlite3* m_db = nullptr;
};

class Statement {
public:
    Statement(sqlite3* db, const char* sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    explicit operator bool() const { return m_statement != nullptr; }
    Statement& bind(int index, std::int64_t value);
    Statement& bind(int index, const std::string& text);
    Statement& bindBlob(int index, const void* data, std::size_t size);
    // SQLITE_ROW, SQLITE_DONE or an error code.
    int step();
    std::int64_t integer(int column);
    std::string text(int column);
    std::vector<std::uint8_t> blob(int column);

private:
    sqlite3_stmt* m_statement = nullptr;
};

// One write transaction, begun at once (BEGIN IMMEDIATE) and rolled back unless committed.
class WriteTransaction {
public:
    explicit WriteTransaction(Database& db);
    ~WriteTransaction();
    WriteTransaction(const WriteTransaction&) = delete;
    WriteTransaction& operator=(const WriteTransaction&) = delete;
    bool open() const { return m_open; }
    [[nodiscard]] bool commit();

private:
    Database& m_db;
    bool m_open = false;
};

inline constexpr int kSqliteRow = 100;  // SQLITE_ROW
inline constexpr int kSqliteDone = 101; // SQLITE_DONE

} // namespace platform
