#include "ui/file_chooser.h"

#include "platform/files.h"
#include "platform/locale.h"
#include "platform/text.h"
#include "ui/dialogs.h"
#include "ui/resources.h"
#include "ui/string_ids.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace ui {

namespace {

constexpr int kIsFolderRole = Qt::UserRole;

QString defaultTitle() { return text(kExecutableFileTitleString); }

QStringList normalisedPatterns(const QStringList& patterns)
{
    QStringList out;
    for (const QString& pattern : patterns) {
        if (pattern.isEmpty())
            continue;
        out << (pattern.startsWith(u'.') ? QStringLiteral("*") + pattern : pattern);
    }
    if (out.isEmpty())
        out << QStringLiteral("*.exe");
    return out;
}

bool matchesAny(std::u16string_view name, const QStringList& patterns)
{
    return std::any_of(patterns.begin(), patterns.end(),
        [&](const QString& pattern) { return platform::matchesPattern(name, pattern.toStdU16String()); });
}

} // namespace

std::u16string joinDevicePath(std::u16string_view folder, std::u16string_view name)
{
    std::u16string path(folder);
    if (path.empty() || path.back() != u'\\')
        path += u'\\';
    path += name;
    return path;
}

std::u16string parentOfDevicePath(std::u16string_view path)
{
    while (path.size() > 1 && path.back() == u'\\')
        path.remove_suffix(1);
    const auto slash = path.rfind(u'\\');
    if (slash == std::u16string_view::npos || slash == 0)
        return u"\\";
    return std::u16string(path.substr(0, slash));
}

FileChooser::FileChooser(QWidget* parent, const QString& title, const QStringList& patterns, std::u16string_view startFolder)
    : QDialog(parent)
    , m_patterns(normalisedPatterns(patterns))
{
    setObjectName(QStringLiteral("FileChooser"));
    setWindowTitle(title.isEmpty() ? defaultTitle() : title);

    m_folderLabel = new QLabel(this);
    m_folderLabel->setObjectName(QStringLiteral("folder"));
    m_folderLabel->setTextFormat(Qt::PlainText);
    m_up = new QToolButton(this);
    m_up->setObjectName(QStringLiteral("up"));
    m_up->setIcon(style()->standardIcon(QStyle::SP_FileDialogToParent));
    m_up->setText(QStringLiteral(".."));
    m_up->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    connect(m_up, &QToolButton::clicked, this, [this] { openParent(); });

    m_entries = new QListWidget(this);
    m_entries->setObjectName(QStringLiteral("entries"));
    m_entries->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(m_entries, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) { openEntry(m_entries->row(item)); });
    connect(m_entries, &QListWidget::itemSelectionChanged, this, [this] { updateButtons(); });

    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &FileChooser::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* top = new QHBoxLayout();
    top->addWidget(m_folderLabel, 1);
    top->addWidget(m_up);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_entries, 1);
    layout->addWidget(m_buttons);
    const auto screen = ScreenGeometry::current();
    fitWorkArea(*this, QSize(screen.scaled(240), screen.scaled(280)));

    std::u16string start(startFolder.empty() ? u"\\" : startFolder);
    while (!openFolder(start) && start != u"\\")
        start = parentOfDevicePath(start);
    updateButtons();
}

bool FileChooser::openFolder(std::u16string_view devicePath)
{
    while (devicePath.size() > 1 && devicePath.back() == u'\\')
        devicePath.remove_suffix(1);
    // listFolder takes device paths only and leaves out links that lead off the device.
    auto listed = platform::listFolder(devicePath, u"*");
    if (!listed)
        return false;
    std::vector<platform::FolderEntry> entries;
    for (auto& entry : *listed) {
        // A host name holding a backslash would read as a deeper device path.
        if (entry.name.find(u'\\') != std::u16string::npos)
            continue;
        if (entry.isFolder || matchesAny(entry.name, m_patterns))
            entries.push_back(std::move(entry));
    }
    const auto& locale = platform::userLocale();
    std::stable_sort(entries.begin(), entries.end(), [&](const auto& a, const auto& b) {
        if (a.isFolder != b.isFolder)
            return a.isFolder;
        return platform::compareForLocale(a.name, b.name, locale, true) < 0;
    });

    m_folder = devicePath;
    m_folderLabel->setText(QString::fromStdU16String(m_folder));
    m_entries->clear();
    const QIcon folderIcon = style()->standardIcon(QStyle::SP_DirIcon);
    const QIcon fileIcon = style()->standardIcon(QStyle::SP_FileIcon);
    for (const auto& entry : entries) {
        auto* item = new QListWidgetItem(entry.isFolder ? folderIcon : fileIcon, QString::fromStdU16String(entry.name));
        item->setData(kIsFolderRole, entry.isFolder);
        m_entries->addItem(item);
    }
    updateButtons();
    return true;
}

bool FileChooser::openParent()
{
    if (m_folder == u"\\")
        return false;
    return openFolder(parentOfDevicePath(m_folder));
}

void FileChooser::accept()
{
    const auto selected = m_entries->selectedItems();
    if (!selected.isEmpty())
        openEntry(m_entries->row(selected.first()));
}

void FileChooser::openEntry(int row)
{
    const QListWidgetItem* item = m_entries->item(row);
    if (!item)
        return;
    const std::u16string path = joinDevicePath(m_folder, item->text().toStdU16String());
    if (item->data(kIsFolderRole).toBool()) {
        (void)openFolder(path); // A folder removed meanwhile leaves the list as it was.
        return;
    }
    m_chosen = path;
    QDialog::accept();
}

void FileChooser::updateButtons()
{
    m_up->setEnabled(m_folder != u"\\");
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(!m_entries->selectedItems().isEmpty());
}

std::optional<std::u16string> chooseDeviceFile(QWidget* parent, const QString& title, const QStringList& patterns,
    std::u16string_view startFolder)
{
    FileChooser chooser(parent, title, patterns, startFolder);
    if (chooser.exec() != QDialog::Accepted)
        return std::nullopt;
    return chooser.chosenPath();
}

} // namespace ui
