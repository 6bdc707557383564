#include "events/event_record.h"

#include <algorithm>
#include <iterator>
#include <string>

namespace events {

namespace {

std::u16string decimal(std::uint32_t value)
{
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

} // namespace

std::u16string EventSoundFileName(std::uint32_t eventId) { return u"es" + decimal(eventId) + u".dat"; }

std::u16string noteFileName(std::uint32_t noteId) { return decimal(noteId) + u".dat"; }

std::u16string eventName(const EventRecord& record)
{
    const auto end = std::find(std::begin(record.name), std::end(record.name), u'\0');
    return std::u16string(std::begin(record.name), end);
}

void setEventName(EventRecord& record, std::u16string_view name)
{
    std::fill(std::begin(record.name), std::end(record.name), u'\0');
    std::copy_n(name.begin(), std::min(name.size(), kMaxEventNameChars), record.name);
}

} // namespace events
