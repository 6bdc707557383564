#include "platform/sqlite_db.h"

#include "platform/files.h"
#include "platform/unique_fd.h"

#include <chrono>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <thread>
#include <utility>

namespace platform {

static_assert(kSqliteRow == SQLITE_ROW && kSqliteDone == SQLITE_DONE);

namespace {

// SQLite would create the file 0644 less the umask; made first, it is private like every
// file of the device, and its -wal and -shm files take their mode from it.
void makePrivateFile(const std::filesystem::path& file)
{
    UniqueFd fd(::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, kPrivateFileMode));
    if (fd)
        ::fchmod(fd.get(), kPrivateFileMode); // Any failure shows when SQLite opens the file.
}

} // namespace

Database::Database(Database&& other) noexcept : m_db(std::exchange(other.m_db, nullptr)) { }

Database& Database::operator=(Database&& other) noexcept
{
    if (this != &other) {
        sqlite3_close_v2(m_db);
        m_db = std::exchange(other.m_db, nullptr);
    }
    return *this;
}

Database::~Database() { sqlite3_close_v2(m_db); }

Database Database::open(const std::filesystem::path& file, const char* schema, std::string& problem)
{
    Database result;
    makePrivateFile(file);
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX, nullptr)
        != SQLITE_OK) {
        problem = "cannot open " + file.string() + ": " + (db ? sqlite3_errmsg(db) : "out of memory");
        sqlite3_close_v2(db);
        return result;
    }
    result.m_db = db;
    sqlite3_busy_timeout(db, 10000);
    // Switching to WAL needs a moment alone with the file; another process doing the same
    // can keep it busy for a while.
    // Only a busy file is worth waiting for: a damaged one stays damaged.
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (result.execute("PRAGMA journal_mode=WAL") && result.execute("PRAGMA synchronous=FULL")
            && result.execute(schema)) {
            problem.clear();
            return result;
        }
        const int code = sqlite3_errcode(db) & 0xff;
        if (code != SQLITE_BUSY && code != SQLITE_LOCKED)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    const int code = sqlite3_errcode(db) & 0xff;
    problem = (code == SQLITE_NOTADB || code == SQLITE_CORRUPT ? "damaged: " : "cannot prepare ") + file.string()
        + ": " + sqlite3_errmsg(db);
    return Database();
}

bool Database::execute(const char* sql) { return sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }

int Database::changes() const { return sqlite3_changes(m_db); }

Statement::Statement(sqlite3* db, const char* sql)
{
    if (!db || sqlite3_prepare_v2(db, sql, -1, &m_statement, nullptr) != SQLITE_OK)
        m_statement = nullptr;
}

Statement::~Statement() { sqlite3_finalize(m_statement); }

Statement& Statement::bind(int index, std::int64_t value)
{
    sqlite3_bind_int64(m_statement, index, value);
    return *this;
}

Statement& Statement::bind(int index, const std::string& text)
{
    sqlite3_bind_text(m_statement, index, text.data(), int(text.size()), SQLITE_TRANSIENT);
    return *this;
}

Statement& Statement::bindBlob(int index, const void* data, std::size_t size)
{
    // A zero-length blob must still be a blob, not NULL.
    static const char kEmpty = 0;
    sqlite3_bind_blob(m_statement, index, size ? data : &kEmpty, int(size), SQLITE_TRANSIENT);
    return *this;
}

int Statement::step() { return m_statement ? sqlite3_step(m_statement) : SQLITE_ERROR; }

std::int64_t Statement::integer(int column) { return sqlite3_column_int64(m_statement, column); }

std::string Statement::text(int column)
{
    const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
    return bytes ? std::string(bytes, std::size_t(sqlite3_column_bytes(m_statement, column))) : std::string();
}

std::vector<std::uint8_t> Statement::blob(int column)
{
    const auto* bytes = static_cast<const std::uint8_t*>(sqlite3_column_blob(m_statement, column));
    const int size = sqlite3_column_bytes(m_statement, column);
    return bytes ? std::vector<std::uint8_t>(bytes, bytes + size) : std::vector<std::uint8_t>();
}

WriteTransaction::WriteTransaction(Database& db)
    : m_db(db)
{
    m_open = db.execute("BEGIN IMMEDIATE");
}

WriteTransaction::~WriteTransaction()
{
    if (m_open)
        (void)m_db.execute("ROLLBACK");
}

bool WriteTransaction::commit()
{
    if (!m_open)
        return false;
    m_open = false;
    if (m_db.execute("COMMIT"))
        return true;
    (void)m_db.execute("ROLLBACK");
    return false;
}

} // namespace platform
