// Mutates valid face, pack and skin files and feeds them to the loaders and the drawing code,
// for a given number of seconds. Run under the address and undefined-behaviour sanitizers it
// finds reads out of bounds, overflows and huge allocations that hostile files could cause.
//
//     faces_fuzz <seconds> <seed file>... [--seed <number>]
//
// A seed file whose first word is 2760 is a pack or skin, any other a face. The run prints
// its random seed, so that a failure can be repeated with --seed.

#include "faces/analog_clock.h"
#include "faces/digital_clock.h"
#include "faces/face_host.h"
#include "faces/skin.h"
#include "faces/status_bar.h"

#include <QGuiApplication>
#include <QPainter>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using faces::Bytes;

Bytes readBytes(const char* file)
{
    std::ifstream in(file, std::ios::binary);
    const std::string content(
        (std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Bytes bytes(content.size());
    for (std::size_t i = 0; i < content.size(); ++i)
        bytes[i] = std::byte(content[i]);
    return bytes;
}

bool isSkin(const Bytes& bytes)
{
    return bytes.size() >= 4 && faces::wordAt(bytes, 0) == faces::kSkinRecordBytes;
}

class Mutator {
public:
    explicit Mutator(std::uint64_t seed)
        : m_random(seed)
    { }

    int below(int limit)
    {
        return std::uniform_int_distribution<int>(0, std::max(0, limit - 1))(m_random);
    }

    // Most changes go to the structure (header, tables) before `structureEnd`; some to the images.
    Bytes mutate(Bytes bytes, std::size_t headerBytes, std::size_t structureEnd)
    {
        const int rounds = 1 + below(6);
        for (int round = 0; round < rounds && !bytes.empty(); ++round) {
            const std::size_t size = below(5) == 0
                ? bytes.size()
                : std::min(bytes.size(), std::max<std::size_t>(structureEnd, 4));
            switch (below(7)) {
            case 0: // one bit
                bytes[std::size_t(below(int(size)))] ^= std::byte(1u << below(8));
                break;
            case 1: // a header word set to a value that tends to break arithmetic
            case 2: {
                const std::size_t words = std::min(headerBytes, size) / 4;
                if (words == 0)
                    break;
                static constexpr std::int64_t kInteresting[] = { 0, 1, 2, -1, -2, 11, 12, 24, 36,
                    255, 256, 688, 2760, 0x7fff, 0x8000, 0x7fffffff, -0x7fffffff - 1, 0x40000000 };
                const std::int64_t sizes[] = { std::int64_t(size), std::int64_t(size) - 1,
                    std::int64_t(size) + 4, std::int64_t(size) / 2 };
                const std::int64_t value = below(3) == 0
                    ? sizes[below(4)]
                    : kInteresting[below(int(std::size(kInteresting)))];
                faces::putWord(bytes, std::size_t(below(int(words))) * 4, std::int32_t(value));
                break;
            }
            case 3: // a word anywhere
                if (size >= 4)
                    faces::putWord(
                        bytes, std::size_t(below(int(size / 4))) * 4, std::int32_t(m_random()));
                break;
            case 4: // cut short
                bytes.resize(std::size_t(below(int(bytes.size()))));
                break;
            case 5: { // random bytes over a stretch
                const std::size_t at = std::size_t(below(int(size)));
                const std::size_t length
                    = std::min<std::size_t>(size - at, std::size_t(1 + below(16)));
                for (std::size_t i = 0; i < length; ++i)
                    bytes[at + i] = std::byte(m_random());
                break;
            }
            case 6: { // a stretch removed or doubled
                const std::size_t at = std::size_t(below(int(size)));
                const std::size_t length
                    = std::min<std::size_t>(size - at, std::size_t(1 + below(64)));
                if (below(2) == 0)
                    bytes.erase(bytes.begin() + std::ptrdiff_t(at),
                        bytes.begin() + std::ptrdiff_t(at + length));
                else {
                    const Bytes stretch(bytes.begin() + std::ptrdiff_t(at),
                        bytes.begin() + std::ptrdiff_t(at + length));
                    bytes.insert(
                        bytes.begin() + std::ptrdiff_t(at), stretch.begin(), stretch.end());
                }
                break;
            }
            }
        }
        return bytes;
    }

    SYSTEMTIME moment()
    {
        SYSTEMTIME t {};
        t.wYear = WORD(1990 + below(80));
        t.wMonth = WORD(1 + below(12));
        t.wDay = WORD(1 + below(28));
        t.wDayOfWeek = WORD(below(7));
        t.wHour = WORD(below(24));
        t.wMinute = WORD(below(60));
        t.wSecond = WORD(below(60));
        return t;
    }

private:
    std::mt19937_64 m_random;
};

long g_facesDrawn = 0;
long g_skinsDrawn = 0;

void exerciseFace(const Bytes& bytes, Mutator& random, QImage& canvas)
{
    (void)faces::parseFaceFile(bytes);
    faces::FaceHost host;
    if (!host.loadBytes(bytes, random.below(2)))
        return;
    ++g_facesDrawn;
    faces::FaceInputs inputs;
    inputs.clock.time = random.moment();
    inputs.clock.use24Hour = random.below(2) == 0;
    inputs.clock.monthFirst = random.below(2) == 0;
    inputs.clock.chimeOn = random.below(2) == 0;
    if (random.below(2) == 0)
        inputs.clock.nextAlarm = random.moment();
    inputs.offset = QPoint(random.below(61) - 30, random.below(61) - 30);
    QPainter painter(&canvas);
    host.draw(painter, inputs);
    const auto slider = host.slider();
    host.drawSpriteFrame(painter, slider.element, slider.knobFrames[0], slider.knobStart);
    (void)host.closeRect();
    (void)host.lockFont();
}

void exerciseSkin(const Bytes& pack, const Bytes& skin, Mutator& random, QImage& canvas)
{
    faces::SkinSet skins;
    const auto mode = faces::SkinMode(random.below(5));
    if (skins.loadBytes(pack, skin, mode, random.below(3)) == faces::SkinOutcome::PackUnusable)
        return;
    ++g_skinsDrawn;
    for (int i = 0; i < skins.imageCount(); ++i)
        (void)skins.image(i);
    const auto screen = random.below(2) == 0 ? faces::ScreenLayout::of(240, 320)
                                             : faces::ScreenLayout::of(320, 320);
    const SYSTEMTIME now = random.moment();
    QPainter painter(&canvas);
    faces::LargeAnalogClock(skins, faces::skin::kLargeDial, screen)
        .draw(painter, QPoint(10, 10), now);
    faces::SmallAnalogClock(skins).draw(painter, QRect(0, 0, 60, 60), now);
    faces::DigitalClockInputs digital;
    digital.localTime = now;
    digital.visitingTime = now;
    digital.dateFormat = random.below(3);
    digital.use24Hour = random.below(2) == 0;
    faces::DigitalClock(skins, screen).draw(painter, digital);
    faces::StatusBarInputs status;
    status.contents = { std::uint32_t(random.below(10)), std::uint32_t(random.below(10)),
        std::uint32_t(random.below(10)) };
    status.localTime = now;
    faces::StatusBar(skins, screen).draw(painter, status);
}

} // namespace

namespace {

int runRounds(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication application(argc, argv);
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    std::uint64_t seed = std::random_device()();
    std::vector<Bytes> facesSeeds, skinSeeds;
    double seconds = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--seed" && i + 1 < argc) {
            seed = std::strtoull(argv[++i], nullptr, 10);
        } else if (seconds == 0) {
            seconds = std::atof(argv[i]);
        } else {
            Bytes bytes = readBytes(argv[i]);
            if (bytes.empty()) {
                std::cerr << argv[i] << ": cannot read\n";
                return 2;
            }
            (isSkin(bytes) ? skinSeeds : facesSeeds).push_back(std::move(bytes));
        }
    }
    if (seconds <= 0 || (facesSeeds.empty() && skinSeeds.empty())) {
        std::cerr << "usage: faces_fuzz <seconds> <seed file>... [--seed <number>]\n";
        return 2;
    }
    std::cout << "seed " << seed << std::endl;

    Mutator random(seed);
    QImage canvas(240, 320, QImage::Format_RGB32);
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    long rounds = 0;
    while (std::chrono::steady_clock::now() < end) {
        ++rounds;
        if (!facesSeeds.empty() && (skinSeeds.empty() || random.below(2) == 0)) {
            const Bytes& face = facesSeeds[std::size_t(random.below(int(facesSeeds.size())))];
            const auto stream = std::size_t(std::max(0, faces::wordAt(face, 0)));
            exerciseFace(random.mutate(face, faces::kFaceHeaderBytes, stream), random, canvas);
        } else {
            const Bytes& pack = skinSeeds.front();
            const Bytes& skin = skinSeeds[std::size_t(random.below(int(skinSeeds.size())))];
            const bool mutatePack = random.below(4) == 0;
            const std::size_t record = std::size_t(faces::kSkinRecordBytes);
            exerciseSkin(mutatePack ? random.mutate(pack, record, record) : pack,
                random.mutate(skin, record, record), random, canvas);
        }
    }
    std::cout << rounds << " rounds without a fault (" << g_facesDrawn << " faces and "
              << g_skinsDrawn << " skins loaded and drawn)" << std::endl;
    return 0;
}

} // namespace

