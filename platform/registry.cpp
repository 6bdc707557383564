#include "platform/registry.h"

#include "platform/device_root.h"
#include "platform/events.h"
#include "platform/handle.h"
#include "platform/sqlite_db.h"
#include "platform/text.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <thread>

namespace {

using platform::kSqliteDone;
using platform::kSqliteRow;
using platform::RegistryRoot;
using platform::Statement;
using platform::WriteTransaction;

struct OpenKey {
    RegistryRoot root;
    std::string path; // UTF-8, components joined by '\', no leading or trailing '\'
};

struct Registry {
    std::recursive_mutex mutex;
    platform::Database db;
    std::uint64_t rootGeneration = 0;
    std::string problem;
    std::map<std::uintptr_t, OpenKey> openKeys;
    std::uintptr_t nextHandle = 0x1000;
};

Registry& registry()
{
    static auto* instance = new Registry();
    return *instance;
}

constexpr const char* kSchema
    = "CREATE TABLE IF NOT EXISTS keys("
      " root INTEGER NOT NULL, path TEXT NOT NULL COLLATE NOCASE,"
      " parent TEXT NOT NULL COLLATE NOCASE, name TEXT NOT NULL,"
      " PRIMARY KEY(root, path));"
      "CREATE INDEX IF NOT EXISTS keys_by_parent ON keys(root, parent);"
      "CREATE TABLE IF NOT EXISTS vals("
      " root INTEGER NOT NULL, path TEXT NOT NULL COLLATE NOCASE,"
      " name TEXT NOT NULL COLLATE NOCASE, type INTEGER NOT NULL, data BLOB NOT NULL,"
      " PRIMARY KEY(root, path, name));";

// The database of the current root, opened once per process. Call with the mutex held.
platform::Database* database()
{
    auto& r = registry();
    const auto generation = platform::deviceRootGeneration();
    if (r.db && r.rootGeneration == generation)
        return &r.db;
    r.openKeys.clear();
    r.rootGeneration = generation;
    r.db = platform::Database::open(platform::platformStateDirectory() / "registry.db", kSchema, r.problem);
    return r.db ? &r.db : nullptr;
}

std::string normalisedPath(std::u16string_view path)
{
    std::string result;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find(u'\\', start);
        if (end == std::u16string_view::npos)
            end = path.size();
        if (end > start) {
            if (!result.empty())
                result += '\\';
            result += platform::toUtf8(path.substr(start, end - start));
        }
        start = end + 1;
    }
    return result;
}

std::string joinPath(const std::string& base, const std::string& sub)
{
    if (base.empty())
        return sub;
    if (sub.empty())
        return base;
    return base + '\\' + sub;
}

std::string parentOf(const std::string& path)
{
    const auto cut = path.rfind('\\');
    return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

// The database with this process's lock on it, for the length of one call.
class LockedDatabase {
public:
    LockedDatabase() : m_lock(registry().mutex), m_db(database()) { }
    explicit operator bool() const { return m_db != nullptr; }
    platform::Database* operator->() const { return m_db; }
    platform::Database& operator*() const { return *m_db; }
    platform::Database* get() const { return m_db; }

private:
    std::unique_lock<std::recursive_mutex> m_lock;
    platform::Database* m_db;
};

std::optional<OpenKey> resolveKey(HKEY key)
{
    const auto value = reinterpret_cast<std::uintptr_t>(key);
    if (key == HKEY_CURRENT_USER)
        return OpenKey { RegistryRoot::CurrentUser, { } };
    if (key == HKEY_LOCAL_MACHINE)
        return OpenKey { RegistryRoot::LocalMachine, { } };
    auto& keys = registry().openKeys;
    auto found = keys.find(value);
    if (found == keys.end())
        return std::nullopt;
    return found->second;
}

bool keyExists(platform::Database* db, RegistryRoot root, const std::string& path)
{
    if (path.empty())
        return true;
    Statement query(db->get(), "SELECT 1 FROM keys WHERE root = ?1 AND path = ?2");
    return query.bind(1, std::int64_t(root)).bind(2, path).step() == kSqliteRow;
}

HKEY newHandle(const OpenKey& key)
{
    auto& r = registry();
    r.nextHandle += 16;
    r.openKeys[r.nextHandle] = key;
    return reinterpret_cast<HKEY>(r.nextHandle);
}

std::u16string watchEventName(RegistryRoot root, const std::string& path, const std::string& name)
{
    const std::string identity = std::to_string(int(root)) + ':'
        + platform::toUtf8(platform::foldedCopy(platform::toUtf16(path))) + ':'
        + platform::toUtf8(platform::foldedCopy(platform::toUtf16(name)));
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(platform::stableHash(identity)));
    return u"TkwRegistry_" + platform::toUtf16(hex);
}

