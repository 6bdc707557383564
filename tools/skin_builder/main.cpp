// skin_builder: makes a resource pack ("res.dat", "resvga.dat") or a skin (".qsk", ".vsk")
// from a text description and image files. The format is described in docs/skin-format.md.
//
//     skin_builder <description> <output> [--depfile <file>]

#include "faces/skin.h"
#include "tools/art_description/description.h"

#include <QCoreApplication>

#include <iostream>

namespace {

struct Built {
    faces::SkinRecord record;
    std::vector<faces::Bytes> images;
};

Built build(art_description::Description& description)
{
    Built built;
    // Every image slot starts as "not given"; everything else as 0.
    for (const int word : faces::onDemandImageWords())
        built.record[word] = -1;
    for (const int word : faces::elementWords())
        built.record[word] = -1;
    for (const int word : faces::digitBlockImageWords())
        built.record[word] = -1;

    std::map<std::string, std::int32_t> images;
    const auto imageIndex
        = [&](const art_description::Line& line, const std::string& name) -> std::int32_t {
        if (name == "none")
            return -1;
        const auto found = images.find(name);
        if (found == images.end())
            description.fail(
                line, "no image named " + name + " (declare it with: image " + name + " <file>)");
        return found->second;
    };

    for (const art_description::Line& line : description.lines()) {
        description.allowKeys(line, {});
        if (line.directive == "image") {
            if (line.words.size() != 2)
                description.fail(line, "image <name> <file>");
            if (images.count(line.words[0]))
                description.fail(line, "image declared twice: " + line.words[0]);
            images.emplace(line.words[0], std::int32_t(built.images.size()));
            built.images.push_back(description.imageFile(line, line.words[1]));
            continue;
        }
        if (line.directive == "word") {
            if (line.words.size() != 2)
                description.fail(line, "word <index> <value>");
            const std::int32_t index = description.integer(line, line.words[0]);
            if (index < 4 || index >= std::int32_t(faces::kSkinWordCount))
                description.fail(line, "word index out of 4-689: " + line.words[0]);
            const std::string& value = line.words[1];
            built.record[index] = value.starts_with('#') ? description.colour(line, value)
                                                         : description.integer(line, value);
            continue;
        }
        const faces::SkinWordName* named = faces::skinWordNamed(line.directive);
        if (!named)
            description.fail(line, "unknown directive or word name: " + line.directive);
        const auto& w = line.words;
        switch (named->kind) {
        case faces::WordKind::Image:
            if (w.size() != 1)
                description.fail(line, line.directive + " <image>");
            built.record[named->word] = imageIndex(line, w[0]);
            break;
        case faces::WordKind::Element:
            if (w.empty() || w.size() > 5)
                description.fail(line, line.directive + " <image> [value value value value]");
            built.record[named->word] = imageIndex(line, w[0]);
            for (std::size_t i = 1; i < w.size(); ++i)
                built.record[named->word + int(i)] = description.integer(line, w[i]);
            break;
        case faces::WordKind::Colour:
            if (w.size() != 1)
                description.fail(line, line.directive + " #rrggbb");
            built.record[named->word] = description.colour(line, w[0]);
            break;
        case faces::WordKind::Value:
        case faces::WordKind::Point:
        case faces::WordKind::Rect: {
            const int count = faces::wordsOf(named->kind);
            if (int(w.size()) != count)
                description.fail(
                    line, line.directive + " takes " + std::to_string(count) + " integer(s)");
            for (int i = 0; i < count; ++i)
                built.record[named->word + i] = description.integer(line, w[std::size_t(i)]);
            break;
        }
        }
    }
    return built;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    return art_description::runTool(argc, argv, "skin_builder",
        [](art_description::Description& description, const art_description::CommandLine& command)
            -> std::optional<faces::Bytes> {
            const Built built = build(description);
            faces::Bytes bytes = faces::writeSkinFile(built.record, built.images);
            // What the program will read back must load.
            if (!faces::parseSkinFile(bytes)) {
                std::cerr << command.description.string() << ": the result does not read back\n";
                return std::nullopt;
            }
            return bytes;
        });
}
