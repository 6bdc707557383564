#include "platform/audio.h"

#include "platform/events.h"
#include "platform/files.h"
#include "platform/handle.h"
#include "platform/locale.h"
#include "platform/power.h"
#include "platform/registry.h"

#include <SDL.h>
#include <sndfile.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <set>
#include <sys/eventfd.h>

namespace platform {

std::vector<std::u16string> soundFileNames(std::u16string_view folder)
{
    std::vector<std::u16string> names;
    for (const auto pattern : kSoundFilePatterns) {
        const auto entries = listFolder(folder, pattern);
        if (!entries)
            continue;
        for (const auto& entry : *entries) {
            if (!entry.isFolder && entry.name.find(u'\\') == std::u16string::npos)
                names.push_back(entry.name);
        }
    }
    // Files of different kinds mix in one order, the one the user's language reads.
    const auto& locale = userLocale();
    std::stable_sort(names.begin(), names.end(), [&](const std::u16string& a, const std::u16string& b) {
        const int order = compareForLocale(a, b, locale, true);
        return order != 0 ? order < 0 : a < b;
    });
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}


namespace {

constexpr int kDeviceRate = 48000;
// Longer files are cut: alerts and chimes are short, and a decoded hour would be 1.3 GiB.
constexpr sf_count_t kMaxFrames = sf_count_t(kDeviceRate) * 60 * 20;

} // namespace

struct Voice {
    std::shared_ptr<const DecodedSound> sound;
    double position = 0; // in frames of the sound
    double step = 1;     // sound frames per device frame
    HANDLE done = nullptr;
    int endSignal = -1;  // its owner's end descriptor, made readable with `done`; or -1
    std::atomic<float> gain { 1.0f };
    std::atomic<bool> started { false }; // a first sample went out
    std::atomic<bool> ended { false };   // played to its end
};

namespace {

// The end descriptors that event loops watch: an eventfd that is readable while it is set.
UniqueFd makeEndSignal() { return UniqueFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)); }

void raiseEndSignal(int signal)
{
    if (signal >= 0)
        (void)::eventfd_write(signal, 1); // cannot fill up: it is cleared before every play
}

void clearEndSignal(int signal)
{
    eventfd_t count = 0;
    if (signal >= 0)
        (void)::eventfd_read(signal, &count); // fails, harmlessly, when it was not set
}

class Engine {
public:
    static Engine& instance()
    {
        static auto* engine = new Engine();
        return *engine;
    }

    bool play(const std::shared_ptr<Voice>& voice)
    {
        std::lock_guard lock(m_mutex);
        if (!openLocked())
            return false;
        voice->step = double(voice->sound->rate) / m_rate;
        SDL_LockAudioDevice(m_device);
        m_voices.push_back(voice);
        SDL_UnlockAudioDevice(m_device);
        SDL_PauseAudioDevice(m_device, 0);
        return true;
    }

    void stop(const std::shared_ptr<Voice>& voice)
    {
        std::lock_guard lock(m_mutex);
        if (!m_device)
            return;
        SDL_LockAudioDevice(m_device);
        const auto found = std::find(m_voices.begin(), m_voices.end(), voice);
        if (found != m_voices.end()) {
            finish(**found);
            m_voices.erase(found);
        }
        SDL_UnlockAudioDevice(m_device);
    }

    void stopAll()
    {
        std::lock_guard lock(m_mutex);
        if (!m_device)
            return;
        SDL_LockAudioDevice(m_device);
        for (auto& voice : m_voices)
            finish(*voice);
        m_voices.clear();
        SDL_UnlockAudioDevice(m_device);
    }

    int playing()
    {
        std::lock_guard lock(m_mutex);
        if (!m_device)
            return 0;
        SDL_LockAudioDevice(m_device);
        const int count = int(m_voices.size());
        SDL_UnlockAudioDevice(m_device);
        return count;
    }

    void setVolume(DWORD volume) { m_volume.store(volume); }
    DWORD volume() const { return m_volume.load(); }

    bool open()
    {
        std::lock_guard lock(m_mutex);
        return openLocked();
    }

private:
    bool openLocked()
    {
        if (m_device)
            return true;
        // SIGINT and SIGTERM stay the program's own: SDL would swallow them otherwise.
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
            return false;
        SDL_AudioSpec want { };
        want.freq = kDeviceRate;
        want.format = AUDIO_F32SYS;
        want.channels = 2;
        want.samples = 512; // about 11 ms: an alert starts at once
        want.callback = [](void* self, Uint8* stream, int bytes) {
            static_cast<Engine*>(self)->mix(reinterpret_cast<float*>(stream), bytes / int(2 * sizeof(float)));
        };
        want.userdata = this;
        SDL_AudioSpec have { };
        m_device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
        if (!m_device)
            return false;
        m_rate = have.freq;
        return true;
    }