void announceChange(RegistryRoot root, const std::string& path, const std::string& name)
{
    platform::setEventIfExists(watchEventName(root, path, name));
}

std::string nameOf(const WCHAR* name) { return name ? platform::toUtf8(name) : std::string(); }

} // namespace

LONG RegCreateKeyExW(HKEY key, const WCHAR* subKey, DWORD, WCHAR*, DWORD, DWORD, void*, HKEY* result,
    DWORD* disposition)
{
    if (!result)
        return ERROR_INVALID_PARAMETER;
    LockedDatabase db;
    if (!db)
        return ERROR_GEN_FAILURE;
    const auto base = resolveKey(key);
    if (!base)
        return ERROR_INVALID_HANDLE;
    const std::string path = joinPath(base->path, subKey ? normalisedPath(subKey) : std::string());
    WriteTransaction transaction(*db);
    if (!transaction.open())
        return ERROR_GEN_FAILURE;
    const bool existed = keyExists(db.get(), base->root, path);
    // Every missing key on the way is made too.
    for (std::string step = path; !step.empty(); step = parentOf(step)) {
        Statement insert(db->get(), "INSERT OR IGNORE INTO keys(root, path, parent, name) VALUES(?1, ?2, ?3, ?4)");
        const auto cut = step.rfind('\\');
        insert.bind(1, std::int64_t(base->root)).bind(2, step).bind(3, parentOf(step))
            .bind(4, cut == std::string::npos ? step : step.substr(cut + 1));
        if (insert.step() != kSqliteDone)
            return ERROR_GEN_FAILURE;
    }
    if (!transaction.commit())
        return ERROR_GEN_FAILURE;
    if (disposition)
        *disposition = existed ? REG_OPENED_EXISTING_KEY : REG_CREATED_NEW_KEY;
    *result = newHandle({ base->root, path });
    return ERROR_SUCCESS;
}

