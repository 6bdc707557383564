#include "tools/art_description/description.h"

#include <QBuffer>
#include <QImageWriter>
#include <QString>

#include <algorithm>
#include <climits>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

namespace art_description {

namespace {

std::vector<std::string> splitLine(const std::string& text, bool& unterminated)
{
    std::vector<std::string> tokens;
    std::string token;
    bool inToken = false, quoted = false;
    unterminated = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '\\' && i + 1 < text.size()) {
                token += text[++i];
            } else if (c == '"') {
                quoted = false;
            } else {
                token += c;
            }
            continue;
        }
        // A comment starts with "#" at the start of a line or "# " anywhere; "#rrggbb" is a colour.
        const bool lineStart = tokens.empty() && !inToken;
        if (c == '#' && !inToken
            && (lineStart || i + 1 == text.size() || text[i + 1] == ' ' || text[i + 1] == '\t'))
            break;
        if (c == '"') {
            quoted = true;
            inToken = true;
        } else if (c == ' ' || c == '\t' || c == '\r') {
            if (inToken)
                tokens.push_back(std::move(token));
            token.clear();
            inToken = false;
        } else {
            token += c;
            inToken = true;
        }
    }
    unterminated = quoted;
    if (inToken)
        tokens.push_back(std::move(token));
    return tokens;
}

} // namespace

Description::Description(const std::filesystem::path& file)
    : m_file(file)
{
    std::ifstream in(file);
    if (!in)
        throw DescriptionError { file.string() + ": cannot read the description" };
    m_inputs.push_back(file);
    std::string text;
    int number = 0;
    while (std::getline(in, text)) {
        ++number;
        bool unterminated = false;
        auto tokens = splitLine(text, unterminated);
        Line line;
        line.number = number;
        if (unterminated)
            fail(line, "unterminated quotes");
        if (tokens.empty())
            continue;
        line.directive = tokens.front();
        for (std::size_t i = 1; i < tokens.size(); ++i) {
            const auto equals = tokens[i].find('=');
            if (equals == std::string::npos || equals == 0)
                line.words.push_back(tokens[i]);
            else if (!line.keys.emplace(tokens[i].substr(0, equals), tokens[i].substr(equals + 1))
                          .second)
                fail(line, "key given twice: " + tokens[i].substr(0, equals));
        }
        m_lines.push_back(std::move(line));
    }
}

void Description::fail(const Line& line, const std::string& message) const
{
    throw DescriptionError { m_file.string() + ":" + std::to_string(line.number) + ": " + message };
}

std::int32_t Description::integer(const Line& line, const std::string& text) const
{
    try {
        std::size_t used = 0;
        const long long value = std::stoll(text, &used, 0);
        if (used != text.size() || value < INT32_MIN || value > INT32_MAX)
            fail(line, "not an integer: " + text);
        return std::int32_t(value);
    } catch (const std::logic_error&) {
        fail(line, "not an integer: " + text);
    }
}

std::int32_t Description::colour(const Line& line, const std::string& text) const
{
    if (text.size() != 7 || text[0] != '#')
        fail(line, "not a colour (#rrggbb): " + text);
    const std::int32_t rgb = integer(line, "0x" + text.substr(1));
    const std::uint32_t r = (std::uint32_t(rgb) >> 16) & 0xff, g = (std::uint32_t(rgb) >> 8) & 0xff,
                        b = std::uint32_t(rgb) & 0xff;
    return std::int32_t(r | (g << 8) | (b << 16));
}

std::vector<std::int32_t> Description::integers(
    const Line& line, const std::string& text, std::size_t count) const
{
    std::vector<std::int32_t> values;
    std::stringstream parts(text);
    std::string part;
    while (std::getline(parts, part, ','))
        values.push_back(integer(line, part));
    if (values.size() != count)
        fail(line, "expected " + std::to_string(count) + " comma-separated integers: " + text);
    return values;
}

const std::string* Description::key(const Line& line, const std::string& name) const
{
    const auto found = line.keys.find(name);
    return found == line.keys.end() ? nullptr : &found->second;
}