    static void finish(Voice& voice)
    {
        if (voice.done)
            EventModify(voice.done, EVENT_SET);
        raiseEndSignal(voice.endSignal);
    }

    // Runs on SDL's audio thread with the device locked.
    void mix(float* out, int frames)
    {
        std::fill(out, out + frames * 2, 0.0f);
        const DWORD volume = m_volume.load();
        const float masterLeft = float(volume & 0xffff) / 65535.0f;
        const float masterRight = float(volume >> 16) / 65535.0f;
        for (auto it = m_voices.begin(); it != m_voices.end();) {
            Voice& voice = **it;
            const float left = masterLeft * voice.gain.load();
            const float right = masterRight * voice.gain.load();
            voice.started.store(true);
            const auto& samples = voice.sound->samples;
            const std::size_t length = samples.size() / 2;
            for (int frame = 0; frame < frames; ++frame) {
                const auto index = std::size_t(voice.position);
                if (index >= length)
                    break;
                const float fraction = float(voice.position - double(index));
                const std::size_t next = std::min(index + 1, length - 1);
                out[2 * frame] += left * (samples[2 * index] * (1 - fraction) + samples[2 * next] * fraction);
                out[2 * frame + 1] += right * (samples[2 * index + 1] * (1 - fraction) + samples[2 * next + 1] * fraction);
                voice.position += voice.step;
            }
            if (std::size_t(voice.position) >= length) {
                voice.ended.store(true);
                finish(voice);
                it = m_voices.erase(it);
            } else {
                ++it;
            }
        }
        for (int i = 0; i < frames * 2; ++i)
            out[i] = std::clamp(out[i], -1.0f, 1.0f);
    }

    std::mutex m_mutex;
    SDL_AudioDeviceID m_device = 0;
    int m_rate = kDeviceRate;
    std::vector<std::shared_ptr<Voice>> m_voices; // guarded by the device lock
    std::atomic<DWORD> m_volume { 0xffffffffu };
};

class SoundObject {
public:
    std::shared_ptr<const DecodedSound> sound;
    std::shared_ptr<Voice> voice;
    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    UniqueFd endSignal = makeEndSignal();
    ~SoundObject()
    {
        if (voice)
            Engine::instance().stop(voice);
        if (done)
            CloseHandle(done);
    }
};

std::mutex g_soundsMutex;
std::set<SoundObject*>& liveSounds()
{
    static auto* sounds = new std::set<SoundObject*>();
    return *sounds;
}

SoundObject* soundOf(HSOUND handle)
{
    auto* object = reinterpret_cast<SoundObject*>(handle);
    std::lock_guard lock(g_soundsMutex);
    return liveSounds().count(object) ? object : nullptr;
}

// The file a decoded sound came from, as it was then: a file written since is decoded anew.
struct SoundFileStamp {
    std::filesystem::path host;
    std::uintmax_t size = 0;
    std::filesystem::file_time_type written { };
    bool operator==(const SoundFileStamp&) const = default;
};

std::optional<SoundFileStamp> stampOf(const std::filesystem::path& host)
{
    std::error_code error;
    SoundFileStamp stamp { host, std::filesystem::file_size(host, error), { } };
    if (error)
        return std::nullopt;
    stamp.written = std::filesystem::last_write_time(host, error);
    if (error)
        return std::nullopt;
    return stamp;
}

// The last sound decoded, kept for the next open of the same file: an alert opens its sound
// again for every play, and the runner decodes it ahead while it waits. Long sounds are not
// kept: the memory would stay taken after they were closed.
constexpr std::size_t kMaxKeptSoundBytes = std::size_t(32) << 20; // some 90 s of 48 kHz stereo
std::mutex g_lastSoundMutex;
std::optional<SoundFileStamp> g_lastSoundStamp;
std::shared_ptr<const DecodedSound> g_lastSound;

