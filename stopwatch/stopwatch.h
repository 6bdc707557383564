#pragma once
// The stopwatch of a program: its state in that program's copy of the settings record, the
// split list of stopwatch.dat and the counter of the next split's label. The main program
// and tkwctl both change it through this class, so a split taken on the command line is the
// same split the Stopwatch view takes.
//
// Every change is one edit: stopwatch.dat's edit lock, then settings.dat's, held while the
// files are read again (another program may have changed them since), changed and written.
// Only the two stopwatch fields of settings.dat are written; every other field stays as the
// file has it.

#include "platform/edit_lock.h"
#include "stopwatch/split_file.h"
#include "stopwatch/stopwatch_clock.h"
#include "store/settings.h"

#include <cstdint>
#include <optional>

namespace stopwatch {

enum class EditOutcome {
    Done,
    Busy, // another program kept stopwatch.dat or settings.dat for the whole wait
    NotSaved, // a file could not be written (the change stays in this program's copy)
    Refused, // nothing to do: a split while not running, a split that is gone
};

class Stopwatch {
public:
    // `settings` is the program's copy of the settings record (store::settings() in the
    // main program); it outlives the stopwatch.
    explicit Stopwatch(store::SettingsRecord& settings);

    // Takes what another program changed: the two fields from settings.dat (when it can be
    // read whole) and the splits from stopwatch.dat (the first time, and whenever it can be
    // read). True when anything shown changed. Reads only; takes no lock.
    bool syncWithDisk();
    // Whether syncWithDisk has read stopwatch.dat in this run.
    [[nodiscard]] bool splitsLoaded() const { return m_splitsLoaded; }
    // How the last read of stopwatch.dat went.
    [[nodiscard]] SplitFileStatus lastSplitRead() const { return m_lastSplitRead; }

    [[nodiscard]] StopwatchState state() const;
    [[nodiscard]] Phase phase() const { return phaseOf(state()); }
    [[nodiscard]] std::uint64_t elapsedTicksAt(std::uint64_t nowUniversalTicks) const
    {
        return elapsedTicks(state(), nowUniversalTicks);
    }
    [[nodiscard]] const SplitList& splits() const { return m_splits; }
    // The number the next split's label gets.
    [[nodiscard]] unsigned nextSplitNumber() const;

    // `StartStop`, the first button.
    EditOutcome StartStop(std::uint64_t nowUniversalTicks);
    // The first button only when it says "Start"/"Resume" (Refused while running), or only
    // when it says "Stop" (Refused unless running): a command line's start and stop.
    EditOutcome Start(std::uint64_t nowUniversalTicks);
    EditOutcome Stop(std::uint64_t nowUniversalTicks);
    // `Split`: appends ("Split NN", the display's text at `now` with `hundredths`); only
    // while running.
    EditOutcome Split(std::uint64_t nowUniversalTicks, int hundredths);
    // `Reset`: not running, nothing elapsed. The splits stay.
    EditOutcome Reset();
    // `DeleteSplit`: removes entry `index`, which must still be `expected` (another program
    // may have changed the list since it was shown). An emptied list numbers from 1 again.
    EditOutcome DeleteSplit(std::size_t index, const ::stopwatch::Split& expected);
    // `DeleteAllSplits`: no splits; the next is Split 01.
    EditOutcome DeleteAllSplits();

private:
    struct Locks {
        platform::EditLock splits;
        platform::EditLock settings;
    };
    [[nodiscard]] std::optional<Locks> lock() const;
    [[nodiscard]] bool storeState(const StopwatchState& state);
    void setState(const StopwatchState& state);
    [[nodiscard]] EditOutcome saveSplitList();
    enum class Want { Either, Running, NotRunning };
    EditOutcome turn(std::uint64_t nowUniversalTicks, Want want);

    store::SettingsRecord& m_settings;
    SplitList m_splits;
    bool m_splitsLoaded = false;
    SplitFileStatus m_lastSplitRead = SplitFileStatus::Missing;
    unsigned m_splitCounter = 1;
};

} // namespace stopwatch
