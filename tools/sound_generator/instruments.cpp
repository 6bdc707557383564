#include "tools/sound_generator/instruments.h"

#include "tools/sound_generator/wave_file.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <random>
#include <utility>

namespace sound_generator {

namespace {

using Signal = std::vector<double>;

constexpr double kPi = 3.14159265358979323846;
constexpr double kLn2 = 0.69314718055994530942;
// The sounds keep the top of the band, up to half the sample rate, empty: clicks would show
// there, and partials near its end would fold back as stray tones.
constexpr double kHighestPartialHz = 8000.0;

// sin(2π·turns). The C library's sin() may differ in its last bit between versions, and one
// bit can flip a rounded sample and so change a checked-in file; this series cannot.
double sineOfTurns(double turns)
{
    double x = 2.0 * kPi * (turns - std::floor(turns + 0.5)); // now in [-π, π)
    if (x > kPi / 2)
        x = kPi - x;
    else if (x < -kPi / 2)
        x = -kPi - x;
    // Taylor series to x^17 in nested form; on [-π/2, π/2] it is off by less than 1e-13.
    const double xSquared = x * x;
    double series = 1.0;
    for (int k = 8; k >= 1; --k)
        series = 1.0 - xSquared / double(2 * k * (2 * k + 1)) * series;
    return x * series;
}

// e^x, for the same reason: e^x = 2^k · e^r with |r| <= ln2/2, where the series is short.
double exponential(double x)
{
    if (x < -700.0)
        return 0.0;
    const double k = std::floor(x / kLn2 + 0.5);
    const double r = x - k * kLn2;
    double sum = 1.0;
    double term = 1.0;
    for (int n = 1; n <= 14; ++n) {
        term *= r / n;
        sum += term;
    }
    return std::ldexp(sum, static_cast<int>(k));
}

// A sine from phase zero that turns a unit phasor by a fixed angle each sample: much cheaper
// than a series per sample and just as reproducible, being multiplication and addition only.
// Over the few seconds of a sound its amplitude drifts by less than 1e-11.
class Oscillator {
public:
    explicit Oscillator(double hz)
        : m_cosineStep(sineOfTurns(hz / kSampleRateHz + 0.25))
        , m_sineStep(sineOfTurns(hz / kSampleRateHz))
    { }
    double next()
    {
        const double value = m_sine;
        m_sine = m_sine * m_cosineStep + m_cosine * m_sineStep;
        m_cosine = m_cosine * m_cosineStep - value * m_sineStep;
        return value;
    }

private:
    double m_cosineStep;
    double m_sineStep;
    double m_cosine = 1.0;
    double m_sine = 0.0;
};

// Rises from 0 to 1 with a flat start and a flat end, so an envelope has no corners.
double smoothStep(double x)
{
    return x * x * (3.0 - 2.0 * x);
}

double noteHz(int midiNote)
{
    return 440.0 * exponential((midiNote - 69) / 12.0 * kLn2);
}

std::size_t sampleAt(double seconds)
{
    return static_cast<std::size_t>(seconds * kSampleRateHz + 0.5);
}

Signal silence(double seconds)
{
    return Signal(sampleAt(seconds), 0.0);
}

// One sine component of a struck sound, relative to the note it belongs to.
struct Partial {
    double frequencyRatio;
    double level;
    double decaySeconds; // time to fall to 1/e (-8.7 dB)
};

// A struck or plucked body: a short attack (the mallet's or the pin's contact), then every
// partial rings down on its own, the high ones sooner.
struct StruckInstrument {
    std::vector<Partial> partials;
    double attackSeconds;
};

void strike(Signal& into, const StruckInstrument& instrument, double startSeconds, int midiNote,
    double level)
{
    const std::size_t first = sampleAt(startSeconds);
    for (const Partial& partial : instrument.partials) {
        const double partialHz = noteHz(midiNote) * partial.frequencyRatio;
        if (partialHz > kHighestPartialHz || first >= into.size())
            continue;
        // Twelve time constants down a partial is below -100 dB: nothing is cut off audibly.
        const std::size_t length
            = std::min(into.size() - first, sampleAt(12.0 * partial.decaySeconds));
        const double decayPerSample = exponential(-1.0 / (partial.decaySeconds * kSampleRateHz));
        double amplitude = level * partial.level;
        Oscillator oscillator(partialHz);
        for (std::size_t i = 0; i < length; ++i) {
            const double t = double(i) / kSampleRateHz;
            const double attack
                = t < instrument.attackSeconds ? smoothStep(t / instrument.attackSeconds) : 1.0;
            into[first + i] += attack * amplitude * oscillator.next();
            amplitude *= decayPerSample;
        }
    }
}

// Attack, decay, sustain and release: the shape of a held note.
struct Adsr {
    double attackSeconds;
    double decaySeconds;
    double sustainLevel; // of the peak, 0 to 1
    double releaseSeconds;
};

double heldLevel(const Adsr& adsr, double t)
{
    if (t < adsr.attackSeconds)
        return smoothStep(t / adsr.attackSeconds);
    const double intoDecay = std::min(1.0, (t - adsr.attackSeconds) / adsr.decaySeconds);
    return 1.0 - (1.0 - adsr.sustainLevel) * smoothStep(intoDecay);
}

// The release starts from wherever the note had got to, even if let go before sustaining.
double adsrLevel(const Adsr& adsr, double t, double heldSeconds)
{
    if (t < heldSeconds)
        return heldLevel(adsr, t);
    const double intoRelease = std::min(1.0, (t - heldSeconds) / adsr.releaseSeconds);
    return heldLevel(adsr, heldSeconds) * (1.0 - smoothStep(intoRelease));
}

// A held tone: harmonics of one fundamental, played twice a few cents apart so that the
// copies beat slowly and the tone sounds alive rather than electronic.
void hold(Signal& into, const std::vector<double>& harmonicLevels, const Adsr& adsr,
    double startSeconds, double heldSeconds, int midiNote, double level)
{
    const std::size_t first = sampleAt(startSeconds);
    const std::size_t length = std::min(
        into.size() - std::min(first, into.size()), sampleAt(heldSeconds + adsr.releaseSeconds));
    std::vector<std::pair<double, Oscillator>> partials;
    for (std::size_t h = 0; h < harmonicLevels.size(); ++h) {
        const double harmonicHz = noteHz(midiNote) * double(h + 1);
        if (harmonicHz * 1.002 > kHighestPartialHz)
            break;
        partials.emplace_back(0.5 * harmonicLevels[h], Oscillator(harmonicHz * 0.998));
        partials.emplace_back(0.5 * harmonicLevels[h], Oscillator(harmonicHz * 1.002));
    }
    for (std::size_t i = 0; i < length; ++i) {
        double sum = 0.0;
        for (auto& [partialLevel, oscillator] : partials)
            sum += partialLevel * oscillator.next();
        into[first + i] += level * adsrLevel(adsr, double(i) / kSampleRateHz, heldSeconds) * sum;
    }
}

// A bird's chirp: a whistle gliding from one pitch to another with a faint second
// harmonic, swelling and fading within its length.
struct Chirp {
    double startSeconds;
    double seconds;
    double fromHz;
    double toHz;
    double level;
};

void sing(Signal& into, const Chirp& chirp)
{
    const std::size_t first = sampleAt(chirp.startSeconds);
    const std::size_t length = sampleAt(chirp.seconds);
    double turns = 0.0;
    for (std::size_t i = 0; i < length && first + i < into.size(); ++i) {
        const double x = double(i) / double(length);
        const double hz = chirp.fromHz + (chirp.toHz - chirp.fromHz) * smoothStep(x);
        turns += hz / kSampleRateHz;
        turns -= std::floor(turns);
        const double swell = sineOfTurns(0.5 * x); // sin(πx): zero at both ends
        into[first + i]
            += chirp.level * swell * swell * (sineOfTurns(turns) + 0.12 * sineOfTurns(2.0 * turns));
    }
}

struct Note {
    double beat;
    int midiNote;
    double level;
};

void play(Signal& into, const StruckInstrument& instrument, double secondsPerBeat,
    std::span<const Note> notes)
{
    for (const Note& note : notes)
        strike(into, instrument, note.beat * secondsPerBeat, note.midiNote, note.level);
}

const StruckInstrument kMarimba { { { 1.0, 1.0, 0.50 }, { 3.93, 0.25, 0.12 }, { 9.2, 0.06, 0.04 } },
    0.003 };
const StruckInstrument kHandbell { { { 1.0, 1.0, 0.8 }, { 2.02, 0.15, 0.6 }, { 3.0, 0.4, 0.5 },
                                       { 4.15, 0.12, 0.25 }, { 5.43, 0.08, 0.15 },
                                       { 6.8, 0.04, 0.1 } },
    0.002 };
// A free metal bar, as in a glockenspiel or a door chime: its overtones are not harmonic.
const StruckInstrument kChimeBar {
    { { 1.0, 1.0, 0.9 }, { 2.76, 0.25, 0.3 }, { 5.40, 0.1, 0.1 }, { 8.93, 0.04, 0.05 } }, 0.0015
};
const StruckInstrument kMusicBoxTine {
    { { 1.0, 1.0, 0.9 }, { 2.0, 0.08, 0.4 }, { 5.93, 0.18, 0.06 } }, 0.0015
};
// Door-chime bars ring long; the near-unison pair gives them a slow shimmer.
const StruckInstrument kDoorChime {
    { { 1.0, 0.8, 0.8 }, { 1.003, 0.3, 0.8 }, { 2.76, 0.12, 0.25 }, { 5.40, 0.04, 0.08 } }, 0.002
};
// A small cast bell: hum, prime, minor third, fifth and nominal, then the upper partials.
const StruckInstrument kBell { { { 0.5, 0.45, 0.9 }, { 1.0, 0.3, 0.7 }, { 1.0025, 0.3, 0.7 },
                                   { 1.19, 0.35, 0.55 }, { 1.5, 0.2, 0.45 }, { 2.0, 1.0, 0.45 },
                                   { 2.51, 0.3, 0.3 }, { 2.66, 0.22, 0.25 }, { 3.01, 0.18, 0.2 },
                                   { 4.1, 0.1, 0.12 }, { 5.3, 0.05, 0.08 } },
    0.0015 };

// An arpeggio up and down F major, then up C major to ring out on the top C.
Signal marimbaArpeggio()
{
    constexpr std::array kNotes = { Note { 0, 53, 0.5 }, Note { 0, 65, 1.0 }, Note { 1, 69, 0.7 },
        Note { 2, 72, 0.8 }, Note { 3, 77, 0.7 }, Note { 4, 81, 0.9 }, Note { 5, 77, 0.7 },
        Note { 6, 72, 0.75 }, Note { 7, 69, 0.7 }, Note { 8, 48, 0.5 }, Note { 8, 67, 1.0 },
        Note { 9, 72, 0.7 }, Note { 10, 76, 0.8 }, Note { 11, 79, 0.75 }, Note { 12, 84, 0.9 } };
    Signal signal = silence(3.2);
    play(signal, kMarimba, 0.17, kNotes);
    return signal;
}

// Three handbells rung down, then again with a turn that climbs to the octave.
Signal handbellPeal()
{
    constexpr std::array kNotes = { Note { 0, 79, 1.0 }, Note { 1, 76, 0.85 }, Note { 2, 72, 0.9 },
        Note { 4, 79, 0.95 }, Note { 5, 76, 0.8 }, Note { 6, 79, 0.85 }, Note { 7, 84, 1.0 } };
    Signal signal = silence(3.9);
    play(signal, kHandbell, 0.28, kNotes);
    return signal;
}

// Three quick waves of chimes, each starting and ending higher than the last.
Signal risingChimes()
{
    constexpr std::array kNotes = { Note { 0, 74, 0.7 }, Note { 1, 78, 0.7 }, Note { 2, 81, 0.7 },
        Note { 3, 86, 0.75 }, Note { 5, 76, 0.8 }, Note { 6, 81, 0.8 }, Note { 7, 85, 0.8 },
        Note { 8, 88, 0.85 }, Note { 10, 78, 0.9 }, Note { 11, 81, 0.9 }, Note { 12, 86, 0.9 },
        Note { 13, 90, 0.95 }, Note { 14, 93, 1.0 } };
    Signal signal = silence(3.3);
    play(signal, kChimeBar, 0.15, kNotes);
    return signal;
}

// A near bird calls, trills and slurs, a farther one answers, then the first calls again.
// A fixed seed varies each chirp a little, the same way on every run.
Signal birdSong()
{
    std::minstd_rand generator(20240611);
    const auto vary = [&generator](double value, double fraction) {
        const double unit
            = double(generator() - generator.min()) / double(generator.max() - generator.min());
        return value * (1.0 + fraction * (2.0 * unit - 1.0));
    };
    Signal signal = silence(3.2);
    const auto call = [&](double startSeconds) {
        for (int i = 0; i < 3; ++i)
            sing(signal,
                { startSeconds + 0.13 * i, 0.07, vary(2300, 0.04), vary(3300, 0.04),
                    vary(0.8, 0.15) });
        for (int i = 0; i < 7; ++i)
            sing(signal,
                { startSeconds + 0.45 + 0.06 * i, 0.045, vary(3400, 0.03), vary(2500, 0.03),
                    vary(0.7, 0.15) });
    };
    call(0.05);
    sing(signal, { 1.05, 0.18, 2000, 3000, 0.7 });
    sing(signal, { 1.23, 0.24, 3000, 2200, 0.7 });
    for (int i = 0; i < 2; ++i)
        sing(signal, { 1.75 + 0.16 * i, 0.09, vary(1700, 0.03), vary(2300, 0.03), 0.35 });
    call(2.15);
    return signal;
}

// A soft open chord (root, fifth, octave) that pulses six times, a little louder each
// time, and gains a bright third for the last two pulses.
Signal warmPulses()
{
    const std::vector<double> kWarmHarmonics = { 1.0, 0.5, 0.25, 0.12, 0.06, 0.03 };
    constexpr Adsr kPulse { 0.06, 0.12, 0.7, 0.18 };
    Signal signal = silence(3.3);
    for (int pulse = 0; pulse < 6; ++pulse) {
        const double start = 0.5 * pulse;
        const double level = 0.55 + 0.09 * pulse;
        for (const int note : { 57, 64, 69 })
            hold(signal, kWarmHarmonics, kPulse, start, 0.26, note, level);
        if (pulse >= 4)
            hold(signal, kWarmHarmonics, kPulse, start, 0.26, 73, 0.6 * level);
    }
    return signal;
}

// A short tune in three time over a bass pin on each bar.
Signal musicBoxTune()
{
    constexpr std::array kNotes = { Note { 0, 72, 0.45 }, Note { 0, 79, 0.8 }, Note { 1, 84, 0.85 },
        Note { 2, 88, 0.9 }, Note { 3, 76, 0.4 }, Note { 3, 91, 1.0 }, Note { 5, 88, 0.8 },
        Note { 6, 67, 0.45 }, Note { 6, 89, 0.9 }, Note { 7, 86, 0.8 }, Note { 8, 83, 0.8 },
        Note { 9, 72, 0.5 }, Note { 9, 76, 0.45 }, Note { 9, 84, 1.0 } };
    Signal signal = silence(3.5);
    play(signal, kMusicBoxTine, 0.24, kNotes);
    return signal;
}

// Ding-dong: a major third down, as a door chime plays it.
Signal doorChime()
{
    constexpr std::array kNotes = { Note { 0, 76, 1.0 }, Note { 1, 72, 1.0 } };
    Signal signal = silence(2.4);
    play(signal, kDoorChime, 0.6, kNotes);
    return signal;
}

Signal bellStroke()
{
    Signal signal = silence(2.2);
    strike(signal, kBell, 0.0, 67, 1.0);
    return signal;
}

constexpr std::array kShippedSounds = {
    SoundRecipe { "Alarm1.wav", "marimba arpeggio", marimbaArpeggio },
    SoundRecipe { "Alarm2.wav", "handbell peal", handbellPeal },
    SoundRecipe { "Alarm3.wav", "rising chimes", risingChimes },
    SoundRecipe { "Alarm4.wav", "bird song", birdSong },
    SoundRecipe { "Alarm5.wav", "warm pulses", warmPulses },
    SoundRecipe { "Alarm6.wav", "music box", musicBoxTune },
    SoundRecipe { "Chime1.wav", "door chime", doorChime },
    SoundRecipe { "Chime2.wav", "bell stroke", bellStroke },
};

} // namespace

std::span<const SoundRecipe> shippedSounds()
{
    return kShippedSounds;
}

} // namespace sound_generator
