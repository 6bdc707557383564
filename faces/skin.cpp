#include "faces/skin.h"

#include "platform/files.h"
#include "ui/qt_text.h"

#include <QString>

#include <algorithm>
#include <cstring>
#include <map>

namespace faces {

namespace {

bool sameNameIgnoringCase(std::u16string_view a, std::u16string_view b)
{
    return ui::qText(a).compare(ui::qText(b), Qt::CaseInsensitive) == 0;
}

std::optional<Bytes> readDeviceFile(const std::u16string& path)
{
    auto bytes = platform::readWholeFile(path, kMaxSkinFileBytes);
    if (!bytes)
        return std::nullopt;
    return std::move(*bytes);
}

// The decode set of a mode beyond the normal one.
std::vector<int> modeWords(SkinMode mode, int layoutKind)
{
    switch (mode) {
    case SkinMode::Saver:
    case SkinMode::StandardLock:
        return { skin::kSaverDial, skin::kSaverBackground };
    case SkinMode::Reminder:
        return { skin::kReminderBackground, skin::kReminderButtons, skin::kTitleAreaBackground };
    case SkinMode::CustomLock: {
        std::vector<int> words { skin::kLockTrack, skin::kLockKnob, skin::kLockPhoneIcons };
        if (layoutKind == 1)
            words.push_back(skin::kTitleAreaBackground);
        return words;
    }
    case SkinMode::Normal:
        break;
    }
    return {};
}

// Completes a skin from the pack: every image slot the skin leaves out gets the pack's
// words, and the pack's image is appended to the skin's list (once, however many slots use it).
class Completion {
public:
    Completion(SkinRecord& record, std::vector<ByteView>& images, const SkinFile& pack)
        : m_record(record)
        , m_images(images)
        , m_pack(pack)
        , m_skinCount(std::int32_t(images.size()))
    { }

    void slot(int word, int length)
    {
        if (!imageLeftOut(m_record[word], m_skinCount))
            return;
        for (int i = 0; i < length; ++i)
            m_record[word + i] = m_pack.record[word + i];
        m_record[word] = packImage(m_pack.record[word]);
    }

    void digitBlock()
    {
        if (!imageLeftOut(m_record[skin::kDigitImage], m_skinCount))
            return;
        for (int i = 0; i < skin::kDigitBlockWords; ++i)
            m_record[skin::kDigitBlock + i] = m_pack.record[skin::kDigitBlock + i];
        for (const int word : digitBlockImageWords())
            m_record[word] = packImage(m_pack.record[word]);
    }

private:
    std::int32_t packImage(std::int32_t packIndex)
    {
        if (imageLeftOut(packIndex, std::int32_t(m_pack.images.size())))
            return -1;
        const auto known = m_appended.find(packIndex);
        if (known != m_appended.end())
            return known->second;
        const auto index = std::int32_t(m_images.size());
        m_images.push_back(m_pack.images[std::size_t(packIndex)]);
        m_appended.emplace(packIndex, index);
        return index;
    }

