#pragma once
// The readable text descriptions from which the skin builder and the face compiler make the
// shipped binary files: one directive per line, positional words and key=value pairs,
// "quoted text" where spaces are needed. A comment runs from "#" to the end of the line when
// the "#" starts the line or is followed by a blank; "#rrggbb" is a colour.

#include "faces/image_stream.h"

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace art_description {

struct Line {
    int number = 0;
    std::string directive;
    std::vector<std::string> words; // positional
    std::map<std::string, std::string> keys; // key=value
};

// Thrown with "file:line: message" for the tool to print; tools are the only code that
// uses exceptions, and none leaves main().
struct DescriptionError {
    std::string message;
};

class Description {
public:
    // Reads and splits a description; throws DescriptionError.
    explicit Description(const std::filesystem::path& file);

    [[nodiscard]] const std::vector<Line>& lines() const { return m_lines; }
    [[nodiscard]] const std::filesystem::path& file() const { return m_file; }

    [[noreturn]] void fail(const Line& line, const std::string& message) const;

    // Values. Integers are decimal or 0x hex, with an optional sign.
    [[nodiscard]] std::int32_t integer(const Line& line, const std::string& text) const;
    // "#rrggbb" as a 0x00BBGGRR value.
    [[nodiscard]] std::int32_t colour(const Line& line, const std::string& text) const;
    // "a,b,c" with exactly `count` integers.
    [[nodiscard]] std::vector<std::int32_t> integers(
        const Line& line, const std::string& text, std::size_t count) const;
    [[nodiscard]] const std::string* key(const Line& line, const std::string& name) const;
    [[nodiscard]] const std::string& requiredKey(const Line& line, const std::string& name) const;
    // Complains about keys a directive does not know.
    void allowKeys(const Line& line, std::initializer_list<const char*> names) const;

    // An image file named relative to the description: its bytes, after checking that they
    // decode as PNG, JPEG, GIF or BMP. Every file read is remembered for the depfile.
    [[nodiscard]] faces::Bytes imageFile(const Line& line, const std::string& name);
    [[nodiscard]] QImage decoded(const faces::Bytes& bytes) const
    {
        return faces::decodeImage(bytes);
    }

    // A picture the tool composed, as PNG bytes for an image stream.
    [[nodiscard]] static faces::Bytes encoded(const QImage& image);

    // Writes "output: description images..." for the build's dependency tracking.
    void writeDepfile(
        const std::filesystem::path& depfile, const std::filesystem::path& output) const;

private:
    std::filesystem::path m_file;
    std::vector<Line> m_lines;
    std::vector<std::filesystem::path> m_inputs;
};

// Writes bytes to a file (through a temporary name, so a failed run leaves no half file).
[[nodiscard]] bool writeFile(const std::filesystem::path& file, const faces::Bytes& bytes);

// UTF-8 text into a fixed UTF-16 field, zero-filled; false when it does not fit.
[[nodiscard]] bool copyText(const std::string& utf8, char16_t* field, std::size_t capacity);

// The common command line: <description> <output> [--depfile <file>].
struct CommandLine {
    std::filesystem::path description, output;
    std::optional<std::filesystem::path> depfile;
};
[[nodiscard]] std::optional<CommandLine> parseCommandLine(int argc, char** argv);

// What a tool makes of its description: the output file's bytes, or nullopt after telling
// standard error why not.
using Build = std::function<std::optional<faces::Bytes>(Description& description, const CommandLine& command)>;

// The whole run of a tool named `tool`: reads the command line and the description, builds,
// writes the output and its depfile. Exit code 0, 1 for a description or output problem,
// 2 for a command line it does not understand.
[[nodiscard]] int runTool(int argc, char** argv, const char* tool, const Build& build);

} // namespace art_description
