#include "stopwatch/stopwatch.h"

#include "platform/files.h"
#include "platform/locale.h"
#include "store/data_edit.h"
#include "store/data_files.h"
#include "store/language.h"

#include <algorithm>
#include <cstring>

namespace stopwatch {

namespace {

enum class DiskRecord { Read, Missing, Unusable };

DiskRecord readSettingsRecord(store::SettingsRecord& into)
{
    const std::u16string path = store::DataFilePath(store::kSettingsFile);
    platform::FileError why = platform::FileError::None;
    const auto bytes = platform::readWholeFile(path, sizeof into, &why);
    if (!bytes) {
        const bool missing
            = why == platform::FileError::NotFound || why == platform::FileError::PathNotFound;
        return missing ? DiskRecord::Missing : DiskRecord::Unusable;
    }
    if (bytes->size() != sizeof into)
        return DiskRecord::Unusable;
    std::memcpy(&into, bytes->data(), sizeof into);
    return DiskRecord::Read;
}

StopwatchState stateOf(const store::SettingsRecord& record)
{
    return { record.stopwatchRunning != 0, ticksOf(record.stopwatchStart) };
}

} // namespace

Stopwatch::Stopwatch(store::SettingsRecord& settings)
    : m_settings(settings)
{ }

StopwatchState Stopwatch::state() const
{
    return stateOf(m_settings);
}

void Stopwatch::setState(const StopwatchState& state)
{
    m_settings.stopwatchRunning = state.running ? 1 : 0;
    m_settings.stopwatchStart = fileTimeOf(state.start);
}

bool Stopwatch::syncWithDisk()
{
    bool changed = false;
    store::SettingsRecord disk {};
    if (readSettingsRecord(disk) == DiskRecord::Read && stateOf(disk) != state()) {
        setState(stateOf(disk));
        changed = true;
    }
    SplitFileRead read = LoadSplits();
    // An unreadable file is no empty list: what this program shows stays.
    if (read.status != SplitFileStatus::Unreadable) {
        if (read.splits != m_splits) {
            m_splits = std::move(read.splits);
            changed = true;
        }
        if (m_splits.empty())
            m_splitCounter = 1;
    }
    m_lastSplitRead = read.status;
    m_splitsLoaded = true;
    return changed;
}

unsigned Stopwatch::nextSplitNumber() const
{
    // The labels on file go on from where they are, also after a restart and when another
    // program (tkwctl) took the last split: a list never shows the same label twice.
    unsigned highest = 0;
    for (const auto& split : m_splits)
        highest = std::max(highest, splitNumberOf(split.label));
    return std::max(m_splitCounter, highest + 1);
}

std::optional<Stopwatch::Locks> Stopwatch::lock() const
{
    // Always stopwatch.dat before settings.dat; nothing else takes both.
    auto splits = store::editDataFile(store::kStopwatchFile);
    if (!splits)
        return std::nullopt;
    auto settings = store::editDataFile(store::kSettingsFile);
    if (!settings)
        return std::nullopt;
    return Locks { std::move(*splits), std::move(*settings) };
}

bool Stopwatch::storeState(const StopwatchState& state)
{
    store::SettingsRecord record {};
    switch (readSettingsRecord(record)) {
    case DiskRecord::Read:
        break;
    case DiskRecord::Missing:
        // No file yet: this program's copy is the record.
        record = m_settings;
        break;
    case DiskRecord::Unusable:
        // Never replace a file we could not read with a record of our own making.
        return false;
    }
    record.stopwatchRunning = state.running ? 1 : 0;
    record.stopwatchStart = fileTimeOf(state.start);
    return store::SaveSettings(record);
}

EditOutcome Stopwatch::saveSplitList()
{
    return SaveSplits(m_splits) ? EditOutcome::Done : EditOutcome::NotSaved;
}

EditOutcome Stopwatch::StartStop(std::uint64_t nowUniversalTicks)
{
    return turn(nowUniversalTicks, Want::Either);
}

EditOutcome Stopwatch::Start(std::uint64_t nowUniversalTicks)
{
    return turn(nowUniversalTicks, Want::NotRunning);
}

EditOutcome Stopwatch::Stop(std::uint64_t nowUniversalTicks)
{
    return turn(nowUniversalTicks, Want::Running);
}

EditOutcome Stopwatch::turn(std::uint64_t nowUniversalTicks, Want want)
{
    const auto locks = lock();
    if (!locks)
        return EditOutcome::Busy;
    (void)syncWithDisk();
    if ((want == Want::Running && !state().running)
        || (want == Want::NotRunning && state().running))
        return EditOutcome::Refused;
    const StopwatchState next = startStop(state(), nowUniversalTicks);
    setState(next);
    return storeState(next) ? EditOutcome::Done : EditOutcome::NotSaved;
}

EditOutcome Stopwatch::Reset()
{
    const auto locks = lock();
    if (!locks)
        return EditOutcome::Busy;
    (void)syncWithDisk();
    setState({});
    return storeState({}) ? EditOutcome::Done : EditOutcome::NotSaved;
}

EditOutcome Stopwatch::Split(std::uint64_t nowUniversalTicks, int hundredths)
{
    const auto locks = lock();
    if (!locks)
        return EditOutcome::Busy;
    (void)syncWithDisk();
    if (!state().running)
        return EditOutcome::Refused;
    const unsigned number = nextSplitNumber();
    const auto elapsed = Elapsed(elapsedTicksAt(nowUniversalTicks));
    m_splits.push_back({ splitLabel(number, store::currentLanguage()),
        displayText(elapsed, hundredths, platform::userLocale()) });
    m_splitCounter = number + 1;
    return saveSplitList();
}

EditOutcome Stopwatch::DeleteSplit(std::size_t index, const ::stopwatch::Split& expected)
{
    const auto locks = lock();
    if (!locks)
        return EditOutcome::Busy;
    (void)syncWithDisk();
    if (index >= m_splits.size() || m_splits[index] != expected) {
        const auto found = std::find(m_splits.begin(), m_splits.end(), expected);
        if (found == m_splits.end())
            return EditOutcome::Refused;
        index = std::size_t(found - m_splits.begin());
    }
    m_splits.erase(m_splits.begin() + std::ptrdiff_t(index));
    if (m_splits.empty())
        m_splitCounter = 1;
    return saveSplitList();
}

EditOutcome Stopwatch::DeleteAllSplits()
{
    const auto locks = lock();
    if (!locks)
        return EditOutcome::Busy;
    (void)syncWithDisk();
    m_splits.clear();
    m_splitCounter = 1;
    return saveSplitList();
}

} // namespace stopwatch
