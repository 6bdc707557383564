#include "tools/art_generator/pack_art.h"

#include "tools/art_generator/look_elements.h"
#include "tools/art_generator/theme.h"

#include <string>

namespace art {

namespace {

std::string inFolder(const std::string& set, const Scale& scale, const char* file)
{
    return set + '/' + scale.folder + '/' + file;
}

bool writeStatusBars(
    PngWriter& writer, const std::string& set, const Theme& theme, const Scale& scale)
{
    return writer.write(
               statusBar(theme, kScreenWidth, scale.factor), inFolder(set, scale, "statusbar.png"))
        && writer.write(statusBar(theme, kLandscapeWidth, scale.factor),
            inFolder(set, scale, "statusbar_wide.png"));
}

} // namespace

bool writePack(PngWriter& writer, const Fonts& fonts)
{
    const Theme theme = defaultTheme();
    const std::string set = "pack";
    bool ok = true;
    for (const Scale& scale : kScales) {
        const int s = scale.factor;
        ok = ok && writer.write(largeDial(theme, fonts, s), inFolder(set, scale, "dial_large.png"));
        ok = ok && writer.write(smallDial(theme, s), inFolder(set, scale, "dial_small.png"));
        ok = ok && writer.write(digitStrip(theme, s), inFolder(set, scale, "digits.png"));
        ok = ok
            && writer.write(smallDigitStrip(theme, s), inFolder(set, scale, "digits_small.png"));
        ok = ok && writer.write(amPmFrames(theme, fonts, s), inFolder(set, scale, "ampm.png"));
        ok = ok && writeStatusBars(writer, set, theme, scale);
        ok = ok
            && writer.write(statusDivider(theme, s), inFolder(set, scale, "status_divider.png"));
        ok = ok
            && writer.write(statusIcons(theme, fonts, s), inFolder(set, scale, "status_icons.png"));
        ok = ok
            && writer.write(selectorButtons(theme, fonts, s, ButtonState::Up),
                inFolder(set, scale, "selector_buttons.png"));
        ok = ok
            && writer.write(selectorButtons(theme, fonts, s, ButtonState::Down),
                inFolder(set, scale, "selector_buttons_down.png"));
        ok = ok
            && writer.write(
                titleBar(theme, kScreenWidth, s), inFolder(set, scale, "title_bar.png"));
        ok = ok
            && writer.write(
                titleBar(theme, kLandscapeWidth, s), inFolder(set, scale, "title_bar_wide.png"));
    }
    return ok && writer.writeText(coloursText(theme), set + "/colours.txt");
}

bool writeSkins(PngWriter& writer, const Fonts& fonts)
{
    bool ok = true;
    // Graphite: dark dials, the digit block's strips, status bar and colours; the rest is the
    // pack's (the pack's small dial is a white square, which a dark view cannot take).
    {
        const Theme theme = graphiteTheme();
        const std::string set = "skins/Graphite";
        for (const Scale& scale : kScales) {
            const int s = scale.factor;
            ok = ok
                && writer.write(largeDial(theme, fonts, s), inFolder(set, scale, "dial_large.png"));
            ok = ok && writer.write(smallDial(theme, s), inFolder(set, scale, "dial_small.png"));
            ok = ok && writer.write(digitStrip(theme, s), inFolder(set, scale, "digits.png"));
            ok = ok
                && writer.write(
                    smallDigitStrip(theme, s), inFolder(set, scale, "digits_small.png"));
            ok = ok && writeStatusBars(writer, set, theme, scale);
            ok = ok
                && writer.write(
                    statusDivider(theme, s), inFolder(set, scale, "status_divider.png"));
        }
        ok = ok && writer.writeText(coloursText(theme), set + "/colours.txt");
    }
    // Ocean: blue dials and status bar; the pack's divider, digits and everything else.
    {
        const Theme theme = oceanTheme();
        const std::string set = "skins/Ocean";
        for (const Scale& scale : kScales) {
            const int s = scale.factor;
            ok = ok
                && writer.write(largeDial(theme, fonts, s), inFolder(set, scale, "dial_large.png"));
            ok = ok && writer.write(smallDial(theme, s), inFolder(set, scale, "dial_small.png"));
            ok = ok && writeStatusBars(writer, set, theme, scale);
        }
        ok = ok && writer.writeText(coloursText(theme), set + "/colours.txt");
    }
    return ok;
}

} // namespace art
