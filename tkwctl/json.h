#pragma once
// A small writer of JSON objects for the --json output of tkwctl.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tkwctl {

class JsonObject {
public:
    JsonObject& add(std::string_view key, std::string_view text);
    JsonObject& add(std::string_view key, const char* text) { return add(key, std::string_view(text)); }
    JsonObject& add(std::string_view key, std::int64_t number);
    JsonObject& add(std::string_view key, bool flag);
    JsonObject& addRaw(std::string_view key, std::string_view json);
    [[nodiscard]] std::string str() const { return "{" + m_body + "}"; }

private:
    void key(std::string_view name);
    std::string m_body;
};

[[nodiscard]] std::string jsonString(std::string_view text);
[[nodiscard]] std::string jsonArray(const std::vector<std::string>& items);

} // namespace tkwctl
