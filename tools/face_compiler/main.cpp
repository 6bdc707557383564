// face_compiler: makes a clock-face file (".qpg", ".vpg") from a text description and image
// files. The format is described in docs/face-format.md.
//
//     face_compiler <description> <output> [--depfile <file>]

#include "faces/face_file.h"
#include "faces/face_host.h"
#include "tools/art_description/description.h"

#include <QCoreApplication>
#include <QPainter>

#include <iostream>
#include <map>
#include <optional>

namespace {

using faces::FaceFile;
namespace face = faces::face;

const std::map<std::string, faces::DigitKind> kDigitKinds = {
    { "am-pm", faces::DigitKind::AmPm },
    { "chime", faces::DigitKind::Chime },
    { "alarm-on", faces::DigitKind::AlarmOn },
    { "second", faces::DigitKind::Second },
    { "minute", faces::DigitKind::Minute },
    { "hour", faces::DigitKind::Hour },
    { "day", faces::DigitKind::Day },
    { "weekday", faces::DigitKind::Weekday },
    { "month", faces::DigitKind::Month },
    { "year", faces::DigitKind::Year },
    { "alarm-hour", faces::DigitKind::AlarmHour },
    { "alarm-minute", faces::DigitKind::AlarmMinute },
    { "hour-minute", faces::DigitKind::HourMinute },
    { "am-pm-shifted", faces::DigitKind::AmPmShifted },
    { "hour-shifted", faces::DigitKind::HourShifted },
    { "alarm-am-pm", faces::DigitKind::AlarmAmPm },
};
const std::map<std::string, faces::AreaKind> kAreaKinds = {
    { "am-pm", faces::AreaKind::AmPm },
    { "chime", faces::AreaKind::Chime },
    { "alarm", faces::AreaKind::Alarm },
    { "weekday", faces::AreaKind::Weekday },
    // A weekday area that does not move: drawn at every tick (a colon, a fixed sign).
    { "always", faces::AreaKind::Weekday },
};
const std::map<std::string, faces::HandKind> kHandKinds = {
    { "second", faces::HandKind::Second },
    { "minute", faces::HandKind::Minute },
    { "hour", faces::HandKind::Hour },
};
const std::map<std::string, faces::DateTimeContent> kContents = {
    { "time", faces::DateTimeContent::Time },
    { "date", faces::DateTimeContent::Date },
    { "date-time", faces::DateTimeContent::DateThenTime },
    { "time-date", faces::DateTimeContent::TimeThenDate },
};
const std::map<std::string, faces::NumberValue> kNumbers = {
    { "second", faces::NumberValue::Second },
    { "minute", faces::NumberValue::Minute },
    { "hour", faces::NumberValue::Hour },
    { "hour12", faces::NumberValue::Hour12 },
    { "day", faces::NumberValue::Day },
    { "month", faces::NumberValue::Month },
    { "year", faces::NumberValue::Year },
    { "weekday", faces::NumberValue::Weekday },
    { "day-of-year", faces::NumberValue::DayOfYear },
    { "alarm-hour", faces::NumberValue::AlarmHour },
    { "alarm-minute", faces::NumberValue::AlarmMinute },
};
const std::map<std::string, faces::TextAlign> kAligns = {
    { "left", faces::TextAlign::Left },
    { "centre", faces::TextAlign::Centre },
    { "center", faces::TextAlign::Centre },
    { "right", faces::TextAlign::Right },
};

class Compiler {
public:
    explicit Compiler(art_description::Description& description)
        : d(description)
    { }