const std::string& Description::requiredKey(const Line& line, const std::string& name) const
{
    const std::string* value = key(line, name);
    if (!value)
        fail(line, line.directive + " needs " + name + "=");
    return *value;
}

void Description::allowKeys(const Line& line, std::initializer_list<const char*> names) const
{
    for (const auto& [name, value] : line.keys) {
        bool known = false;
        for (const char* allowed : names)
            known = known || name == allowed;
        if (!known)
            fail(line, "unknown key for " + line.directive + ": " + name);
    }
}

faces::Bytes Description::imageFile(const Line& line, const std::string& name)
{
    const std::filesystem::path path = m_file.parent_path() / name;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        fail(line, "cannot read image " + path.string());
    const std::string content(
        (std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    faces::Bytes bytes(content.size());
    std::transform(
        content.begin(), content.end(), bytes.begin(), [](char c) { return std::byte(c); });
    if (faces::decodeImage(bytes).isNull())
        fail(line, "not a PNG, JPEG, GIF or BMP image within the size limits: " + path.string());
    m_inputs.push_back(path);
    return bytes;
}

faces::Bytes Description::encoded(const QImage& image)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    (void)writer.write(image); // a QImage always encodes into a memory buffer
    const QByteArray data = buffer.data();
    faces::Bytes bytes(std::size_t(data.size()));
    std::transform(data.begin(), data.end(), bytes.begin(), [](char c) { return std::byte(c); });
    return bytes;
}

void Description::writeDepfile(
    const std::filesystem::path& depfile, const std::filesystem::path& output) const
{
    const auto escaped = [](const std::filesystem::path& path) {
        std::string text;
        for (const char c : path.string()) {
            if (c == ' ' || c == '#')
                text += '\\';
            if (c == '$')
                text += '$';
            text += c;
        }
        return text;
    };
    std::ofstream out(depfile);
    out << escaped(output) << ":";
    for (const auto& input : m_inputs)
        out << " \\\n  " << escaped(std::filesystem::absolute(input));
    out << "\n";
}

bool writeFile(const std::filesystem::path& file, const faces::Bytes& bytes)
{
    std::error_code error;
    if (file.has_parent_path())
        std::filesystem::create_directories(file.parent_path(), error);
    const std::filesystem::path temporary = file.string() + ".part";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        if (!out.flush())
            return false;
    }
    std::filesystem::rename(temporary, file, error);
    return !error;
}

bool copyText(const std::string& utf8, char16_t* field, std::size_t capacity)
{
    const std::u16string text
        = QString::fromUtf8(utf8.data(), qsizetype(utf8.size())).toStdU16String();
    std::fill(field, field + capacity, u'\0');
    if (text.size() > capacity)
        return false;
    std::copy(text.begin(), text.end(), field);
    return true;
}

std::optional<CommandLine> parseCommandLine(int argc, char** argv)
{
    CommandLine line;
    std::vector<std::string> plain;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--depfile" && i + 1 < argc)
            line.depfile = argv[++i];
        else if (arg.starts_with("--"))
            return std::nullopt;
        else
            plain.push_back(arg);
    }
    if (plain.size() != 2)
        return std::nullopt;
    line.description = plain[0];
    line.output = plain[1];
    return line;
}

int runTool(int argc, char** argv, const char* tool, const Build& build)
{
    const auto command = parseCommandLine(argc, argv);
    if (!command) {
        std::cerr << "usage: " << tool << " <description> <output> [--depfile <file>]\n";
        return 2;
    }
    try {
        Description description(command->description);
        const auto bytes = build(description, *command);
        if (!bytes)
            return 1;
        if (!writeFile(command->output, *bytes)) {
            std::cerr << command->output.string() << ": cannot write\n";
            return 1;
        }
        if (command->depfile)
            description.writeDepfile(*command->depfile, command->output);
    } catch (const DescriptionError& error) {
        std::cerr << error.message << "\n";
        return 1;
    }
    return 0;
}

} // namespace art_description
