#pragma once
// JPEG encoding of a painted picture straight through libjpeg. The file is
// as Qt's image writer makes it for the same picture and quality
// (baseline, JFIF density from the image, no comment or profile) but for
// its colour, kept at full resolution (4:4:4) so that a line one pixel wide
// keeps its colour; and it is made without copying every row into red,
// green and blue first: libjpeg reads the 32-bit pixels as they are. A
// report run encodes thousands of pictures.

#include <QImage>

#include <optional>
#include <string>

namespace platform::diagram {

// The JPEG file of an RGB32 (or ARGB32, its alpha ignored) image at quality
// 1 to 100; none for an image of another format or one libjpeg refuses.
std::optional<std::string> EncodeJpeg(const QImage& image, int quality);

}  // namespace platform::diagram