    FaceFile compile()
    {
        FaceFile result = faces::emptyFace(240, 320);
        m_face = &result;
        bool sized = false;
        for (const art_description::Line& line : d.lines()) {
            const std::string& what = line.directive;
            if (what == "face") {
                d.allowKeys(line, {});
                if (line.words.size() != 2)
                    d.fail(line, "face <width> <height>");
                header(face::kDesignWidth) = d.integer(line, line.words[0]);
                header(face::kDesignHeight) = d.integer(line, line.words[1]);
                if (header(face::kDesignWidth) < 1
                    || header(face::kDesignWidth) > faces::kMaxImageSide
                    || header(face::kDesignHeight) < 1
                    || header(face::kDesignHeight) > faces::kMaxImageSide)
                    d.fail(line, "the face's width and height must be 1-8192");
                sized = true;
            } else if (what == "hand-area-y") {
                header(face::kHandAreaY) = single(line);
            } else if (what == "background") {
                d.allowKeys(line, {});
                if (line.words.size() != 1)
                    d.fail(line, "background <image>");
                header(face::kBackground) = lookup(line, m_plain, line.words[0], "image");
            } else if (what == "close") {
                setWords(line, face::kCloseRect, d.integers(line, positional(line), 4));
            } else if (what == "image") {
                image(line, sized);
            } else if (what == "overlay") {
                declare(line, m_overlays, "overlay");
                result.overlays.push_back(d.imageFile(line, line.words[1]));
            } else if (what == "sprite") {
                sprite(line);
            } else if (what == "font") {
                font(line);
            } else if (what == "digits") {
                digits(line);
            } else if (what == "area") {
                area(line);
            } else if (what == "hand") {
                hand(line);
            } else if (what == "text") {
                dateText(line);
            } else if (what == "number") {
                numberText(line);
            } else if (what == "lock") {
                lock(line);
            } else if (what == "slider") {
                slider(line);
            } else {
                d.fail(line, "unknown directive: " + what);
            }
        }
        if (!sized)
            throw art_description::DescriptionError { d.file().string()
                + ": the description needs a face <width> <height> line" };
        return result;
    }

private:
    std::int32_t& header(int word) { return m_face->header[std::size_t(word)]; }

    std::string positional(const art_description::Line& line)
    {
        d.allowKeys(line, {});
        std::string joined;
        for (const auto& word : line.words)
            joined += (joined.empty() ? "" : ",") + word;
        return joined;
    }

    std::int32_t single(const art_description::Line& line)
    {
        d.allowKeys(line, {});
        if (line.words.size() != 1)
            d.fail(line, line.directive + " <value>");
        return d.integer(line, line.words[0]);
    }

    void setWords(const art_description::Line&, int first, const std::vector<std::int32_t>& values)
    {
        for (std::size_t i = 0; i < values.size(); ++i)
            header(first + int(i)) = values[i];
    }

    void declare(const art_description::Line& line, std::map<std::string, std::int32_t>& names,
        const char* what)
    {
        if (line.words.size() != 2)
            d.fail(line, std::string(what) + " <name> <file>");
        if (!names.emplace(line.words[0], std::int32_t(names.size())).second)
            d.fail(line, std::string(what) + " declared twice: " + line.words[0]);
    }

    std::int32_t lookup(const art_description::Line& line,
        const std::map<std::string, std::int32_t>& names, const std::string& name, const char* what)
    {
        const auto found = names.find(name);
        if (found == names.end())
            d.fail(line, std::string("no ") + what + " named " + name);
        return found->second;
    }

    std::int32_t fontIndex(const art_description::Line& line)
    {
        const std::string* name = d.key(line, "font");
        if (!name || *name == "default")
            return -1;
        return lookup(line, m_fonts, *name, "font");
    }

    template <typename Kind>
    Kind kindOf(const art_description::Line& line, const std::map<std::string, Kind>& kinds)
    {
        if (line.words.empty())
            d.fail(line, line.directive + " <kind> ...");
        const auto found = kinds.find(line.words[0]);
        if (found == kinds.end())
            d.fail(line, "unknown " + line.directive + " kind: " + line.words[0]);
        return found->second;
    }

    void rect(const art_description::Line& line, std::int32_t& left, std::int32_t& top,
        std::int32_t& right, std::int32_t& bottom)
    {
        const auto r = d.integers(line, d.requiredKey(line, "rect"), 4);
        left = r[0];
        top = r[1];
        right = r[2];
        bottom = r[3];
    }

    std::int32_t align(const art_description::Line& line)
    {
        const std::string* text = d.key(line, "align");
        if (!text)
            return std::int32_t(faces::TextAlign::Left);
        const auto found = kAligns.find(*text);
        if (found == kAligns.end())
            d.fail(line, "align is left, centre or right");
        return std::int32_t(found->second);
    }

    // pick=<first>,<count> of a strip of `frames` equal frames: the rectangle of that run.
    std::optional<QRect> pickedFrames(
        const art_description::Line& line, const QImage& strip, int frames)
    {
        const std::string* pick = d.key(line, "pick");
        if (!pick)
            return std::nullopt;
        const auto run = d.integers(line, *pick, 2);
        if (run[0] < 0 || run[1] < 1 || run[0] + run[1] > frames)
            d.fail(line, "pick=<first>,<count> must name frames the strip has");
        const int frameWidth = strip.width() / frames;
        return QRect(run[0] * frameWidth, 0, run[1] * frameWidth, strip.height());
    }

