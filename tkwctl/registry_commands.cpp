#include "tkwctl/commands.h"

#include "platform/registry.h"
#include "platform/text.h"
#include "tkwctl/json.h"

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
        DWORD number = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
        if (error != std::errc() || end != text.data() + text.size())
            return std::nullopt;
        value.type = REG_DWORD;
        value.data.resize(4);
        std::memcpy(value.data.data(), &number, 4);
        return value;
    }
    if (type == "string") {
        const auto wide = platform::toUtf16(text);
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
    if (a.words.size() < 2)
        return fail("usage: tkwctl registry list KEY | get KEY NAME | set KEY NAME TYPE VALUE | delete KEY NAME",
            kExitUsage);
    const std::string& command = a.words[0];
    const auto key = parseKey(a.words[1]);
    if (!key)
        return fail("'" + a.words[1] + "' does not start with HKCU\\ or HKLM\\", kExitUsage);
    if (const auto problem = platform::registryProblem(); !problem.empty())
        return fail("registry unavailable: " + problem);

    if (command == "list" && a.words.size() == 2) {
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
    if (command == "get" && a.words.size() == 3) {
        const auto value = platform::readRegistryValue(key->root, key->path, platform::toUtf16(a.words[2]));
        if (!value)
            return fail("no value '" + a.words[2] + "' in '" + a.words[1] + "'");
        if (a.json)
            std::printf("%s\n", valueJson(a.words[2], *value).c_str());
        else
            std::printf("%s\n", valueText(*value).c_str());
        return 0;
    }
    if (command == "set" && a.words.size() == 5) {
        const auto value = parseValue(a.words[3], a.words[4]);
        if (!value)
            return fail("'" + a.words[4] + "' is not a valid " + a.words[3] + " value (dword, string or binary hex)",
                kExitUsage);
        if (!platform::writeRegistryValue(key->root, key->path, platform::toUtf16(a.words[2]), *value))
            return fail("cannot write '" + a.words[2] + "'");
        return 0;
    }
    if (command == "delete" && a.words.size() == 3) {
        if (!platform::deleteRegistryValue(key->root, key->path, platform::toUtf16(a.words[2])))
            return fail("no value '" + a.words[2] + "' in '" + a.words[1] + "'");
        return 0;
    }
    return fail("unknown or incomplete registry command '" + command + "'", kExitUsage);
}

} // namespace tkwctl
