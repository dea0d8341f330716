#pragma once
// A dense drawing as a flow context with many links between two boxes gives
// it: nested lines whose straight pieces run side by side on tracks 4 px
// apart, and a lone line with an arrowhead. No text, so its pixels are the
// same whatever fonts are installed. Shared by the painter's tests and the
// diagram control's.

#include <gtest/gtest.h>

#include <QImage>
#include <QPoint>
#include <QPointF>

#include <string>
#include <vector>

#include "platform/diagram/DiagramModel.h"

namespace densetracks {

using platform::diagram::Colour;
using platform::diagram::Rgb;

constexpr int kLines = 8;
constexpr double kPitch = 4;
// Blue, red, the yellow of access lines and the black of the plot's lines.
constexpr Colour kColours[] = {Rgb(0, 0, 255), Rgb(255, 0, 0), Rgb(255, 255, 0), Rgb(0, 0, 0)};
inline QRgb ColourOf(int line) {
    const Colour c = kColours[line % 4];
    return qRgb(platform::diagram::Red(c), platform::diagram::Green(c), platform::diagram::Blue(c));
}

// Where the cross-sections go, in model coordinates before the offset: the
// vertical pieces along y = kAcrossVertical, the upper horizontal pieces
// along x = kAcrossUpper, the lower along x = kAcrossLower.
constexpr double kAcrossVertical = 120, kAcrossUpper = 90, kAcrossLower = 250;
// Line i runs from the left box at y = 20 + 4i to x = 140 - 4i, down to
// y = 160 + 4i and on to the right box: no two lines cross.
inline double UpperY(int i) { return 20 + kPitch * i; }
inline double TrackX(int i) { return 140 - kPitch * i; }
inline double LowerY(int i) { return 160 + kPitch * i; }
// Each upper piece is two pieces that meet at x = kStraightOn, as a route's
// pieces meet where it passes a layer.
constexpr double kStraightOn = 100;
// The lone line runs down x = kLoneX from y = kLoneTop into an arrowhead
// whose tip is at y = kLoneTip on the border of the box below.
constexpr double kLoneX = 430, kLoneTop = 30, kLoneTip = 150;

// The boxes and lines, everything moved by offset (a whole pixel, half a
// pixel or any fraction). Returns the left box.
inline platform::diagram::Shape& Plant(platform::diagram::DiagramModel& m, QPointF offset) {
    const double dx = offset.x(), dy = offset.y();
    auto& left = m.AddShape("", dx, dy, 60, 240, "L");
    auto& right = m.AddShape("", 300 + dx, dy, 60, 240, "R");
    for (int i = 0; i < kLines; ++i) {
        auto& l = m.AddLink(left, right, "", "", "", false, "", false);
        l.color = kColours[i % 4];
        l.route = {{60 + dx, UpperY(i) + dy},
                   {kStraightOn + dx, UpperY(i) + dy},
                   {TrackX(i) + dx, UpperY(i) + dy},
                   {TrackX(i) + dx, LowerY(i) + dy},
                   {300 + dx, LowerY(i) + dy}};
    }
    auto& top = m.AddShape("", 400 + dx, dy, 60, kLoneTop, "T");
    auto& bottom = m.AddShape("", 400 + dx, kLoneTip + dy, 60, 30, "B");
    auto& lone = m.AddLink(top, bottom, "", "", "", false, "", true);
    lone.color = kColours[0];
    lone.route = {{kLoneX + dx, kLoneTop + dy}, {kLoneX + dx, kLoneTip + dy}};
    return left;
}

// A stretch of pixels that are not white, along a row or a column.
struct PixelRun {
    int start = 0;
    int length = 0;
    QRgb colour = 0;        // its first pixel's
    bool oneColour = true;  // every pixel that colour
};

// The runs among count pixels from from, a step at a time.
inline std::vector<PixelRun> RunsAlong(const QImage& img, QPoint from, QPoint step, int count) {
    std::vector<PixelRun> runs;
    bool inRun = false;
    for (int k = 0; k < count; ++k) {
        const QPoint at = from + step * k;
        const QRgb pixel = img.valid(at) ? img.pixel(at) | 0xFF000000u : qRgb(255, 255, 255);
        if (pixel == qRgb(255, 255, 255)) {
            inRun = false;
            continue;
        }
        if (!inRun) runs.push_back({k, 0, pixel, true});
        inRun = true;
        runs.back().length++;
        runs.back().oneColour = runs.back().oneColour && pixel == runs.back().colour;
    }
    return runs;
}

// The cross-section of the nested lines as they should look at a zoom where
// a line is width pixels wide and the tracks pitch pixels apart: in the
// lines' order (first, first + dir, ...) each line is width pixels of its
// full colour, with pitch - width white pixels before the next.
inline testing::AssertionResult CrispSection(const std::vector<PixelRun>& runs, int first, int dir, int width, int pitch) {
    if (static_cast<int>(runs.size()) != kLines)
        return testing::AssertionFailure() << runs.size() << " lines across instead of " << kLines;
    for (int k = 0; k < kLines; ++k) {
        const PixelRun& r = runs[static_cast<std::size_t>(k)];
        const int line = first + dir * k;
        if (r.length != width || !r.oneColour || r.colour != (ColourOf(line) | 0xFF000000u))
            return testing::AssertionFailure()
                   << "line " << line << ": " << r.length << " px from (" << qRed(r.colour) << "," << qGreen(r.colour)
                   << "," << qBlue(r.colour) << ")" << (r.oneColour ? "" : " in several colours") << " instead of "
                   << width << " px of (" << qRed(ColourOf(line)) << "," << qGreen(ColourOf(line)) << ","
                   << qBlue(ColourOf(line)) << ")";
        if (k > 0 && r.start - runs[static_cast<std::size_t>(k - 1)].start != pitch)
            return testing::AssertionFailure() << "line " << line << " is " << r.start - runs[k - 1].start
                                               << " px from the one before instead of " << pitch;
    }
    return testing::AssertionSuccess();
}

}  // namespace densetracks