    int stripFrames(const art_description::Line& line, const QImage& strip)
    {
        const int frames = d.integer(line, d.requiredKey(line, "frames"));
        if (frames < 1 || frames > faces::kMaxSpriteFrames || strip.width() % frames != 0)
            d.fail(line, "the strip's width must be a whole number of frames");
        return frames;
    }

    // A plain image. Areas take their rectangle from the image at the place they cover on the
    // face, so a small picture meant for an area is laid with at= onto a transparent canvas of
    // the face's size, where the area draws it; frames= and pick= take part of a strip first.
    void image(const art_description::Line& line, bool sized)
    {
        d.allowKeys(line, { "at", "frames", "pick" });
        declare(line, m_plain, "image");
        faces::Bytes bytes = d.imageFile(line, line.words[1]);
        const std::string* at = d.key(line, "at");
        if (!at) {
            if (d.key(line, "frames") || d.key(line, "pick"))
                d.fail(line, "frames= and pick= go with at=");
            m_face->plainImages.push_back(std::move(bytes));
            return;
        }
        const auto place = d.integers(line, *at, 2);
        if (!sized)
            d.fail(line, "an image placed with at= needs the face <width> <height> line first");
        QImage picture = d.decoded(bytes);
        if (d.key(line, "frames") || d.key(line, "pick")) {
            const auto kept = pickedFrames(line, picture, stripFrames(line, picture));
            if (!kept)
                d.fail(line, "frames= goes with pick=");
            picture = picture.copy(*kept);
        }
        QImage canvas(header(face::kDesignWidth), header(face::kDesignHeight),
            QImage::Format_ARGB32_Premultiplied);
        canvas.fill(Qt::transparent);
        QPainter painter(&canvas);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(QPoint(place[0], place[1]), picture);
        painter.end();
        m_face->plainImages.push_back(art_description::Description::encoded(canvas));
    }

    // Several files are joined side by side into one strip (a knob's three looks); pick=
    // keeps a run of frames (the AM and PM frames at the end of a digit strip).
    void sprite(const art_description::Line& line)
    {
        d.allowKeys(line, { "frames", "mask", "pick" });
        if (line.words.size() < 2)
            d.fail(line, "sprite <name> <file> [<file> ...] frames=<n> [pick=<first>,<count>]");
        if (!m_sprites.emplace(line.words[0], std::int32_t(m_sprites.size())).second)
            d.fail(line, "sprite declared twice: " + line.words[0]);
        faces::Sprite sprite;
        sprite.strip = d.imageFile(line, line.words[1]);
        QImage strip = d.decoded(sprite.strip);
        bool composed = false;
        for (std::size_t i = 2; i < line.words.size(); ++i) {
            const QImage next = d.decoded(d.imageFile(line, line.words[i]));
            if (next.height() != strip.height())
                d.fail(line, "the joined pictures must have the same height: " + line.words[i]);
            QImage joined(
                strip.width() + next.width(), strip.height(), QImage::Format_ARGB32_Premultiplied);
            joined.fill(Qt::transparent);
            QPainter painter(&joined);
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            painter.drawImage(0, 0, strip);
            painter.drawImage(strip.width(), 0, next);
            painter.end();
            strip = joined;
            composed = true;
        }
        QImage mask;
        if (const std::string* maskFile = d.key(line, "mask")) {
            sprite.mask = d.imageFile(line, *maskFile);
            mask = d.decoded(sprite.mask);
        }
        int frames = stripFrames(line, strip);
        if (!sprite.mask.empty() && mask.size() != strip.size())
            d.fail(line, "the mask must have the strip's size");
        if (const auto kept = pickedFrames(line, strip, frames)) {
            const int frameWidth = strip.width() / frames;
            frames = kept->width() / frameWidth;
            strip = strip.copy(*kept);
            if (!mask.isNull())
                sprite.mask = art_description::Description::encoded(mask.copy(*kept));
            composed = true;
        }
        if (composed)
            sprite.strip = art_description::Description::encoded(strip);
        sprite.descriptor.frames = frames;
        m_face->sprites.push_back(std::move(sprite));
    }

