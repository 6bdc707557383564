#include "tools/art_generator/map_art.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace art {

namespace {

struct LinearImage {
    int width = 0;
    int height = 0;
    std::vector<double> rgb; // three linear-light channels a pixel, rows top to bottom
    double* at(int x, int y)
    {
        return &rgb[(std::size_t(y) * std::size_t(width) + std::size_t(x)) * 3];
    }
    const double* at(int x, int y) const
    {
        return &rgb[(std::size_t(y) * std::size_t(width) + std::size_t(x)) * 3];
    }
};

const std::array<double, 256>& toLinear()
{
    static const std::array<double, 256> table = [] {
        std::array<double, 256> values {};
        for (int i = 0; i < 256; ++i) {
            const double v = i / 255.0;
            values[std::size_t(i)] = v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        }
        return values;
    }();
    return table;
}

int toSrgb(double linear)
{
    const double v = std::clamp(linear, 0.0, 1.0);
    const double encoded = v <= 0.0031308 ? v * 12.92 : 1.055 * std::pow(v, 1.0 / 2.4) - 0.055;
    return std::clamp(int(std::lround(encoded * 255.0)), 0, 255);
}

LinearImage linearOf(const QImage& source)
{
    const QImage rgb = source.convertToFormat(QImage::Format_RGB32);
    LinearImage image { rgb.width(), rgb.height(), {} };
    image.rgb.resize(std::size_t(rgb.width()) * std::size_t(rgb.height()) * 3);
    const auto& table = toLinear();
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) {
            double* pixel = image.at(x, y);
            pixel[0] = table[std::size_t(qRed(line[x]))];
            pixel[1] = table[std::size_t(qGreen(line[x]))];
            pixel[2] = table[std::size_t(qBlue(line[x]))];
        }
    }
    return image;
}

// For each target cell along one axis, the source cells it covers and by how much.
struct Span {
    int first;
    std::vector<double> weights;
};
std::vector<Span> spans(int sourceSize, int targetSize)
{
    std::vector<Span> result;
    const double step = double(sourceSize) / targetSize;
    for (int i = 0; i < targetSize; ++i) {
        const double from = i * step;
        const double to = (i + 1) * step;
        Span span { int(std::floor(from)), {} };
        for (int s = span.first; s < sourceSize && s < to; ++s) {
            const double covered = std::min(to, s + 1.0) - std::max(from, double(s));
            span.weights.push_back(covered / step);
        }
        result.push_back(std::move(span));
    }
    return result;
}

// Area-averaging resample: every source pixel counts by the part of it a target pixel covers.
LinearImage resampled(const LinearImage& source, int width, int height)
{
    const auto columns = spans(source.width, width);
    const auto rows = spans(source.height, height);
    LinearImage across { width, source.height,
        std::vector<double>(std::size_t(width) * std::size_t(source.height) * 3, 0.0) };
    for (int y = 0; y < source.height; ++y) {
        for (int x = 0; x < width; ++x) {
            double* out = across.at(x, y);
            const Span& span = columns[std::size_t(x)];
            for (std::size_t k = 0; k < span.weights.size(); ++k) {
                const double* in = source.at(span.first + int(k), y);
                for (int c = 0; c < 3; ++c)
                    out[c] += in[c] * span.weights[k];
            }
        }
    }
    LinearImage result { width, height,
        std::vector<double>(std::size_t(width) * std::size_t(height) * 3, 0.0) };
    for (int y = 0; y < height; ++y) {
        const Span& span = rows[std::size_t(y)];
        for (int x = 0; x < width; ++x) {
            double* out = result.at(x, y);
            for (std::size_t k = 0; k < span.weights.size(); ++k) {
                const double* in = across.at(x, span.first + int(k));
                for (int c = 0; c < 3; ++c)
                    out[c] += in[c] * span.weights[k];
            }
        }
    }
    return result;
}

// The city lights alone, as one linear intensity in all three channels. The lights image
// also shows the land faintly in blue; a lamp is the warm part that rises above that blue.
LinearImage lightsOf(const QImage& source)
{
    const QImage rgb = source.convertToFormat(QImage::Format_RGB32);
    LinearImage image { rgb.width(), rgb.height(), {} };
    image.rgb.resize(std::size_t(rgb.width()) * std::size_t(rgb.height()) * 3);
    const auto& table = toLinear();
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) {
            const double warm = qRed(line[x]) - 0.55 * qBlue(line[x]) - 12.0;
            const int level = std::clamp(int(std::lround(warm * 1.3)), 0, 255);
            double* pixel = image.at(x, y);
            pixel[0] = pixel[1] = pixel[2] = table[std::size_t(level)];
        }
    }
    return image;
}

QImage encoded(const LinearImage& image)
{
    QImage result(image.width, image.height, QImage::Format_RGB32);
    for (int y = 0; y < image.height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < image.width; ++x) {
            const double* pixel = image.at(x, y);
            line[x] = qRgb(toSrgb(pixel[0]), toSrgb(pixel[1]), toSrgb(pixel[2]));
        }
    }
    return result;
}

} // namespace

QImage dayMap(const QImage& earth, int scale)
{
    return encoded(resampled(linearOf(earth), kMapWidth * scale, kMapHeight * scale));
}

QImage nightMap(const QImage& earth, const QImage& cityLights, int scale)
{
    const int width = kMapWidth * scale;
    const int height = kMapHeight * scale;
    const LinearImage day = resampled(linearOf(earth), width, height);
    const LinearImage lights = resampled(lightsOf(cityLights), width, height);
    // Moonlight: the day colours, much darker and shifted to blue.
    constexpr std::array<double, 3> kMoonlight = { 0.040, 0.055, 0.105 };
    // Sodium-lamp orange for the lights, strong enough to survive the averaging.
    constexpr std::array<double, 3> kLamp = { 4.0, 2.8, 1.2 };
    LinearImage night { width, height, std::vector<double>(day.rgb.size(), 0.0) };
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double* d = day.at(x, y);
            const double* l = lights.at(x, y);
            const double glow = l[0];
            const double luminance = 0.2126 * d[0] + 0.7152 * d[1] + 0.0722 * d[2];
            double* out = night.at(x, y);
            for (std::size_t c = 0; c < 3; ++c)
                out[c] = (0.35 * d[c] + 0.65 * luminance) * kMoonlight[c] + 0.003 + glow * kLamp[c];
        }
    }
    return encoded(night);
}

} // namespace art
