#include "tkwctl/commands.h"

#include "platform/registry.h"
#include "platform/text.h"
#include "tkwctl/json.h"
#include "tkwctl/options.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>

namespace tkwctl {

namespace {

struct KeyPath {
    platform::RegistryRoot root;
    std::u16string path;
};

std::optional<KeyPath> parseKey(const std::string& text)
{
    const auto cut = text.find('\\');
    const std::string head = text.substr(0, cut);
    const std::string rest = cut == std::string::npos ? std::string() : text.substr(cut + 1);
    if (head == "HKCU" || head == "HKEY_CURRENT_USER")
        return KeyPath { platform::RegistryRoot::CurrentUser, platform::toUtf16(rest) };
    if (head == "HKLM" || head == "HKEY_LOCAL_MACHINE")
        return KeyPath { platform::RegistryRoot::LocalMachine, platform::toUtf16(rest) };
    return std::nullopt;
}

const char* typeName(DWORD type)
{
    switch (type) {
    case REG_SZ: return "string";
    case REG_DWORD: return "dword";
    case REG_BINARY: return "binary";
    case REG_MULTI_SZ: return "multi-string";
    default: return "other";
    }
}

std::string valueText(const platform::RegistryValue& value)
{
    if (value.type == REG_DWORD && value.data.size() == 4) {
        DWORD number;
        std::memcpy(&number, value.data.data(), 4);
        return std::to_string(number);
    }
    if (value.type == REG_SZ || value.type == REG_MULTI_SZ) {
        std::u16string text(value.data.size() / 2, u'\0');
        std::memcpy(text.data(), value.data.data(), text.size() * 2);
        while (!text.empty() && text.back() == u'\0')
            text.pop_back();
        for (auto& c : text) {
            if (c == u'\0')
                c = u'|'; // the separator of a multi-string
        }
        return platform::toUtf8(text);
    }
    std::string hex;
    char pair[4];
    for (BYTE b : value.data) {
        std::snprintf(pair, sizeof pair, "%02x", b);
        hex += pair;
    }
    return hex;
}

std::string valueJson(const std::string& name, const platform::RegistryValue& value)
{
    return JsonObject().add("name", name).add("type", typeName(value.type)).add("value", valueText(value)).str();
}

std::optional<platform::RegistryValue> parseValue(const std::string& type, const std::string& text)
{
    platform::RegistryValue value;
    if (type == "dword") {
        const auto whole = wholeNumber(text, 0, 0xffffffff);
        if (!whole)
            return std::nullopt;
        const DWORD number = DWORD(*whole);
        value.type = REG_DWORD;
        value.data.resize(4);
        std::memcpy(value.data.data(), &number, 4);
        return value;
    }
    if (type == "string") {
        std::u16string wide;
        if (readText("the value", text, 0, TextKind::Paragraphs, wide))
            return std::nullopt;
        value.type = REG_SZ;
        value.data.resize((wide.size() + 1) * 2, 0);
        std::memcpy(value.data.data(), wide.data(), wide.size() * 2);
        return value;
    }
    if (type == "binary") {
        if (text.size() % 2 != 0)
            return std::nullopt;
        value.type = REG_BINARY;
        for (std::size_t i = 0; i < text.size(); i += 2) {
            unsigned byte = 0;
            const auto [end, error] = std::from_chars(text.data() + i, text.data() + i + 2, byte, 16);
            if (error != std::errc() || end != text.data() + i + 2)
                return std::nullopt;
            value.data.push_back(BYTE(byte));
        }
        return value;
    }
    return std::nullopt;
}

} // namespace

int runRegistry(const Arguments& a)
{
    constexpr const char* kUsage
        = "usage: tkwctl registry list KEY | get KEY NAME | set KEY NAME dword|string|binary VALUE | delete KEY NAME";
    const std::string command = a.words.empty() ? std::string() : a.words[0];
    const std::size_t wordCount = command == "list" ? 2 : command == "get" || command == "delete" ? 3 : 5;
    if (command != "list" && command != "get" && command != "set" && command != "delete")
        return fail((command.empty() ? std::string() : unknownCommand(command, "registry") + "\n") + kUsage,
            kExitUsage);
    if (const auto problem = noMoreWords(a.words, wordCount, "registry " + command))
        return fail(*problem, kExitUsage);
    if (a.words.size() < wordCount)
        return fail("'registry " + command + "' needs " + std::to_string(wordCount - 1) + " arguments\n" + kUsage,
            kExitUsage);
    // Keys and names are text of the device: the words must be UTF-8 and hold no control characters.
    std::u16string checked;
    for (std::size_t i = 1; i < std::min<std::size_t>(wordCount, 4); ++i) {
        if (const auto problem = readText(i == 1 ? "the key" : i == 2 ? "the value name" : "the type", a.words[i], 0,
                TextKind::Line, checked))
            return fail(*problem, kExitUsage);
    }
    const auto key = parseKey(a.words[1]);
    if (!key)
        return fail(inQuotes(a.words[1]) + " does not start with HKCU\\ or HKLM\\", kExitUsage);
    std::optional<platform::RegistryValue> newValue;
    if (command == "set") {
        const std::string& type = a.words[3];
        if (type != "dword" && type != "string" && type != "binary")
            return fail("unknown value type " + inQuotes(type) + " (dword, string or binary)", kExitUsage);
        newValue = parseValue(a.words[3], a.words[4]);
        if (!newValue)
            return fail(inQuotes(a.words[4]) + " is not a valid " + a.words[3] + " value (dword: 0 to 4294967295,"
                    " string: UTF-8 text, binary: pairs of hex digits)",
                kExitUsage);
    }
    if (const auto problem = platform::registryProblem(); !problem.empty())
        return fail("registry unavailable: " + problem);

    if (command == "list") {
        const auto values = platform::listRegistryValues(key->root, key->path);
        const auto subkeys = platform::listRegistrySubkeys(key->root, key->path);
        if (!values || !subkeys)
            return fail("no key '" + a.words[1] + "'");
        std::vector<std::string> valueItems, keyItems;
        for (const auto& entry : *values) {
            const std::string name = platform::toUtf8(entry.name);
            if (a.json)
                valueItems.push_back(valueJson(name, entry.value));
            else
                std::printf("%s = %s (%s)\n", name.empty() ? "(default)" : name.c_str(),
                    valueText(entry.value).c_str(), typeName(entry.value.type));
        }
        for (const auto& subkey : *subkeys) {
            if (a.json)
                keyItems.push_back(jsonString(platform::toUtf8(subkey)));
            else
                std::printf("%s\\\n", platform::toUtf8(subkey).c_str());
        }
        if (a.json)
            std::printf("%s\n", JsonObject().addRaw("values", jsonArray(valueItems))
                .addRaw("subkeys", jsonArray(keyItems)).str().c_str());
        return 0;
    }
    if (command == "get") {
        const auto value = platform::readRegistryValue(key->root, key->path, platform::toUtf16(a.words[2]));
        if (!value)
            return fail("no value '" + a.words[2] + "' in '" + a.words[1] + "'");
        if (a.json)
            std::printf("%s\n", valueJson(a.words[2], *value).c_str());
        else
            std::printf("%s\n", valueText(*value).c_str());
        return 0;
    }
    if (command == "set") {
        if (!platform::writeRegistryValue(key->root, key->path, platform::toUtf16(a.words[2]), *newValue))
            return fail("cannot write '" + a.words[2] + "'");
        return 0;
    }
    if (!platform::deleteRegistryValue(key->root, key->path, platform::toUtf16(a.words[2])))
        return fail("no value '" + a.words[2] + "' in '" + a.words[1] + "'");
    return 0;
}

} // namespace tkwctl
