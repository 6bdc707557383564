#pragma once
// Mock-ups for the contact sheet: the written pictures put together the way the program
// and the face descriptions are meant to use them (at 10:08:36 on Tuesday 11 June), so
// that the look can be judged whole. They are not shipped.

#include "tools/art_generator/canvas.h"

#include <QImage>
#include <QString>

#include <filesystem>
#include <vector>

namespace art {

struct MockUp {
    QString label;
    QImage image;
};

// Empty when a picture the mock-ups need is missing from `root`.
[[nodiscard]] std::vector<MockUp> mockUps(const std::filesystem::path& root, const Fonts& fonts);

} // namespace art