// The rounds run in a child process whose standard error comes through a pipe: the image
// decoders report every damaged image there, so only the last part is kept, and shown when
// the child dies - a sanitizer's finding or a crash is the last thing it wrote.
int main(int argc, char** argv)
{
    int pipe[2];
    if (::pipe(pipe) != 0)
        return runRounds(argc, argv);
    std::cout.flush();
    const pid_t child = ::fork();
    if (child < 0)
        return runRounds(argc, argv);
    if (child == 0) {
        ::dup2(pipe[1], STDERR_FILENO);
        ::close(pipe[0]);
        ::close(pipe[1]);
        return runRounds(argc, argv);
    }
    ::close(pipe[1]);
    constexpr std::size_t kKept = 64 * 1024;
    std::string tail;
    char buffer[4096];
    for (;;) {
        const ssize_t count = ::read(pipe[0], buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            break;
        tail.append(buffer, std::size_t(count));
        if (tail.size() > 2 * kKept)
            tail.erase(0, tail.size() - kKept);
    }
    ::close(pipe[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) { }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
        return 0;
    std::cerr << tail.substr(tail.size() > kKept ? tail.size() - kKept : 0);
    if (WIFSIGNALED(status))
        std::cerr << "faces_fuzz: the rounds ended with signal " << WTERMSIG(status) << "\n";
    return 1;
}
