// art_generator: draws the suite's shipped look - the default resource pack's pictures,
// the Graphite and Ocean skins and the four clock faces - into a folder. The pictures in
// data/art/ are its output; run it again after changing a drawing and check the new files
// in with the change. The same inputs give the same bytes.

#include "tools/art_generator/canvas.h"
#include "tools/art_generator/contact_sheet.h"
#include "tools/art_generator/faces.h"
#include "tools/art_generator/map_art.h"
#include "tools/art_generator/moon_art.h"
#include "tools/art_generator/pack_art.h"

#include <QGuiApplication>
#include <QImageReader>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>

namespace {

struct Options {
    std::string regularFont;
    std::string boldFont;
    std::string dayMap;
    std::string nightMap;
    std::string contactSheet;
    std::filesystem::path output;
};

void printUsage()
{
    std::fprintf(stderr,
        "Usage: art_generator --font REGULAR.ttf --bold-font BOLD.ttf\n"
        "                     [--day-map EARTH.jpg --night-map CITYLIGHTS.jpg]\n"
        "                     [--contact-sheet SHEET.png] OUTPUT-FOLDER\n"
        "Draws the shipped look into OUTPUT-FOLDER (pack/, skins/, faces/). The fonts are\n"
        "DejaVu Sans Condensed and Condensed Bold; without the two map images the world\n"
        "maps are left out.\n");
}

std::optional<Options> parse(int argc, char** argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const auto value = [&](std::string& into) {
            if (i + 1 >= argc)
                return false;
            into = argv[++i];
            return true;
        };
        bool ok = true;
        if (std::strcmp(argv[i], "--font") == 0)
            ok = value(options.regularFont);
        else if (std::strcmp(argv[i], "--bold-font") == 0)
            ok = value(options.boldFont);
        else if (std::strcmp(argv[i], "--day-map") == 0)
            ok = value(options.dayMap);
        else if (std::strcmp(argv[i], "--night-map") == 0)
            ok = value(options.nightMap);
        else if (std::strcmp(argv[i], "--contact-sheet") == 0)
            ok = value(options.contactSheet);
        else if (argv[i][0] == '-' || !options.output.empty())
            ok = false;
        else
            options.output = argv[i];
        if (!ok)
            return std::nullopt;
    }
    if (options.output.empty() || options.regularFont.empty() || options.boldFont.empty()
        || options.dayMap.empty() != options.nightMap.empty())
        return std::nullopt;
    return options;
}

QImage readImage(const std::string& file)
{
    QImageReader reader(QString::fromStdString(file));
    reader.setAutoTransform(false);
    return reader.read();
}

bool writeMaps(art::PngWriter& writer, const Options& options)
{
    const QImage earth = readImage(options.dayMap);
    const QImage lights = readImage(options.nightMap);
    if (earth.isNull() || lights.isNull()) {
        std::fprintf(stderr, "art_generator: cannot read the map images\n");
        return false;
    }
    for (const art::Scale& scale : art::kScales) {
        const std::string folder = std::string("pack/") + scale.folder + '/';
        if (!writer.write(art::dayMap(earth, scale.factor), folder + "map_day.png")
            || !writer.write(art::nightMap(earth, lights, scale.factor), folder + "map_night.png"))
            return false;
    }
    return true;
}

bool writeMoon(art::PngWriter& writer)
{
    for (const art::Scale& scale : art::kScales) {
        if (!writer.write(
                art::moonStrip(scale.factor), std::string("pack/") + scale.folder + "/moon.png"))
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    const auto options = parse(argc, argv);
    if (!options) {
        printUsage();
        return 2;
    }
    // Nothing is shown: the offscreen platform gives the font engine without a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);

    art::Fonts fonts;
    if (!fonts.load(QString::fromStdString(options->regularFont),
            QString::fromStdString(options->boldFont))) {
        std::fprintf(stderr, "art_generator: cannot load the fonts\n");
        return 1;
    }
    art::PngWriter writer(options->output);
    const bool drawn = art::writePack(writer, fonts) && writeMoon(writer)
        && (options->dayMap.empty() || writeMaps(writer, *options))
        && art::writeSkins(writer, fonts) && art::writeDezod(writer, fonts)
        && art::writeVirevur(writer, fonts) && art::writeOrrery(writer, fonts)
        && art::writeSegment(writer, fonts);
    if (!drawn) {
        std::fprintf(stderr, "art_generator: cannot write into %s\n", options->output.c_str());
        return 1;
    }
    for (const std::string& file : writer.written())
        std::printf("%s\n", file.c_str());
    if (!options->contactSheet.empty()
        && !art::writeContactSheet(writer, fonts, options->contactSheet)) {
        std::fprintf(stderr, "art_generator: cannot write the contact sheet\n");
        return 1;
    }
    return 0;
}
