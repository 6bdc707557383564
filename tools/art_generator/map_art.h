#pragma once
// The World Time view's day and night maps: equirectangular, longitude -180 at the left
// edge, latitude +90 at the top, the prime meridian and the equator through the middle,
// as the view places its cities. Both are resampled from the licensed inputs with an
// area-averaging filter in linear light; the night map is the day map darkened to
// moonlight with the city lights laid over it, so that the two line up exactly.

#include <QImage>

namespace art {

inline constexpr int kMapWidth = 240;
inline constexpr int kMapHeight = 120;

[[nodiscard]] QImage dayMap(const QImage& earth, int scale);
[[nodiscard]] QImage nightMap(const QImage& earth, const QImage& cityLights, int scale);

} // namespace art
