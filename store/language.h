#pragma once
// The user-interface language: lang.dat (one 32-bit index) and its source, the registry
// value "Lang". Every localised resource is the English one plus this index.

#include "platform/retry.h"
#include "platform/types.h"

namespace store {

enum Language : DWORD {
    kEnglish = 0,
    kGerman = 1,
    kSpanish = 2, // texts only in the runner and the Today plug-in
    kFrench = 3,
    kItalian = 4,
    kRussian = 5,
};

enum class LanguageReader {
    MainProgram, // lang.dat, else the registry (5 attempts, 100 ms apart); Spanish is invalid
    Runner,      // lang.dat, else the registry (10 attempts); Spanish is valid
    TodayPlugin, // lang.dat only; Spanish is valid
};

// Reads the language into this process's index; false (and English) when it cannot be had.
// `registryRetry` overrides the reader's registry attempts (tests shorten them).
bool ReadLanguage(LanguageReader reader);
bool ReadLanguage(LanguageReader reader, platform::RetryPolicy registryRetry);

// This process's language index (English until ReadLanguage succeeds).
[[nodiscard]] DWORD currentLanguage();
void setCurrentLanguage(DWORD index);

// Stores the index in the registry value "Lang" and in lang.dat (the preferences call it
// and then reset the cities of the settings record to the language's defaults).
bool WriteLanguage(DWORD index);

// The language the host's locale asks for (LC_ALL, LC_MESSAGES, LANG): German, French,
// Italian, Russian, else English.
[[nodiscard]] DWORD hostLanguage();

} // namespace store