    void font(const art_description::Line& line)
    {
        d.allowKeys(line, { "face", "height", "weight" });
        if (line.words.empty())
            d.fail(line,
                "font <name> height=<pixels> [face=\"...\"] [weight=700] [italic] [underline] "
                "[strikeout] [aliased]");
        if (!m_fonts.emplace(line.words[0], std::int32_t(m_fonts.size())).second)
            d.fail(line, "font declared twice: " + line.words[0]);
        faces::LOGFONTW font {};
        font.lfHeight = d.integer(line, d.requiredKey(line, "height"));
        font.lfWeight = d.key(line, "weight") ? d.integer(line, *d.key(line, "weight")) : 400;
        for (std::size_t i = 1; i < line.words.size(); ++i) {
            const std::string& flag = line.words[i];
            if (flag == "italic")
                font.lfItalic = 1;
            else if (flag == "underline")
                font.lfUnderline = 1;
            else if (flag == "strikeout")
                font.lfStrikeOut = 1;
            else if (flag == "aliased")
                font.lfQuality = 3;
            else
                d.fail(line, "unknown font flag: " + flag);
        }
        if (!art_description::copyText(
                d.key(line, "face") ? *d.key(line, "face") : std::string(), font.lfFaceName, 32))
            d.fail(line, "the face name is longer than 32 characters");
        m_face->fonts.push_back(font);
    }

    void digits(const art_description::Line& line)
    {
        d.allowKeys(line, { "sprite", "count", "base", "at", "step", "alt", "frame" });
        faces::DigitRecord r {};
        r.kind = std::int32_t(kindOf(line, kDigitKinds));
        r.sprite = lookup(line, m_sprites, d.requiredKey(line, "sprite"), "sprite");
        r.base = d.key(line, "base") ? d.integer(line, *d.key(line, "base")) : 10;
        r.count = d.key(line, "count") ? d.integer(line, *d.key(line, "count")) : 2;
        if (const std::string* frame = d.key(line, "frame"))
            r.count = d.integer(line, *frame);
        const auto at = d.integers(line, d.requiredKey(line, "at"), 2);
        r.x = at[0];
        r.y = at[1];
        if (const std::string* step = d.key(line, "step")) {
            const auto s = d.integers(line, *step, 2);
            r.stepX = s[0];
            r.stepY = s[1];
        }
        if (const std::string* alt = d.key(line, "alt")) {
            const auto s = d.integers(line, *alt, 2);
            r.stepX = s[0];
            r.stepY = s[1];
        }
        m_face->digits.push_back(r);
    }

    void area(const art_description::Line& line)
    {
        d.allowKeys(line, { "image", "rect", "variant", "step" });
        faces::AreaRecord r {};
        r.kind = std::int32_t(kindOf(line, kAreaKinds));
        if (line.words[0] == "always" && (d.key(line, "step") || d.key(line, "variant")))
            d.fail(line, "an always area has no step or variant");
        r.image = lookup(line, m_plain, d.requiredKey(line, "image"), "image");
        r.variant = d.key(line, "variant") ? d.integer(line, *d.key(line, "variant")) : 0;
        rect(line, r.left, r.top, r.right, r.bottom);
        if (const std::string* step = d.key(line, "step")) {
            const auto s = d.integers(line, *step, 2);
            r.stepX = s[0];
            r.stepY = s[1];
        }
        m_face->areas.push_back(r);
    }

    void hand(const art_description::Line& line)
    {
        d.allowKeys(line, { "image", "dial", "pivot", "at" });
        faces::HandRecord r {};
        r.kind = std::int32_t(kindOf(line, kHandKinds));
        r.overlay = lookup(line, m_overlays, d.requiredKey(line, "image"), "overlay");
        r.dialHours = d.key(line, "dial") ? d.integer(line, *d.key(line, "dial")) : 12;
        const auto pivot = d.integers(line, d.requiredKey(line, "pivot"), 2);
        const auto at = d.integers(line, d.requiredKey(line, "at"), 2);
        r.pivotX = pivot[0];
        r.pivotY = pivot[1];
        r.x = at[0];
        r.y = at[1];
        m_face->hands.push_back(r);
    }

