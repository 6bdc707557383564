#include "store/language.h"

#include "platform/files.h"
#include "platform/registry.h"
#include "store/data_files.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace store {

namespace {

std::atomic<DWORD> g_language { kEnglish };

bool validFor(LanguageReader reader, DWORD index)
{
    if (index > kRussian)
        return false;
    return reader != LanguageReader::MainProgram || index != kSpanish;
}

platform::RetryPolicy registryAttempts(LanguageReader reader)
{
    return reader == LanguageReader::Runner ? platform::RetryPolicy { 9, 100 } : platform::RetryPolicy { 4, 100 };
}

bool writeLanguageFile(DWORD index)
{
    return platform::replaceFile(DataFilePath(kLanguageFile),
        { reinterpret_cast<const std::byte*>(&index), sizeof index });
}

} // namespace

bool ReadLanguage(LanguageReader reader) { return ReadLanguage(reader, registryAttempts(reader)); }

bool ReadLanguage(LanguageReader reader, platform::RetryPolicy registryRetry)
{
    g_language = kEnglish;
    auto file = platform::File::open(DataFilePath(kLanguageFile), platform::Access::Read, platform::Share::Read,
        platform::Disposition::OpenExisting);
    if (file) {
        DWORD index = 0;
        if (!file->readExactly(&index, sizeof index) || !validFor(reader, index))
            return false;
        g_language = index;
        return true;
    }
    if (reader == LanguageReader::TodayPlugin)
        return false;
    std::optional<DWORD> stored;
    (void)platform::retry(registryRetry, [&] {
        stored = platform::readRegistryDword(platform::RegistryRoot::CurrentUser, kSuiteKey, kLanguageValue);
        return stored.has_value();
    });
    if (!stored || !validFor(reader, *stored))
        return false;
    g_language = *stored;
    (void)writeLanguageFile(*stored); // Read from the registry again next time.
    return true;
}

DWORD currentLanguage() { return g_language; }

void setCurrentLanguage(DWORD index) { g_language = index; }

bool WriteLanguage(DWORD index)
{
    const bool stored = platform::writeRegistryDword(platform::RegistryRoot::CurrentUser, kSuiteKey, kLanguageValue, index);
    const bool written = writeLanguageFile(index);
    g_language = index;
    return stored && written;
}

DWORD hostLanguage()
{
    const char* names[] = { "LC_ALL", "LC_MESSAGES", "LANG" };
    for (const char* name : names) {
        const char* value = std::getenv(name);
        if (!value || !*value)
            continue;
        const std::string_view locale(value);
        if (locale.starts_with("de"))
            return kGerman;
        if (locale.starts_with("fr"))
            return kFrench;
        if (locale.starts_with("it"))
            return kItalian;
        if (locale.starts_with("ru"))
            return kRussian;
        return kEnglish;
    }
    return kEnglish;
}

} // namespace store
