#pragma once
// The device registry: keys and typed values under HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE,
// kept in an SQLite database in the device root. Every write is one transaction, so several
// processes may write at once without losing a value. Key and value names compare without
// case, as on the handheld.

#include "platform/handle.h"
#include "platform/types.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct HKEY__;
using HKEY = HKEY__*;
inline HKEY const HKEY_CURRENT_USER = reinterpret_cast<HKEY>(std::uintptr_t(0x80000001u));
inline HKEY const HKEY_LOCAL_MACHINE = reinterpret_cast<HKEY>(std::uintptr_t(0x80000002u));

inline constexpr DWORD REG_NONE = 0;
inline constexpr DWORD REG_SZ = 1;
inline constexpr DWORD REG_BINARY = 3;
inline constexpr DWORD REG_DWORD = 4;
inline constexpr DWORD REG_MULTI_SZ = 7;

inline constexpr DWORD REG_CREATED_NEW_KEY = 1;
inline constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// The calls return ERROR_SUCCESS or an error code: ERROR_FILE_NOT_FOUND for a missing key or
// value, ERROR_INVALID_HANDLE for a key that is not open, ERROR_MORE_DATA when a buffer is
// too small (with the size needed), ERROR_NO_MORE_ITEMS at the end of an enumeration, and
// ERROR_GEN_FAILURE when the database cannot be used.
LONG RegCreateKeyExW(HKEY key, const WCHAR* subKey, DWORD reserved, WCHAR* keyClass, DWORD options,
    DWORD desiredAccess, void* securityAttributes, HKEY* result, DWORD* disposition);
LONG RegOpenKeyExW(HKEY key, const WCHAR* subKey, DWORD options, DWORD desiredAccess, HKEY* result);
LONG RegCloseKey(HKEY key);
LONG RegQueryValueExW(HKEY key, const WCHAR* valueName, DWORD* reserved, DWORD* type, BYTE* data, DWORD* dataSize);
LONG RegSetValueExW(HKEY key, const WCHAR* valueName, DWORD reserved, DWORD type, const BYTE* data, DWORD dataSize);
LONG RegDeleteValueW(HKEY key, const WCHAR* valueName);
// Deletes the key with its values and subkeys.
LONG RegDeleteKeyW(HKEY key, const WCHAR* subKey);
// `nameLength` holds the buffer's size in characters and receives the name's length.
LONG RegEnumKeyExW(HKEY key, DWORD index, WCHAR* name, DWORD* nameLength, DWORD* reserved,
    WCHAR* keyClass, DWORD* classLength, void* lastWriteTime);
LONG RegFlushKey(HKEY key);

namespace platform {

enum class RegistryRoot : std::uint32_t { CurrentUser = 1, LocalMachine = 2 };

struct RegistryValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

// Convenience over the calls above, for code that is not ported from the handheld.
[[nodiscard]] std::optional<RegistryValue> readRegistryValue(
    RegistryRoot root, std::u16string_view path, std::u16string_view name);
[[nodiscard]] bool writeRegistryValue(
    RegistryRoot root, std::u16string_view path, std::u16string_view name, const RegistryValue& value);
[[nodiscard]] std::optional<DWORD> readRegistryDword(
    RegistryRoot root, std::u16string_view path, std::u16string_view name);
[[nodiscard]] bool writeRegistryDword(
    RegistryRoot root, std::u16string_view path, std::u16string_view name, DWORD value);
[[nodiscard]] std::optional<std::u16string> readRegistryString(
    RegistryRoot root, std::u16string_view path, std::u16string_view name);
[[nodiscard]] bool writeRegistryString(
    RegistryRoot root, std::u16string_view path, std::u16string_view name, std::u16string_view value);
[[nodiscard]] bool deleteRegistryValue(RegistryRoot root, std::u16string_view path, std::u16string_view name);

struct RegistryEntry {
    std::u16string name;
    RegistryValue value;
};
[[nodiscard]] std::optional<std::vector<RegistryEntry>> listRegistryValues(
    RegistryRoot root, std::u16string_view path);
[[nodiscard]] std::optional<std::vector<std::u16string>> listRegistrySubkeys(
    RegistryRoot root, std::u16string_view path);

// Watches one value. Any process that writes or deletes the value sets the watch's event;
// wait on event() with WaitForSingleObject or WaitForMultipleObjects, then call changed() to
// take the news (it tests and resets). Watches of the same value share one named event.
class RegistryWatch {
public:
    RegistryWatch(RegistryRoot root, std::u16string_view path, std::u16string_view name);
    ~RegistryWatch();
    RegistryWatch(const RegistryWatch&) = delete;
    RegistryWatch& operator=(const RegistryWatch&) = delete;

    [[nodiscard]] HANDLE event() const { return m_event.get(); }
    [[nodiscard]] bool valid() const { return bool(m_event); }
    [[nodiscard]] bool changed();

private:
    UniqueHandle m_event;
};

// Why the database cannot be used, for error messages; empty when it can.
[[nodiscard]] std::string registryProblem();

} // namespace platform