std::shared_ptr<const DecodedSound> loadDeviceSound(const WCHAR* devicePath)
{
    if (!devicePath || !*devicePath)
        return nullptr;
    const auto host = hostPathOf(devicePath);
    if (!host)
        return nullptr;
    const auto stamp = stampOf(*host);
    if (!stamp)
        return nullptr;
    {
        std::lock_guard lock(g_lastSoundMutex);
        if (g_lastSound && g_lastSoundStamp == stamp)
            return g_lastSound;
    }
    auto decoded = decodeSoundFile(*host);
    if (!decoded)
        return nullptr;
    auto sound = std::make_shared<const DecodedSound>(std::move(*decoded));
    // A file rewritten while it was read must not be taken for the one stamped before.
    if (sound->samples.size() * sizeof(float) <= kMaxKeptSoundBytes && stampOf(*host) == stamp) {
        std::lock_guard lock(g_lastSoundMutex);
        g_lastSoundStamp = stamp;
        g_lastSound = sound;
    }
    return sound;
}

// The sound PlaySoundW plays, so that the next call (or a null one) can stop it.
std::mutex g_plainMutex;
std::shared_ptr<Voice> g_plainVoice;

} // namespace

int soundEndDescriptor(HSOUND sound)
{
    const auto* object = soundOf(sound);
    return object ? object->endSignal.get() : -1;
}

std::optional<DecodedSound> decodeSoundFile(const std::filesystem::path& file)
{
    SF_INFO info { };
    SNDFILE* handle = sf_open(file.c_str(), SFM_READ, &info);
    if (!handle)
        return std::nullopt;
    std::unique_ptr<SNDFILE, int (*)(SNDFILE*)> owner(handle, sf_close);
    if (info.channels < 1 || info.samplerate < 1000 || info.samplerate > 384000)
        return std::nullopt;
    const sf_count_t frames = std::min(info.frames > 0 ? info.frames : kMaxFrames, kMaxFrames);
    std::vector<float> raw(std::size_t(frames) * std::size_t(info.channels));
    const sf_count_t got = sf_readf_float(handle, raw.data(), frames);
    if (got <= 0)
        return std::nullopt;
    DecodedSound sound;
    sound.rate = info.samplerate;
    sound.samples.resize(std::size_t(got) * 2);
    for (sf_count_t frame = 0; frame < got; ++frame) {
        const float* in = raw.data() + frame * info.channels;
        sound.samples[std::size_t(frame) * 2] = in[0];
        sound.samples[std::size_t(frame) * 2 + 1] = info.channels > 1 ? in[1] : in[0];
    }
    return sound;
}

void reloadVolumeFromRegistry()
{
    if (const auto volume = readRegistryDword(RegistryRoot::CurrentUser, u"ControlPanel\\Volume", u"Volume"))
        Engine::instance().setVolume(*volume);
}

int playingSoundCount() { return Engine::instance().playing(); }

bool preloadSound(std::u16string_view devicePath)
{
    const std::u16string path(devicePath);
    return loadDeviceSound(path.c_str()) != nullptr;
}

bool openAudioOutput() { return Engine::instance().open(); }

namespace {

bool profileSwitch(const char16_t* name)
{
    const auto value = readRegistryDword(RegistryRoot::LocalMachine, kProfileKey, name);
    return !value || *value != 0;
}

} // namespace

bool soundApiAvailable() { return profileSwitch(u"SoundApi"); }

bool mediaPlayerAvailable() { return profileSwitch(u"MediaPlayer"); }

namespace {

// The control keeps its volume from one player to the next, as the desktop's player does.
std::atomic<int> g_mediaVolume { 50 };

} // namespace

std::unique_ptr<MediaPlayer> MediaPlayer::create()
{
    if (!mediaPlayerAvailable())
        return nullptr;
    auto player = std::unique_ptr<MediaPlayer>(new MediaPlayer());
    player->m_volume = g_mediaVolume.load();
    player->m_done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    player->m_endSignal = makeEndSignal();
    return player;
}

MediaPlayer::~MediaPlayer()
{
    close();
    if (m_done)
        CloseHandle(m_done);
}

void MediaPlayer::setVolume(int volume)
{
    m_volume = std::clamp(volume, 0, 100);
    g_mediaVolume.store(m_volume);
    if (m_voice)
        m_voice->gain.store(float(m_volume) / 100.0f);
}

bool MediaPlayer::setUrl(const std::u16string& devicePath)
{
    stop();
    m_sound = loadDeviceSound(devicePath.c_str());
    m_startSeconds = 0;
    if (m_sound && m_autoStart)
        play();
    return m_sound != nullptr;
}

