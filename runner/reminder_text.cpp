#include "runner/reminder_text.h"

#include "platform/calendar.h"
#include "platform/locale.h"

#include <array>
#include <string>

namespace runner {

namespace {

using Texts = std::array<std::u16string_view, 6>;

constexpr Texts kAlarmWord { u"Alarm ", u"Alarm ", u"Alarma ", u"Alarme ", u"Sveglia ", u"Будильник " };
constexpr Texts kEventWord { u"Event ", u"Ereignis ", u"Evento ", u"Événement ", u"Evento ", u"Событие " };
constexpr Texts kTimerWord { u"Timer ", u"Timer ", u"Temporizador ", u"Minuteur ", u"Timer ", u"Таймер " };
constexpr Texts kLinkText {
    u"go to...", u"Anzeigen...", u"Ir a...", u"Aller à...", u"Vai a...", u"Перейти...",
};
constexpr Texts kDateLabel { u"Date:", u"Datum:", u"Fecha:", u"Date\u00a0:", u"Data:", u"Дата:" };
constexpr Texts kTimeLabel { u"Time:", u"Zeit:", u"Hora:", u"Heure\u00a0:", u"Ora:", u"Время:" };
constexpr Texts kNoteLabel { u"Note:", u"Notiz:", u"Nota:", u"Notes\u00a0:", u"Nota:", u"Заметка:" };
constexpr Texts kDismiss { u"Dismiss", u"Abschalten", u"Apagar", u"Arrêter", u"Ignora", u"Закрыть" };
constexpr Texts kSnooze { u"Snooze", u"Schlummern", u"Posponer", u"Répéter", u"Posponi", u"Отложить" };

std::u16string_view pick(const Texts& texts, DWORD language) { return texts[language < texts.size() ? language : 0]; }

std::u16string decimal(std::uint32_t value)
{
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

} // namespace

std::u16string softKeyTitle(SoftKey key, DWORD language)
{
    return std::u16string(pick(key == SoftKey::Dismiss ? kDismiss : kSnooze, language));
}

std::u16string escapeHtml(std::u16string_view text)
{
    std::u16string escaped;
    escaped.reserve(text.size());
    for (const char16_t c : text) {
        switch (c) {
        case u'&': escaped += u"&amp;"; break;
        case u'<': escaped += u"&lt;"; break;
        case u'>': escaped += u"&gt;"; break;
        case u'"': escaped += u"&quot;"; break;
        default: escaped += c; break;
        }
    }
    return escaped;
}

std::u16string reminderHtml(ItemKind kind, std::uint32_t number, DWORD language, std::u16string_view itemTime,
    std::u16string_view today, std::u16string_view note)
{
    std::u16string html = u"<html><body>Tickwell Pro <b>";
    switch (kind) {
    case ItemKind::Event:
        html += pick(kEventWord, language);
        break;
    case ItemKind::Timer:
        html += pick(kTimerWord, language);
        html += decimal(number + 1) + u" ";
        break;
    default:
        html += pick(kAlarmWord, language);
        html += decimal(number) + u" ";
        break;
    }
    html += u" </b><a href=\"cmd:202\" align=\"right\">";
    html += pick(kLinkText, language);
    html += u"</a><br><br><b>";
    html += pick(kTimeLabel, language);
    html += u"</b> ";
    html += itemTime;
    html += u"<br><b>";
    html += pick(kDateLabel, language);
    html += u"</b> ";
    html += today;
    html += u"<br><br><b>";
    html += pick(kNoteLabel, language);
    html += u"</b> ";
    // A label is the user's own text: it must not become markup (or a command link).
    html += escapeHtml(note);
    html += u"<br><br></body></html>";
    return html;
}

std::u16string reminderItemTime(ItemKind kind, FILETIME localTime)
{
    SYSTEMTIME time { };
    if (!FileTimeToSystemTime(&localTime, &time))
        return { };
    const DWORD flags = kind == ItemKind::Timer ? 0 : TIME_NOSECONDS;
    WCHAR text[64] = { };
    if (GetTimeFormatW(LOCALE_SYSTEM_DEFAULT, flags, &time, nullptr, text, 64) == 0)
        return { };
    return text;
}

std::u16string reminderDate(const SYSTEMTIME& today)
{
    WCHAR text[64] = { };
    if (GetDateFormatW(LOCALE_USER_DEFAULT, 0, &today, u"MMM dd, yyyy", text, 64) == 0)
        return { };
    return text;
}

} // namespace runner