LONG RegOpenKeyExW(HKEY key, const WCHAR* subKey, DWORD, DWORD, HKEY* result)
{
    if (!result)
        return ERROR_INVALID_PARAMETER;
    LockedDatabase db;
    if (!db)
        return ERROR_GEN_FAILURE;
    const auto base = resolveKey(key);
    if (!base)
        return ERROR_INVALID_HANDLE;
    const std::string path = joinPath(base->path, subKey ? normalisedPath(subKey) : std::string());
    if (!keyExists(db.get(), base->root, path))
        return ERROR_FILE_NOT_FOUND;
    *result = newHandle({ base->root, path });
    return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY key)
{
    if (key == HKEY_CURRENT_USER || key == HKEY_LOCAL_MACHINE)
        return ERROR_SUCCESS;
    auto& r = registry();
    std::lock_guard lock(r.mutex);
    return r.openKeys.erase(reinterpret_cast<std::uintptr_t>(key)) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LONG RegQueryValueExW(HKEY key, const WCHAR* valueName, DWORD*, DWORD* type, BYTE* data, DWORD* dataSize)
{
    if (data && !dataSize)
        return ERROR_INVALID_PARAMETER;
    LockedDatabase db;
    if (!db)
        return ERROR_GEN_FAILURE;
    const auto open = resolveKey(key);
    if (!open)
        return ERROR_INVALID_HANDLE;
    Statement query(db->get(), "SELECT type, data FROM vals WHERE root = ?1 AND path = ?2 AND name = ?3");
    query.bind(1, std::int64_t(open->root)).bind(2, open->path).bind(3, nameOf(valueName));
    const int step = query.step();
    if (step == kSqliteDone)
        return ERROR_FILE_NOT_FOUND;
    if (step != kSqliteRow)
        return ERROR_GEN_FAILURE;
    const auto bytes = query.blob(1);
    if (type)
        *type = DWORD(query.integer(0));
    if (data && *dataSize < bytes.size()) {
        *dataSize = DWORD(bytes.size());
        return ERROR_MORE_DATA;
    }
    if (data)
        std::memcpy(data, bytes.data(), bytes.size());
    if (dataSize)
        *dataSize = DWORD(bytes.size());
    return ERROR_SUCCESS;
}

LONG RegSetValueExW(HKEY key, const WCHAR* valueName, DWORD, DWORD type, const BYTE* data, DWORD dataSize)
{
    if (!data && dataSize)
        return ERROR_INVALID_PARAMETER;
    if (type == REG_DWORD && dataSize != sizeof(DWORD))
        return ERROR_INVALID_PARAMETER;
    LockedDatabase db;
    if (!db)
        return ERROR_GEN_FAILURE;
    const auto open = resolveKey(key);
    if (!open)
        return ERROR_INVALID_HANDLE;
    const std::string name = nameOf(valueName);
    {
        WriteTransaction transaction(*db);
        if (!transaction.open())
            return ERROR_GEN_FAILURE;
        // Another process may have deleted the key since it was opened.
        if (!keyExists(db.get(), open->root, open->path))
            return ERROR_FILE_NOT_FOUND;
        Statement insert(db->get(), "INSERT OR REPLACE INTO vals(root, path, name, type, data) VALUES(?1, ?2, ?3, ?4, ?5)");
        insert.bind(1, std::int64_t(open->root)).bind(2, open->path).bind(3, name).bind(4, std::int64_t(type))
            .bindBlob(5, data, dataSize);
        if (insert.step() != kSqliteDone || !transaction.commit())
            return ERROR_GEN_FAILURE;
    }
    announceChange(open->root, open->path, name);
    return ERROR_SUCCESS;
}

LONG RegDeleteValueW(HKEY key, const WCHAR* valueName)
{
    LockedDatabase db;
    if (!db)
        return ERROR_GEN_FAILURE;
    const auto open = resolveKey(key);
    if (!open)
        return ERROR_INVALID_HANDLE;
    const std::string name = nameOf(valueName);
    {
        WriteTransaction transaction(*db);
        if (!transaction.open())
            return ERROR_GEN_FAILURE;
        Statement remove(db->get(), "DELETE FROM vals WHERE root = ?1 AND path = ?2 AND name = ?3");
        remove.bind(1, std::int64_t(open->root)).bind(2, open->path).bind(3, name);
        if (remove.step() != kSqliteDone)
            return ERROR_GEN_FAILURE;
        if (db->changes() == 0)
            return ERROR_FILE_NOT_FOUND;
        if (!transaction.commit())
            return ERROR_GEN_FAILURE;
    }
    announceChange(open->root, open->path, name);
    return ERROR_SUCCESS;
}

LONG RegDeleteKeyW(HKEY key, const WCHAR* subKey)
{
    LockedDatabase db;
    if (!db)
        return ERROR_GEN_FAILURE;
    const auto base = resolveKey(key);
    if (!base)
        return ERROR_INVALID_HANDLE;
    const std::string path = joinPath(base->path, subKey ? normalisedPath(subKey) : std::string());
    if (path.empty())
        return ERROR_ACCESS_DENIED; // the roots stay
    std::vector<std::pair<std::string, std::string>> removedValues;
    {
        WriteTransaction transaction(*db);
        if (!transaction.open())
            return ERROR_GEN_FAILURE;
        if (!keyExists(db.get(), base->root, path))
            return ERROR_FILE_NOT_FOUND;
        const char* below = "root = ?1 AND (path = ?2 OR (length(path) > length(?2)"
                            " AND substr(path, 1, length(?2) + 1) = ?2 || '\\' COLLATE NOCASE))";
        Statement values(db->get(), (std::string("SELECT path, name FROM vals WHERE ") + below).c_str());
        values.bind(1, std::int64_t(base->root)).bind(2, path);
        while (values.step() == kSqliteRow)
            removedValues.emplace_back(values.text(0), values.text(1));
        Statement dropValues(db->get(), (std::string("DELETE FROM vals WHERE ") + below).c_str());
        Statement dropKeys(db->get(), (std::string("DELETE FROM keys WHERE ") + below).c_str());
        dropValues.bind(1, std::int64_t(base->root)).bind(2, path);
        dropKeys.bind(1, std::int64_t(base->root)).bind(2, path);
        if (dropValues.step() != kSqliteDone || dropKeys.step() != kSqliteDone || !transaction.commit())
            return ERROR_GEN_FAILURE;
    }
    for (const auto& [valuePath, valueName] : removedValues)
        announceChange(base->root, valuePath, valueName);
    return ERROR_SUCCESS;
}

LONG RegEnumKeyExW(HKEY key, DWORD index, WCHAR* name, DWORD* nameLength, DWORD*, WCHAR*, DWORD*, void*)
{
    if (!name || !nameLength)
        return ERROR_INVALID_PARAMETER;
    LockedDatabase db;
    if (!db)
        return ERROR_GEN_FAILURE;
    const auto open = resolveKey(key);
    if (!open)
        return ERROR_INVALID_HANDLE;
    Statement query(db->get(), "SELECT name FROM keys WHERE root = ?1 AND parent = ?2 ORDER BY rowid LIMIT 1 OFFSET ?3");
    query.bind(1, std::int64_t(open->root)).bind(2, open->path).bind(3, std::int64_t(index));
    const int step = query.step();
    if (step == kSqliteDone)
        return ERROR_NO_MORE_ITEMS;
    if (step != kSqliteRow)
        return ERROR_GEN_FAILURE;
    const auto text = platform::toUtf16(query.text(0));
    if (text.size() + 1 > *nameLength) {
        *nameLength = DWORD(text.size() + 1);
        return ERROR_MORE_DATA;
    }
    std::memcpy(name, text.c_str(), (text.size() + 1) * sizeof(WCHAR));
    *nameLength = DWORD(text.size());
    return ERROR_SUCCESS;
}

LONG RegFlushKey(HKEY key)
{
    LockedDatabase db;
    if (!db)
        return ERROR_GEN_FAILURE;
    if (!resolveKey(key))
        return ERROR_INVALID_HANDLE;
    // Every commit is already durable; a checkpoint folds the log into the database file.
    (void)db->execute("PRAGMA wal_checkpoint(PASSIVE)");
    return ERROR_SUCCESS;
}

namespace platform {

namespace {

HKEY rootKey(RegistryRoot root) { return root == RegistryRoot::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE; }

class KeyGuard {
public:
    KeyGuard() = default;
    ~KeyGuard()
    {
        if (key)
            RegCloseKey(key);
    }
    KeyGuard(const KeyGuard&) = delete;
    KeyGuard& operator=(const KeyGuard&) = delete;
    HKEY key = nullptr;
};

} // namespace

std::optional<RegistryValue> readRegistryValue(RegistryRoot root, std::u16string_view path, std::u16string_view name)
{
    KeyGuard key;
    const std::u16string subKey(path);
    if (RegOpenKeyExW(rootKey(root), subKey.c_str(), 0, 0, &key.key) != ERROR_SUCCESS)
        return std::nullopt;
    const std::u16string valueName(name);
    RegistryValue value;
    DWORD size = 0;
    if (RegQueryValueExW(key.key, valueName.c_str(), nullptr, &value.type, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    // Another process may grow the value between the two reads.
    for (;;) {
        value.data.resize(size);
        const LONG result = RegQueryValueExW(key.key, valueName.c_str(), nullptr, &value.type,
            value.data.empty() ? nullptr : value.data.data(), &size);
        if (result == ERROR_SUCCESS) {
            value.data.resize(size);
            return value;
        }
        if (result != ERROR_MORE_DATA)
            return std::nullopt;
    }
}

bool writeRegistryValue(RegistryRoot root, std::u16string_view path, std::u16string_view name, const RegistryValue& value)
{
    KeyGuard key;
    const std::u16string subKey(path);
    if (RegCreateKeyExW(rootKey(root), subKey.c_str(), 0, nullptr, 0, 0, nullptr, &key.key, nullptr) != ERROR_SUCCESS)
        return false;
    const std::u16string valueName(name);
    return RegSetValueExW(key.key, valueName.c_str(), 0, value.type, value.data.data(), DWORD(value.data.size()))
        == ERROR_SUCCESS;
}

std::optional<DWORD> readRegistryDword(RegistryRoot root, std::u16string_view path, std::u16string_view name)
{
    const auto value = readRegistryValue(root, path, name);
    if (!value || value->type != REG_DWORD || value->data.size() != sizeof(DWORD))
        return std::nullopt;
    DWORD result;
    std::memcpy(&result, value->data.data(), sizeof result);
    return result;
}

bool writeRegistryDword(RegistryRoot root, std::u16string_view path, std::u16string_view name, DWORD value)
{
    RegistryValue stored { REG_DWORD, std::vector<BYTE>(sizeof value) };
    std::memcpy(stored.data.data(), &value, sizeof value);
    return writeRegistryValue(root, path, name, stored);
}

std::optional<std::u16string> readRegistryString(RegistryRoot root, std::u16string_view path, std::u16string_view name)
{
    const auto value = readRegistryValue(root, path, name);
    if (!value || value->type != REG_SZ)
        return std::nullopt;
    std::u16string text(value->data.size() / sizeof(WCHAR), u'\0');
    std::memcpy(text.data(), value->data.data(), text.size() * sizeof(WCHAR));
    // Stored strings end with their zero, but a writer may have left it out.
    if (const auto end = text.find(u'\0'); end != std::u16string::npos)
        text.resize(end);
    return text;
}

bool writeRegistryString(RegistryRoot root, std::u16string_view path, std::u16string_view name, std::u16string_view value)
{
    RegistryValue stored { REG_SZ, std::vector<BYTE>((value.size() + 1) * sizeof(WCHAR), 0) };
    std::memcpy(stored.data.data(), value.data(), value.size() * sizeof(WCHAR));
    return writeRegistryValue(root, path, name, stored);
}

bool deleteRegistryValue(RegistryRoot root, std::u16string_view path, std::u16string_view name)
{
    KeyGuard key;
    const std::u16string subKey(path);
    if (RegOpenKeyExW(rootKey(root), subKey.c_str(), 0, 0, &key.key) != ERROR_SUCCESS)
        return false;
    const std::u16string valueName(name);
    return RegDeleteValueW(key.key, valueName.c_str()) == ERROR_SUCCESS;
}

std::optional<std::vector<RegistryEntry>> listRegistryValues(RegistryRoot root, std::u16string_view path)
{
    LockedDatabase db;
    const std::string key = normalisedPath(path);
    if (!db || !keyExists(db.get(), root, key))
        return std::nullopt;
    Statement query(db->get(), "SELECT name, type, data FROM vals WHERE root = ?1 AND path = ?2 ORDER BY rowid");
    query.bind(1, std::int64_t(root)).bind(2, key);
    std::vector<RegistryEntry> entries;
    while (query.step() == kSqliteRow)
        entries.push_back({ toUtf16(query.text(0)), { DWORD(query.integer(1)), query.blob(2) } });
    return entries;
}

std::optional<std::vector<std::u16string>> listRegistrySubkeys(RegistryRoot root, std::u16string_view path)
{
    KeyGuard key;
    const std::u16string subKey(path);
    if (RegOpenKeyExW(rootKey(root), subKey.c_str(), 0, 0, &key.key) != ERROR_SUCCESS)
        return std::nullopt;
    std::vector<std::u16string> names;
    WCHAR name[256];
    for (DWORD index = 0;; ++index) {
        DWORD length = 256;
        const LONG result = RegEnumKeyExW(key.key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_NO_MORE_ITEMS)
            return names;
        if (result != ERROR_SUCCESS)
            return std::nullopt;
        names.emplace_back(name, length);
    }
}

RegistryWatch::RegistryWatch(RegistryRoot root, std::u16string_view path, std::u16string_view name)
{
    const auto eventName = watchEventName(root, normalisedPath(path), toUtf8(name));
    m_event.reset(CreateEventW(nullptr, TRUE, FALSE, eventName.c_str()));
}

RegistryWatch::~RegistryWatch() = default;

bool RegistryWatch::changed()
{
    if (!m_event || WaitForSingleObject(m_event.get(), 0) != WAIT_OBJECT_0)
        return false;
    EventModify(m_event.get(), EVENT_RESET);
    return true;
}

std::string registryProblem()
{
    auto& r = registry();
    std::lock_guard lock(r.mutex);
    return database() ? std::string() : r.problem;
}

} // namespace platform