void MediaPlayer::play()
{
    if (!m_sound)
        return;
    if (m_voice)
        Engine::instance().stop(m_voice);
    EventModify(m_done, EVENT_RESET);
    clearEndSignal(m_endSignal.get());
    m_voice = std::make_shared<Voice>();
    m_voice->sound = m_sound;
    m_voice->done = m_done;
    m_voice->endSignal = m_endSignal.get();
    m_voice->position = m_startSeconds * m_sound->rate;
    m_voice->gain.store(float(m_volume) / 100.0f);
    m_stopped = false;
    // Without an output device nothing ever starts: the player stays ready.
    if (!Engine::instance().play(m_voice))
        m_voice.reset();
}

void MediaPlayer::stop()
{
    if (m_voice)
        Engine::instance().stop(m_voice);
    m_stopped = true;
}

void MediaPlayer::setPosition(double seconds) { m_startSeconds = std::max(0.0, seconds); }

MediaPlayer::PlayState MediaPlayer::playState() const
{
    if (!m_sound)
        return Undefined;
    if (!m_voice)
        return Ready;
    if (m_voice->ended.load())
        return MediaEnded;
    if (m_stopped)
        return Stopped;
    return m_voice->started.load() ? Playing : Transitioning;
}

void MediaPlayer::close()
{
    stop();
    m_voice.reset();
    m_sound.reset();
}

} // namespace platform

HRESULT SndOpen(const WCHAR* soundFile, HSOUND* sound)
{
    if (!sound)
        return E_FAIL;
    *sound = nullptr;
    auto decoded = platform::loadDeviceSound(soundFile);
    if (!decoded)
        return E_FAIL;
    auto* object = new platform::SoundObject();
    object->sound = std::move(decoded);
    {
        std::lock_guard lock(platform::g_soundsMutex);
        platform::liveSounds().insert(object);
    }
    *sound = reinterpret_cast<HSOUND>(object);
    return S_OK;
}

HRESULT SndPlayAsync(HSOUND sound, DWORD)
{
    auto* object = platform::soundOf(sound);
    if (!object)
        return E_FAIL;
    if (object->voice)
        platform::Engine::instance().stop(object->voice);
    EventModify(object->done, EVENT_RESET);
    platform::clearEndSignal(object->endSignal.get());
    object->voice = std::make_shared<platform::Voice>();
    object->voice->sound = object->sound;
    object->voice->done = object->done;
    object->voice->endSignal = object->endSignal.get();
    return platform::Engine::instance().play(object->voice) ? S_OK : E_FAIL;
}

HRESULT SndGetWaitHandle(HSOUND sound, HANDLE* event)
{
    auto* object = platform::soundOf(sound);
    if (!object || !event)
        return E_FAIL;
    *event = object->done;
    return S_OK;
}

HRESULT SndStop(SND_SCOPE, HSOUND)
{
    platform::Engine::instance().stopAll();
    return S_OK;
}

HRESULT SndClose(HSOUND sound)
{
    auto* object = platform::soundOf(sound);
    if (!object)
        return E_FAIL;
    {
        std::lock_guard lock(platform::g_soundsMutex);
        platform::liveSounds().erase(object);
    }
    delete object;
    return S_OK;
}

BOOL PlaySoundW(const WCHAR* sound, void*, DWORD flags)
{
    auto& engine = platform::Engine::instance();
    std::shared_ptr<platform::Voice> previous;
    {
        std::lock_guard lock(platform::g_plainMutex);
        previous = std::exchange(platform::g_plainVoice, nullptr);
    }
    if (previous) {
        engine.stop(previous);
        CloseHandle(previous->done);
    }
    if (!sound)
        return TRUE;
    auto decoded = platform::loadDeviceSound(sound);
    if (!decoded)
        return FALSE;
    auto voice = std::make_shared<platform::Voice>();
    voice->sound = std::move(decoded);
    voice->done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!engine.play(voice)) {
        CloseHandle(voice->done);
        return FALSE;
    }
    if (flags & SND_ASYNC) {
        std::lock_guard lock(platform::g_plainMutex);
        platform::g_plainVoice = voice;
        return TRUE;
    }
    WaitForSingleObject(voice->done, INFINITE);
    CloseHandle(voice->done);
    return TRUE;
}

MMRESULT waveOutSetVolume(void* device, DWORD volume)
{
    if (device != nullptr)
        return MMSYSERR_BADDEVICEID;
    platform::Engine::instance().setVolume(volume);
    return MMSYSERR_NOERROR;
}

MMRESULT waveOutGetVolume(void* device, DWORD* volume)
{
    if (device != nullptr || !volume)
        return MMSYSERR_BADDEVICEID;
    *volume = platform::Engine::instance().volume();
    return MMSYSERR_NOERROR;
}
