#include "tkwctl/json.h"

#include <cstdio>

namespace tkwctl {

std::string jsonString(std::string_view text)
{
    std::string out = "\"";
    for (char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                out += escaped;
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

std::string jsonArray(const std::vector<std::string>& items)
{
    std::string out = "[";
    for (std::size_t i = 0; i < items.size(); ++i)
        out += (i ? "," : "") + items[i];
    return out + "]";
}

void JsonObject::key(std::string_view name)
{
    if (!m_body.empty())
        m_body += ',';
    m_body += jsonString(name) + ':';
}

JsonObject& JsonObject::add(std::string_view name, std::string_view text)
{
    key(name);
    m_body += jsonString(text);
    return *this;
}

JsonObject& JsonObject::add(std::string_view name, std::int64_t number)
{
    key(name);
    m_body += std::to_string(number);
    return *this;
}

JsonObject& JsonObject::add(std::string_view name, bool flag)
{
    key(name);
    m_body += flag ? "true" : "false";
    return *this;
}

JsonObject& JsonObject::addRaw(std::string_view name, std::string_view json)
{
    key(name);
    m_body += json;
    return *this;
}

} // namespace tkwctl
