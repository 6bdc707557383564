#include "tools/art_generator/moon_art.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

namespace art {

namespace {

constexpr double kRadius = 37.0; // design pixels, in an 80-pixel frame
constexpr int kSubsamples = 4; // per axis, for the antialiased rim and terminator

struct Rgb {
    double r, g, b;
};
Rgb operator+(Rgb a, Rgb b)
{
    return { a.r + b.r, a.g + b.g, a.b + b.b };
}
Rgb operator*(Rgb a, double k)
{
    return { a.r * k, a.g * k, a.b * k };
}
Rgb lerp(Rgb a, Rgb b, double t)
{
    return a * (1.0 - t) + b * t;
}

constexpr Rgb kHighland { 238, 235, 227 };
constexpr Rgb kMare { 150, 148, 143 };
constexpr Rgb kEarthshine { 46, 52, 64 };
// The unlit part is a translucent shadow, so that it suits light and dark views alike.
constexpr double kEarthshineAlpha = 0.78;

double smoothstep(double edge0, double edge1, double x)
{
    const double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
    return t * t * (3.0 - 2.0 * t);
}

// Value noise on an integer lattice with a fixed hash: the same on every machine.
double lattice(int x, int y)
{
    std::uint32_t h = std::uint32_t(x) * 374761393u + std::uint32_t(y) * 668265263u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return double(h & 0xffffu) / 65535.0;
}

double noise(double x, double y)
{
    const double fx = std::floor(x);
    const double fy = std::floor(y);
    const int ix = int(fx);
    const int iy = int(fy);
    const double tx = smoothstep(0.0, 1.0, x - fx);
    const double ty = smoothstep(0.0, 1.0, y - fy);
    const double top = lattice(ix, iy) * (1 - tx) + lattice(ix + 1, iy) * tx;
    const double bottom = lattice(ix, iy + 1) * (1 - tx) + lattice(ix + 1, iy + 1) * tx;
    return top * (1 - ty) + bottom * ty;
}

struct Blob {
    double x, y, rx, ry, strength;
};

// The near side's maria on the disc (x to the right, y down, radius 1), north up. They
// overlap, so that they merge into the connected dark seas of the real near side.
constexpr std::array kMaria = {
    Blob { -0.64, -0.10, 0.26, 0.40, 0.85 }, // Procellarum, north
    Blob { -0.58, 0.22, 0.22, 0.26, 0.75 }, // Procellarum, south
    Blob { -0.30, -0.40, 0.30, 0.25, 1.00 }, // Imbrium
    Blob { 0.22, -0.38, 0.18, 0.17, 1.00 }, // Serenitatis
    Blob { 0.42, -0.08, 0.22, 0.20, 1.00 }, // Tranquillitatis
    Blob { 0.76, -0.30, 0.11, 0.13, 1.00 }, // Crisium
    Blob { 0.64, 0.16, 0.13, 0.19, 0.90 }, // Fecunditatis
    Blob { 0.42, 0.32, 0.10, 0.10, 0.85 }, // Nectaris
    Blob { -0.20, 0.36, 0.20, 0.15, 0.85 }, // Nubium
    Blob { -0.54, 0.44, 0.11, 0.11, 0.85 }, // Humorum
    Blob { -0.20, -0.70, 0.30, 0.09, 0.45 }, // Frigoris, west
    Blob { 0.18, -0.72, 0.22, 0.08, 0.40 }, // Frigoris, east
    Blob { 0.04, -0.16, 0.15, 0.11, 0.80 }, // Vaporum and Sinus Medii
    Blob { -0.32, 0.10, 0.18, 0.13, 0.75 }, // Cognitum and Insularum
};

// Young bright craters: Tycho, Copernicus, Kepler, Aristarchus.
constexpr std::array kCraters = {
    Blob { -0.14, 0.72, 0.030, 0.030, 1.0 },
    Blob { -0.30, -0.18, 0.028, 0.028, 0.8 },
    Blob { -0.54, -0.12, 0.020, 0.020, 0.6 },
    Blob { -0.70, -0.38, 0.018, 0.018, 0.9 },
};

double ellipseDistance(const Blob& blob, double x, double y)
{
    const double dx = (x - blob.x) / blob.rx;
    const double dy = (y - blob.y) / blob.ry;
    return std::sqrt(dx * dx + dy * dy);
}

// The surface colour at disc point (x, y): highlands, maria with ragged edges, a grain of
// small-scale noise, and the bright craters with their haloes.
Rgb surfaceAt(double x, double y)
{
    // The seas are soft blobs whose densities add up, so that neighbours merge into the
    // connected dark plains of the real near side; a ragged threshold gives their shores.
    double density = 0.0;
    for (const Blob& blob : kMaria) {
        const double d = ellipseDistance(blob, x, y);
        density += blob.strength * std::exp(-1.6 * d * d);
    }
    const double ragged = 0.22 * (noise(x * 5.0 + 11.0, y * 5.0 + 3.0) - 0.5)
        + 0.10 * (noise(x * 13.0, y * 13.0) - 0.5);
    const double mare = smoothstep(0.22, 0.72, density + ragged);
    Rgb colour = lerp(kHighland, kMare, mare * 0.85);
    const double grain = 0.91 + 0.07 * noise(x * 6.0 + 5.0, y * 6.0 + 9.0)
        + 0.05 * noise(x * 22.0, y * 22.0) + 0.03 * (noise(x * 55.0, y * 55.0) - 0.5);
    colour = colour * grain;
    for (const Blob& crater : kCraters) {
        const double d = ellipseDistance(crater, x, y);
        const double glow
            = crater.strength * (0.55 * smoothstep(1.0, 0.3, d) + 0.16 * smoothstep(4.5, 1.0, d));
        colour = lerp(colour, Rgb { 252, 250, 245 }, std::min(1.0, glow));
    }
    return colour;
}

} // namespace

QImage moonStrip(int scale)
{
    const int side = kMoonFrameSide * scale;
    QImage image(side * kMoonFrames, side, QImage::Format_ARGB32);
    image.fill(0u);
    const double radius = kRadius * scale;
    const double centre = side / 2.0;
    // The surface is the same in every frame and smooth enough to take once a pixel; only
    // the rim and the terminator need the subsamples.
    std::vector<Rgb> surfaces(std::size_t(side) * std::size_t(side), Rgb { 0, 0, 0 });
    for (int py = 0; py < side; ++py) {
        for (int px = 0; px < side; ++px) {
            double x = (px + 0.5 - centre) / radius;
            double y = (py + 0.5 - centre) / radius;
            const double r = std::sqrt(x * x + y * y);
            if (r > 1.0) {
                x /= r;
                y /= r;
            }
            surfaces[std::size_t(py) * std::size_t(side) + std::size_t(px)] = surfaceAt(x, y);
        }
    }
    for (int frame = 0; frame < kMoonFrames; ++frame) {
        const double phase = 2.0 * std::numbers::pi * frame / kMoonFrames;
        const double sunX = std::sin(phase);
        const double sunZ = -std::cos(phase);
        for (int py = 0; py < side; ++py) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(py)) + frame * side;
            for (int px = 0; px < side; ++px) {
                const Rgb surface = surfaces[std::size_t(py) * std::size_t(side) + std::size_t(px)];
                const Rgb dark = kEarthshine * (0.86 + 0.14 * (surface.r / kHighland.r));
                Rgb sum { 0, 0, 0 };
                double coverage = 0.0;
                int covered = 0;
                for (int sy = 0; sy < kSubsamples; ++sy) {
                    for (int sx = 0; sx < kSubsamples; ++sx) {
                        const double x = (px + (sx + 0.5) / kSubsamples - centre) / radius;
                        const double y = (py + (sy + 0.5) / kSubsamples - centre) / radius;
                        const double r2 = x * x + y * y;
                        if (r2 > 1.0)
                            continue;
                        const double z = std::sqrt(1.0 - r2);
                        // Lommel-Seeliger: the full moon looks evenly bright, not like a ball.
                        const double incidence = x * sunX + z * sunZ;
                        double lit
                            = incidence > 0.0 ? 2.0 * incidence / (incidence + z + 1e-9) : 0.0;
                        lit = std::min(1.0, lit) * (0.84 + 0.16 * std::sqrt(z));
                        lit = std::pow(lit, 0.6);
                        const double opacity = kEarthshineAlpha + (1.0 - kEarthshineAlpha) * lit;
                        // Premultiplied, so that the translucent shadow averages correctly.
                        sum = sum + lerp(dark * kEarthshineAlpha, surface, lit);
                        coverage += opacity;
                        ++covered;
                    }
                }
                if (covered == 0)
                    continue;
                const Rgb colour = sum * (1.0 / coverage);
                const int alpha = int(std::lround(255.0 * coverage / (kSubsamples * kSubsamples)));
                const auto channel
                    = [](double value) { return std::clamp(int(std::lround(value)), 0, 255); };
                line[px] = qRgba(channel(colour.r), channel(colour.g), channel(colour.b), alpha);
            }
        }
    }
    return image;
}

} // namespace art
