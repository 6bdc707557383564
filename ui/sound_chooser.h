#pragma once
// The sound list of the alarm, timer, event and chime settings. Position 0 is "no sound";
// then come the sound files of one device folder ("\Windows" unless told otherwise) in the
// locale's order; then, when the chosen file lies elsewhere, that file; and last an entry that
// browses the device tree for a sound. The records keep the position and the path.

#include <QWidget>
#include <string>
#include <string_view>
#include <vector>

class QComboBox;

namespace ui {

class SoundChooser final : public QWidget {
    Q_OBJECT
public:
    static constexpr std::u16string_view kDefaultFolder = u"\\Windows";

    explicit SoundChooser(QWidget* parent = nullptr);

    // Lists a folder's sounds anew; the position goes back to 0 and a file from elsewhere is
    // dropped. A folder that cannot be listed leaves only "no sound".
    void setFolder(std::u16string_view devicePath);
    [[nodiscard]] const std::u16string& folder() const { return m_folder; }

    // Selects a device path ("" selects position 0). A file of the folder is found by its name
    // without regard to case; an existing file elsewhere gets its own entry after the folder's.
    // False, and nothing changes, when no such file exists.
    [[nodiscard]] bool setPath(std::u16string_view devicePath);
    // The chosen file's device path; "" at position 0.
    [[nodiscard]] std::u16string path() const { return m_paths[std::size_t(m_position)]; }

    [[nodiscard]] int position() const { return m_position; }
    // False, and nothing changes, for a position that does not exist.
    [[nodiscard]] bool setPosition(int position);
    // The positions there are, "no sound" included (the browse entry is none).
    [[nodiscard]] int count() const { return int(m_paths.size()); }

signals:
    // The user chose the sound at `position`, from the list or by browsing.
    void changed(int position);

private:
    void fillList();
    void listActivated(int index);
    void browse();

    QComboBox* m_list;
    std::u16string m_folder;
    std::vector<std::u16string> m_paths; // the device path of each position; [0] is ""
    int m_position = 0;
    bool m_hasOutsideFile = false; // the last position is a file from another folder
};

} // namespace ui
