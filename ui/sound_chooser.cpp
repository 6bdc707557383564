#include "ui/sound_chooser.h"

#include "platform/audio.h"
#include "platform/files.h"
#include "platform/locale.h"
#include "platform/text.h"
#include "store/language.h"
#include "ui/file_chooser.h"
#include "ui/resources.h"
#include "ui/string_ids.h"

#include <QComboBox>
#include <QVBoxLayout>
#include <algorithm>

namespace ui {

namespace {

// The table has no entry of its own for "no sound"; the first status bar choice is the same
// word, translated in every language the main program has.
QString noSoundText()
{
    if (hasText(ui::kStatusPartChoicesString, store::currentLanguage())) {
        const QString none = list(ui::kStatusPartChoicesString).value(0);
        if (!none.isEmpty())
            return QStringLiteral("(%1)").arg(none);
    }
    return QStringLiteral("(None)");
}

QString browseText() { return text(ui::kBrowseString); }

QString nameOf(std::u16string_view path)
{
    const auto slash = path.rfind(u'\\');
    return QString::fromStdU16String(std::u16string(slash == std::u16string_view::npos ? path : path.substr(slash + 1)));
}

} // namespace

SoundChooser::SoundChooser(QWidget* parent)
    : QWidget(parent)
    , m_list(new QComboBox(this))
{
    setObjectName(QStringLiteral("SoundChooser"));
    m_list->setObjectName(QStringLiteral("sounds"));
    m_list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_list->setMinimumContentsLength(12);
    setFocusProxy(m_list);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list);
    connect(m_list, &QComboBox::activated, this, &SoundChooser::listActivated);
    setFolder(kDefaultFolder);
}

void SoundChooser::setFolder(std::u16string_view devicePath)
{
    m_folder = devicePath;
    while (m_folder.size() > 1 && m_folder.back() == u'\\')
        m_folder.pop_back();

    const auto names = platform::soundFileNames(m_folder);

    m_paths.assign(1, std::u16string());
    for (const auto& name : names)
        m_paths.push_back(joinDevicePath(m_folder, name));
    m_position = 0;
    m_hasOutsideFile = false;
    fillList();
}

bool SoundChooser::setPath(std::u16string_view devicePath)
{
    if (devicePath.empty())
        return setPosition(0);
    const auto found = std::find_if(m_paths.begin() + 1, m_paths.end(),
        [&](const std::u16string& path) { return platform::equalsIgnoringCase(path, devicePath); });
    if (found != m_paths.end())
        return setPosition(int(found - m_paths.begin()));
    if (!platform::fileExists(devicePath))
        return false;
    // One file from elsewhere at a time: a second one takes the place of the first.
    if (m_hasOutsideFile)
        m_paths.back() = devicePath;
    else
        m_paths.emplace_back(devicePath);
    m_hasOutsideFile = true;
    m_position = count() - 1;
    fillList();
    return true;
}

bool SoundChooser::setPosition(int position)
{
    if (position < 0 || position >= count())
        return false;
    m_position = position;
    m_list->setCurrentIndex(position);
    return true;
}

void SoundChooser::fillList()
{
    const QSignalBlocker quiet(m_list);
    m_list->clear();
    m_list->addItem(noSoundText());
    for (std::size_t i = 1; i < m_paths.size(); ++i) {
        m_list->addItem(nameOf(m_paths[i]));
        m_list->setItemData(int(i), QString::fromStdU16String(m_paths[i]), Qt::ToolTipRole);
    }
    m_list->addItem(browseText());
    m_list->setCurrentIndex(m_position);
}

void SoundChooser::listActivated(int index)
{
    if (index == count()) {
        browse();
        return;
    }
    if (index < 0 || index >= count())
        return;
    m_position = index;
    emit changed(index);
}

void SoundChooser::browse()
{
    QStringList patterns;
    for (const auto pattern : platform::kSoundFilePatterns)
        patterns << QString::fromStdU16String(std::u16string(pattern));
    const std::u16string current = path();
    const std::u16string start = current.empty() ? m_folder : parentOfDevicePath(current);
    const auto chosen = chooseDeviceFile(this, text(ui::kBrowseTitleString), patterns, start);
    if (chosen && setPath(*chosen)) {
        emit changed(m_position);
        return;
    }
    // Cancelled: the list shows the sound it had, not the browse entry.
    m_list->setCurrentIndex(m_position);
}

} // namespace ui
