#pragma once
// Sound output: the shell's sound API, the simple wave call and the wave-output volume,
// over one SDL audio device per process with libsndfile decoding (WAV, FLAC, OGG, and MP3
// where libsndfile reads it). With SDL's disk driver (SDL_AUDIODRIVER=disk) everything that
// plays is written to a file, which is how the tests listen.

#include "platform/types.h"
#include "platform/unique_fd.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <optional>
#include <vector>

using HRESULT = std::int32_t;
inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT E_FAIL = std::int32_t(0x80004005u);

struct HSOUND__;
using HSOUND = HSOUND__*;

enum SND_SCOPE { SND_SCOPE_PROCESS = 0x1 };

// Opens a sound file (device path); the sound plays with SndPlayAsync.
HRESULT SndOpen(const WCHAR* soundFile, HSOUND* sound);
HRESULT SndPlayAsync(HSOUND sound, DWORD flags);
// An event that is set when the sound has played to its end (or was stopped).
HRESULT SndGetWaitHandle(HSOUND sound, HANDLE* event);
// Stops every sound of this process (SND_SCOPE_PROCESS).
HRESULT SndStop(SND_SCOPE scope, HSOUND reserved);
HRESULT SndClose(HSOUND sound);

inline constexpr DWORD SND_SYNC = 0x0;
inline constexpr DWORD SND_ASYNC = 0x1;
inline constexpr DWORD SND_NODEFAULT = 0x2;
inline constexpr DWORD SND_FILENAME = 0x20000;
// Plays a file (device path) to its end (SND_SYNC) or in the background (SND_ASYNC); a
// null sound stops what PlaySoundW started.
BOOL PlaySoundW(const WCHAR* sound, void* module, DWORD flags);

using MMRESULT = UINT;
inline constexpr MMRESULT MMSYSERR_NOERROR = 0;
inline constexpr MMRESULT MMSYSERR_BADDEVICEID = 2;
// Device 0's volume: the low word the left channel, the high word the right, 0 to 0xFFFF.
// It is the engine's master gain.
MMRESULT waveOutSetVolume(void* device, DWORD volume);
MMRESULT waveOutGetVolume(void* device, DWORD* volume);

namespace platform {

// The sound files a device folder offers, by these patterns in this order.
inline constexpr std::u16string_view kSoundFilePatterns[] = { u"*.wav", u"*.mp3", u"*.ogg", u"*.flac" };

// The names of the sound files in a device folder, each once, in the order the user's
// language reads them; none when the folder is missing or unreadable.
[[nodiscard]] std::vector<std::u16string> soundFileNames(std::u16string_view folder);


// A decoded sound: interleaved stereo float samples at `rate`.
struct DecodedSound {
    int rate = 0;
    std::vector<float> samples;
    [[nodiscard]] double seconds() const { return rate ? double(samples.size() / 2) / rate : 0.0; }
};

// A descriptor that turns readable when the sound has played to its end or was stopped (the
// moments its wait handle is set), for an event loop to watch instead of waiting on the
// handle; it stays readable until the sound plays again. It belongs to the sound, which
// SndClose closes with it; -1 for a handle that is not an open sound.
[[nodiscard]] int soundEndDescriptor(HSOUND sound);

// Decodes a file (host path); nullopt when it cannot be read.
[[nodiscard]] std::optional<DecodedSound> decodeSoundFile(const std::filesystem::path& file);

// Re-reads "ControlPanel\Volume" "Volume" (HKCU) into the master gain, as the audio layer
// does when asked to take the registry's volume settings.
void reloadVolumeFromRegistry();

// How many sounds play now (all sources).
[[nodiscard]] int playingSoundCount();

// Getting ready for a sound that is to start without delay. preloadSound decodes a file
// (device path) and keeps it, so that the next SndOpen, PlaySoundW or MediaPlayer of the
// same, unchanged file takes it as it is (one file is kept: the last decoded); false when it
// cannot be read. openAudioOutput opens the output device, silent until a sound plays;
// false when there is none.
bool preloadSound(std::u16string_view devicePath);
bool openAudioOutput();

// Whether the device offers the shell's sound API and the media player (the profile's
// "SoundApi" and "MediaPlayer" values; both on unless set to 0).
[[nodiscard]] bool soundApiAvailable();
[[nodiscard]] bool mediaPlayerAvailable();

struct Voice;

// The media-player control: a player with its own volume (0-100), a URL, and the controls
// stop, play and position. Its play state reads as the control's does.
class MediaPlayer {
public:
    enum PlayState { Undefined = 0, Stopped = 1, Paused = 2, Playing = 3, Transitioning = 9, MediaEnded = 8, Ready = 10 };

    // nullptr when the device has no media player.
    [[nodiscard]] static std::unique_ptr<MediaPlayer> create();
    ~MediaPlayer();

    void setAutoStart(bool autoStart) { m_autoStart = autoStart; }
    [[nodiscard]] int volume() const { return m_volume; }
    void setVolume(int volume);
    // Loads a device path; the state becomes Ready, or false when it cannot be read.
    [[nodiscard]] bool setUrl(const std::u16string& devicePath);
    void play();
    void stop();
    void setPosition(double seconds);
    [[nodiscard]] PlayState playState() const;
    // Turns readable when a play has ended or was stopped, until the next play; the player's
    // own, -1 when it could not be made.
    [[nodiscard]] int endDescriptor() const { return m_endSignal.get(); }
    void close();

private:
    MediaPlayer() = default;
    std::shared_ptr<const DecodedSound> m_sound;
    std::shared_ptr<Voice> m_voice;
    HANDLE m_done = nullptr;
    UniqueFd m_endSignal; // readable while m_done is set
    bool m_autoStart = true;
    bool m_stopped = false;
    int m_volume = 50;
    double m_startSeconds = 0;
};

} // namespace platform