    void dateText(const art_description::Line& line)
    {
        d.allowKeys(line, { "font", "colour", "rect", "align", "time", "date" });
        faces::DateTimeTextRecord r {};
        r.content = std::int32_t(kindOf(line, kContents));
        r.font = fontIndex(line);
        r.colour = d.key(line, "colour") ? d.colour(line, *d.key(line, "colour")) : 0;
        rect(line, r.left, r.top, r.right, r.bottom);
        r.align = align(line);
        if (!art_description::copyText(
                d.key(line, "time") ? *d.key(line, "time") : std::string(), r.timeFormat, 32))
            d.fail(line, "the time picture is longer than 32 characters");
        if (!art_description::copyText(
                d.key(line, "date") ? *d.key(line, "date") : std::string(), r.dateFormat, 72))
            d.fail(line, "the date picture is longer than 72 characters");
        m_face->dateTexts.push_back(r);
    }

    void numberText(const art_description::Line& line)
    {
        d.allowKeys(line, { "font", "colour", "rect", "align", "digits", "prefix", "suffix" });
        faces::NumberTextRecord r {};
        r.value = std::int32_t(kindOf(line, kNumbers));
        r.font = fontIndex(line);
        r.colour = d.key(line, "colour") ? d.colour(line, *d.key(line, "colour")) : 0;
        rect(line, r.left, r.top, r.right, r.bottom);
        r.align = align(line);
        r.minDigits = d.key(line, "digits") ? d.integer(line, *d.key(line, "digits")) : 0;
        if (!art_description::copyText(
                d.key(line, "prefix") ? *d.key(line, "prefix") : std::string(), r.prefix, 23)
            || !art_description::copyText(
                d.key(line, "suffix") ? *d.key(line, "suffix") : std::string(), r.suffix, 23))
            d.fail(line, "prefix and suffix hold at most 23 characters");
        m_face->numberTexts.push_back(r);
    }

    void lock(const art_description::Line& line)
    {
        d.allowKeys(line, { "slider", "font", "colour" });
        if (const std::string* slider = d.key(line, "slider"))
            header(face::kSliderElement)
                = *slider == "none" ? -1 : lookup(line, m_sprites, *slider, "sprite");
        header(face::kLockFont) = fontIndex(line);
        if (const std::string* colour = d.key(line, "colour"))
            header(face::kLockTextColour) = d.colour(line, *colour);
    }

    void slider(const art_description::Line& line)
    {
        d.allowKeys(line, { "knob", "unlock", "track", "knob-rect", "fill", "frames" });
        setWords(line, face::kKnobStartX, d.integers(line, d.requiredKey(line, "knob"), 2));
        header(face::kUnlockX) = d.integer(line, d.requiredKey(line, "unlock"));
        setWords(line, face::kTrackRect, d.integers(line, d.requiredKey(line, "track"), 4));
        setWords(line, face::kKnobRect, d.integers(line, d.requiredKey(line, "knob-rect"), 4));
        const std::string fill = d.key(line, "fill") ? *d.key(line, "fill") : "background";
        if (fill == "background") {
            header(face::kTrackFill) = 0;
        } else if (fill.starts_with('#')) {
            header(face::kTrackFill) = 1;
            header(face::kTrackColour) = d.colour(line, fill);
        } else {
            header(face::kTrackFill) = 2;
            header(face::kTrackImage) = lookup(line, m_plain, fill, "image");
        }
        if (const std::string* frames = d.key(line, "frames"))
            setWords(line, face::kKnobFrames, d.integers(line, *frames, 3));
    }

    art_description::Description& d;
    FaceFile* m_face = nullptr;
    std::map<std::string, std::int32_t> m_plain, m_overlays, m_sprites, m_fonts;
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    return art_description::runTool(argc, argv, "face_compiler",
        [](art_description::Description& description, const art_description::CommandLine& command)
            -> std::optional<faces::Bytes> {
            const FaceFile face = Compiler(description).compile();
            faces::Bytes bytes = faces::writeFaceFile(face);
            // The program must be able to load what we ship: the same checks, the same decoding.
            faces::FaceHost host;
            const int scaleShift = command.output.extension() == ".vpg" ? 1 : 0;
            if (!host.loadBytes(bytes, scaleShift)) {
                std::cerr << command.description.string()
                          << ": the face does not load (a record points past what the file holds, or a "
                             "value is out of range)\n";
                return std::nullopt;
            }
            return bytes;
        });
}
