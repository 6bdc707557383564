#pragma once
// Choosing a file of the device: a dialog over the device tree (never the host's file
// system) with the folders and the matching files of one folder, a way into a folder and one
// up, and the chosen file's device path as the answer.

#include <QDialog>
#include <QStringList>
#include <optional>
#include <string>
#include <string_view>

class QDialogButtonBox;
class QLabel;
class QListWidget;
class QToolButton;

namespace ui {

class FileChooser final : public QDialog {
    Q_OBJECT
public:
    // `patterns` select the files shown ("*.exe"; a bare ".exe" means the same); folders always
    // show. An empty title is "Select Executable File" in the process's language, no patterns
    // mean {"*.exe"}. A start folder that cannot be listed gives way to the nearest one above
    // it that can.
    explicit FileChooser(QWidget* parent = nullptr, const QString& title = { }, const QStringList& patterns = { },
        std::u16string_view startFolder = u"\\");

    [[nodiscard]] const std::u16string& folder() const { return m_folder; }
    // Shows another folder; false (and the folder stays) when it cannot be listed.
    bool openFolder(std::u16string_view devicePath);
    bool openParent(); // false at the root

    // The device path of the file chosen with OK; empty until then.
    [[nodiscard]] const std::u16string& chosenPath() const { return m_chosen; }

    // OK on a folder opens it; on a file chooses it and closes the dialog.
    void accept() override;

private:
    void openEntry(int row);
    void updateButtons();

    QStringList m_patterns;
    std::u16string m_folder;
    std::u16string m_chosen;
    QLabel* m_folderLabel;
    QToolButton* m_up;
    QListWidget* m_entries;
    QDialogButtonBox* m_buttons;
};

// Opens a chooser modally; the chosen device path, or nullopt when the user cancelled.
[[nodiscard]] std::optional<std::u16string> chooseDeviceFile(QWidget* parent, const QString& title,
    const QStringList& patterns, std::u16string_view startFolder);

// "\Windows" + "Alarm1.wav" -> "\Windows\Alarm1.wav"; "\" + "x" -> "\x".
[[nodiscard]] std::u16string joinDevicePath(std::u16string_view folder, std::u16string_view name);
// "\Windows\Alarm1.wav" -> "\Windows"; "\x" -> "\"; "\" -> "\".
[[nodiscard]] std::u16string parentOfDevicePath(std::u16string_view path);

} // namespace ui
