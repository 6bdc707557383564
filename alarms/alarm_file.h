#pragma once
// alarms.dat as the main program loads and saves it whole, the single records the runner
// reads and writes in place, and the per-alarm sound files ("alarmsnd" + index + ".dat").
//
// Indexes here are zero-based (alarm 1 is index 0).

#include "alarms/alarm_record.h"
#include "platform/files.h"
#include "platform/retry.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace alarms {

// Every alarm of a new file: off, no weekday, no sound, an empty label, showing the plug-in
// view "Dezod" when it rings, its time today's date (of the local `now`) at 00:00:00.
void DefaultAlarms(AlarmTable& table, const SYSTEMTIME& now);

enum class LoadOutcome {
    Loaded,          // all 22800 bytes arrived
    CreatedDefaults, // there was no file: defaults are in `into` and were written
    WrongSize,       // fewer bytes arrived (logged); those that did replace the start of `into`
    Unreadable,      // the file exists but could not be opened or read; `into` is unchanged
};
[[nodiscard]] constexpr bool succeeded(LoadOutcome outcome)
{
    return outcome == LoadOutcome::Loaded || outcome == LoadOutcome::CreatedDefaults;
}

// The main program's load. Only a missing file is replaced by the defaults: a file that
// another program holds at the moment is a failed attempt, never a reason to overwrite the
// user's alarms. A short file appends "TryLoadAlarms(): dwByteCnt != sizeof(alarm_items)"
// to the diagnostic log.
[[nodiscard]] LoadOutcome LoadAlarms(AlarmTable& into, const SYSTEMTIME& now);
// LoadAlarms, tried again after a failure up to 10 more times, 100 ms apart; the last outcome.
// Callers go on with what `into` holds whatever the outcome.
LoadOutcome LoadAlarmsRetry(AlarmTable& into, const SYSTEMTIME& now,
    platform::RetryPolicy retry = platform::kDataFileRetry);

// The whole file written afresh; true only when every byte was written.
[[nodiscard]] bool SaveAlarms(const AlarmTable& table);
// SaveAlarms, retried up to 10 more times, 100 ms apart.
[[nodiscard]] bool SaveAlarmsRetry(const AlarmTable& table, platform::RetryPolicy retry = platform::kDataFileRetry);

// A reader's copy that writes nothing and logs nothing (Today plug-in, runner, tkwctl):
// true when all 22800 bytes arrived; `into` is unchanged otherwise.
// `why` tells a busy file (SharingViolation) from a missing or unreadable one; a short file
// is FileError::Io.
[[nodiscard]] bool readAlarmsFile(AlarmTable& into, platform::FileError* why = nullptr);
// One record read fresh from the file; false when the file cannot be read or is too short.
[[nodiscard]] bool readAlarm(int index, AlarmRecord& into);
// One record written in place into the existing file (never creates it).
[[nodiscard]] bool writeAlarm(int index, const AlarmRecord& alarm);

// The wake-up handle the file on disk holds for the alarm: that copy is the one the runner
// last wrote, so it names the registration really pending. 0 when the file is missing, too
// short, or stays busy through the retries.
[[nodiscard]] std::uint32_t StoredAlarmHandle(int index, platform::RetryPolicy retry = platform::kDataFileRetry);

// "alarmsnd" + index + ".dat" (no leading zero), a file name in the data directory.
[[nodiscard]] std::u16string AlarmSoundFileName(int index);

// Who reads a sound file decides what a missing one stands for.
enum class SoundReader {
    MainProgram, // "\Windows\Alarm1.wav"
    Runner,      // "\Windows\None", which plays nothing
};

// The alarm's sound path: the file's text up to its first zero, at most 259 characters.
[[nodiscard]] std::u16string ReadAlarmSound(int index, SoundReader reader);
// Replaces the sound file with the path (at most 259 characters) and its terminating zero.
[[nodiscard]] bool WriteAlarmSound(int index, std::u16string_view path);

} // namespace alarms