    SkinRecord& m_record;
    std::vector<ByteView>& m_images;
    const SkinFile& m_pack;
    std::int32_t m_skinCount;
    std::map<std::int32_t, std::int32_t> m_appended;
};

} // namespace

std::optional<SkinFile> parseSkinFile(ByteView bytes)
{
    if (bytes.size() < std::size_t(kSkinRecordBytes))
        return std::nullopt;
    SkinFile file;
    std::memcpy(file.record.words.data(), bytes.data(), std::size_t(kSkinRecordBytes));
    if (file.record[skin::kRecordSize] != kSkinRecordBytes || file.record[skin::kImageCount] < 0)
        return std::nullopt;
    // The stream starts where word 0 says, which is directly after the record.
    auto stream = parseImageStream(bytes, std::size_t(file.record[skin::kRecordSize]),
        std::size_t(file.record[skin::kImageCount]));
    if (!stream)
        return std::nullopt;
    file.images = std::move(stream->entries);
    // The in-memory tables mean nothing on disk.
    file.record[skin::kImageTable] = 0;
    file.record[skin::kBitmapTable] = 0;
    return file;
}

Bytes writeSkinFile(const SkinRecord& record, const std::vector<Bytes>& images)
{
    Bytes bytes(static_cast<std::size_t>(kSkinRecordBytes));
    SkinRecord copy = record;
    copy[skin::kRecordSize] = kSkinRecordBytes;
    copy[skin::kImageCount] = std::int32_t(images.size());
    copy[skin::kImageTable] = 0;
    copy[skin::kBitmapTable] = 0;
    for (std::size_t word = 0; word < kSkinWordCount; ++word)
        putWord(bytes, word * 4, copy.words[word]);
    for (const Bytes& image : images)
        appendImageEntry(bytes, image);
    return bytes;
}

SkinSet::SkinSet() = default;
SkinSet::~SkinSet() = default;

void SkinSet::release()
{
    m_loaded = false;
    m_record = {};
    m_images.clear();
    m_decoded.clear();
    m_statusIcons.clear();
    m_skinBytes.clear();
}

SkinOutcome SkinSet::load(
    const SkinSource& source, std::u16string_view skinName, std::u16string_view defaultName)
{
    std::optional<Bytes> skinBytes;
    // A name with a folder separator cannot be a file of "skins\".
    const bool plainName = skinName.find_first_of(u"\\/") == std::u16string_view::npos;
    if (!namesDefaultSkin(skinName, defaultName) && plainName) {
        std::u16string path = source.installFolder + u"skins\\";
        path += skinName;
        path += source.scaleShift ? u".vsk" : u".qsk";
        skinBytes = readDeviceFile(path);
    }
    Bytes packBytes;
    if (!m_pack) {
        const std::u16string path
            = source.installFolder + (source.scaleShift ? u"data\\resvga.dat" : u"data\\res.dat");
        auto read = readDeviceFile(path);
        if (!read) {
            release();
            return SkinOutcome::PackUnusable;
        }
        packBytes = std::move(*read);
    }
    return loadBytes(std::move(packBytes), std::move(skinBytes), source.mode, source.layoutKind);
}

SkinOutcome SkinSet::loadBytes(
    Bytes pack, std::optional<Bytes> skinBytes, SkinMode mode, int layoutKind)
{
    release();
    // The pack is read once per process; a later call passes no pack bytes.
    if (!m_pack || !pack.empty()) {
        m_pack.reset();
        m_packBytes = std::move(pack);
        m_pack = parseSkinFile(m_packBytes);
        if (!m_pack) {
            m_packBytes.clear();
            return SkinOutcome::PackUnusable;
        }
    }

    std::optional<SkinFile> chosen;
    if (skinBytes) {
        m_skinBytes = std::move(*skinBytes);
        chosen = parseSkinFile(m_skinBytes);
        if (!chosen)
            m_skinBytes.clear();
    }
    SkinOutcome outcome = SkinOutcome::PackLook;
    if (chosen) {
        m_record = chosen->record;
        m_images = std::move(chosen->images);
        // Every mode completes the skin: an image left out would otherwise be missing from
        // the saver, reminder and lock screens too.
        Completion completion(m_record, m_images, *m_pack);
        for (const int word : onDemandImageWords())
            completion.slot(word, 1);
        for (const int word : elementWords())
            completion.slot(word, 5);
        completion.digitBlock();
        outcome = SkinOutcome::Loaded;
    } else {
        m_record = m_pack->record;
        m_images = m_pack->images;
    }
    m_record[skin::kImageCount] = std::int32_t(m_images.size());
    m_decoded.assign(m_images.size(), std::nullopt);
    m_loaded = true;
    decodeForMode(mode, layoutKind);
    return outcome;
}

void SkinSet::decodeForMode(SkinMode mode, int layoutKind)
{
    if (mode != SkinMode::Normal) {
        for (const int word : modeWords(mode, layoutKind))
            (void)imageOf(word);
        return;
    }
    std::vector<bool> onDemand(m_images.size(), false);
    for (const int word : onDemandImageWords()) {
        if (!imageLeftOut(m_record[word], imageCount()))
            onDemand[std::size_t(m_record[word])] = true;
    }
    for (std::size_t index = 0; index < m_images.size(); ++index) {
        if (!onDemand[index])
            (void)image(std::int32_t(index));
    }
    const QImage icons = withMagentaTransparent(imageOf(skin::kStatusIcons));
    constexpr int kIconFrames = 13;
    for (int frame = 0; frame < kIconFrames && !icons.isNull(); ++frame) {
        const QRect rect = frameRect(icons, kIconFrames, frame);
        m_statusIcons.push_back(rect.isEmpty() ? QImage() : icons.copy(rect));
    }
}

QImage SkinSet::image(std::int32_t index) const
{
    if (imageLeftOut(index, imageCount()))
        return {};
    auto& slot = m_decoded[std::size_t(index)];
    if (!slot)
        slot = decodeImage(m_images[std::size_t(index)]);
    return *slot;
}

ByteView SkinSet::imageBytes(std::int32_t index) const
{
    if (imageLeftOut(index, imageCount()))
        return {};
    return m_images[std::size_t(index)];
}

std::array<QImage, 2> SkinSet::amPmImages() const
{
    const QImage both = imageOf(skin::kAmPm);
    std::array<QImage, 2> halves;
    for (int i = 0; i < 2; ++i) {
        const QRect rect = frameRect(both, 2, i);
        if (!rect.isEmpty())
            halves[std::size_t(i)] = both.copy(rect);
    }
    return halves;
}

QPalette skinPalette(const SkinSet& look, QPalette palette)
{
    if (!look.loaded())
        return palette;
    const QColor window = look.colour(skin::kWindowColour);
    const QColor text = look.colour(skin::kTextColour);
    const QColor line = look.colour(skin::kLineColour);
    // Buttons a step from the window towards the line colour, so that they stand out on
    // light and dark looks alike; the frames and shadows follow from them.
    const QColor button = QColor::fromRgbF((window.redF() + line.redF()) / 2,
        (window.greenF() + line.greenF()) / 2, (window.blueF() + line.blueF()) / 2);
    // Disabled text halfway between the text and the window.
    const QColor muted = QColor::fromRgbF((window.redF() + text.redF()) / 2,
        (window.greenF() + text.greenF()) / 2, (window.blueF() + text.blueF()) / 2);
    const bool dark = window.lightnessF() < 0.5;
    for (const auto group : { QPalette::Active, QPalette::Inactive, QPalette::Disabled }) {
        const bool disabled = group == QPalette::Disabled;
        palette.setColor(group, QPalette::Window, window);
        // Fields and boxes: the window's colour on light looks; a step lighter on dark
        // ones, where the style's frames (darker than the window) would not show.
        palette.setColor(group, QPalette::Base, dark ? button : window);
        palette.setColor(group, QPalette::AlternateBase, button);
        palette.setColor(group, QPalette::Button, button);
        palette.setColor(group, QPalette::Light, dark ? line.lighter(150) : window);
        palette.setColor(group, QPalette::Midlight, dark ? line.lighter(125) : button.lighter(110));
        palette.setColor(group, QPalette::Mid, line);
        palette.setColor(group, QPalette::Dark, dark ? line.lighter(130) : line.darker(130));
        palette.setColor(group, QPalette::Shadow, dark ? QColor(Qt::black) : line.darker(200));
        for (const auto role : { QPalette::WindowText, QPalette::Text, QPalette::ButtonText })
            palette.setColor(group, role, disabled ? muted : text);
        palette.setColor(group, QPalette::PlaceholderText, muted);
        palette.setColor(group, QPalette::BrightText, look.colour(skin::kHighlightTextColour));
        palette.setColor(group, QPalette::Highlight, look.colour(skin::kHighlightColour));
        palette.setColor(group, QPalette::HighlightedText, look.colour(skin::kHighlightTextColour));
    }
    return palette;
}

bool namesDefaultSkin(std::u16string_view name, std::u16string_view defaultName)
{
    return name.empty() || sameNameIgnoringCase(name, u"Default")
        || sameNameIgnoringCase(name, defaultName);
}

SkinMenu buildSkinMenu(std::u16string_view installFolder, int scaleShift,
    std::u16string_view defaultName, std::u16string_view currentSkin)
{
    SkinMenu menu;
    menu.entries.push_back({ std::u16string(defaultName), kFirstSkinCommand });
    std::u16string folder(installFolder);
    folder += u"skins\\";
    const auto files = platform::listFolder(folder, scaleShift ? u"*.vsk" : u"*.qsk");
    for (const auto& file : files.value_or(std::vector<platform::FolderEntry> {})) {
        if (file.isFolder)
            continue;
        if (kFirstSkinCommand + int(menu.entries.size()) > kLastSkinCommand)
            break;
        const auto dot = file.name.rfind(u'.');
        menu.entries.push_back(
            { file.name.substr(0, dot), kFirstSkinCommand + int(menu.entries.size()) });
    }
    if (namesDefaultSkin(currentSkin, defaultName)) {
        menu.checked = 0;
    } else {
        for (std::size_t i = 1; i < menu.entries.size(); ++i) {
            if (sameNameIgnoringCase(menu.entries[i].name, currentSkin)) {
                menu.checked = int(i);
                break;
            }
        }
    }
    return menu;
}

std::optional<std::u16string> skinChoice(const SkinMenu& menu, int command,
    std::u16string_view currentSkin, std::u16string_view defaultName)
{
    const auto entry = std::find_if(menu.entries.begin(), menu.entries.end(),
        [command](const SkinMenuEntry& e) { return e.command == command; });
    if (entry == menu.entries.end())
        return std::nullopt;
    std::u16string name = entry->name.substr(0, kSkinNameChars);
    const bool pickedDefault = entry->command == kFirstSkinCommand;
    const bool unchanged = pickedDefault
        ? namesDefaultSkin(currentSkin, defaultName)
        : !namesDefaultSkin(currentSkin, defaultName) && sameNameIgnoringCase(name, currentSkin);
    if (unchanged)
        return std::nullopt;
    return name;
}

} // namespace faces
