#pragma once
// A dense drawing as a flow context with many links between two boxes gives
// it, shared by the painter's and the diagram control's tests: nested lines
// whose straight pieces run side by side on tracks 4 px apart, and a lone
// line into an arrowhead. No text, so its pixels do not depend on fonts.

#include <gtest/gtest.h>

#include <QImage>
#include <QPointF>

#include <vector>

#include "platform/diagram/DiagramModel.h"

namespace densetracks {

constexpr int kLines = 8;
constexpr double kPitch = 4;
// Blue, red, the yellow of access lines and the black of the plot's lines.
constexpr platform::diagram::Colour kColours[] = {platform::diagram::Rgb(0, 0, 255), platform::diagram::Rgb(255, 0, 0),
                                                  platform::diagram::Rgb(255, 255, 0), platform::diagram::Rgb(0, 0, 0)};
inline QRgb ColourOf(int line) {
    const auto c = kColours[line % 4];
    return qRgb(platform::diagram::Red(c), platform::diagram::Green(c), platform::diagram::Blue(c));
}

// Line i runs from the left box at y = UpperY(i) (meeting itself at x =
// kStraightOn, as a route's pieces do where it passes a layer) to x =
// TrackX(i), down to y = LowerY(i) and on to the right box; none cross. The
// cross-sections: along y = kAcrossVertical, x = kAcrossUpper, x = kAcrossLower.
inline double UpperY(int i) { return 20 + kPitch * i; }
inline double TrackX(int i) { return 140 - kPitch * i; }
inline double LowerY(int i) { return 160 + kPitch * i; }
constexpr double kStraightOn = 100, kAcrossVertical = 120, kAcrossUpper = 90, kAcrossLower = 250;
// The lone line runs down x = kLoneX into an arrowhead tipped at y = kLoneTip.
constexpr double kLoneX = 430, kLoneTip = 150;

// Everything moved by offset (a whole pixel, half of one, any fraction);
// returns the left box.
inline platform::diagram::Shape& Plant(platform::diagram::DiagramModel& m, QPointF offset) {
    const double dx = offset.x(), dy = offset.y();
    auto& left = m.AddShape("", dx, dy, 60, 240, "L");
    auto& right = m.AddShape("", 300 + dx, dy, 60, 240, "R");
    for (int i = 0; i < kLines; ++i) {
        auto& l = m.AddLink(left, right, "", "", "", false, "", false);
        l.color = kColours[i % 4];
        l.route = {{60 + dx, UpperY(i) + dy}, {kStraightOn + dx, UpperY(i) + dy}, {TrackX(i) + dx, UpperY(i) + dy},
                   {TrackX(i) + dx, LowerY(i) + dy}, {300 + dx, LowerY(i) + dy}};
    }
    auto& top = m.AddShape("", 400 + dx, dy, 60, 30, "T");
    auto& bottom = m.AddShape("", 400 + dx, kLoneTip + dy, 60, 30, "B");
    auto& lone = m.AddLink(top, bottom, "", "", "", false, "", true);
    lone.color = kColours[0];
    lone.route = {{kLoneX + dx, 30 + dy}, {kLoneX + dx, kLoneTip + dy}};
    return left;
}

// A stretch of pixels that are not white along a row or a column: where it
// starts (in steps), how long it is, its first pixel's colour and whether
// every pixel has that colour.
struct PixelRun {
    int start = 0, length = 0;
    QRgb colour = 0;
    bool oneColour = true;
};

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

// The nested lines across, in the order first, first + dir, ...: each width
// pixels of its full colour, pitch pixels after the one before.
inline testing::AssertionResult CrispSection(const std::vector<PixelRun>& runs, int first, int dir, int width, int pitch) {
    if (runs.size() != kLines) return testing::AssertionFailure() << runs.size() << " lines across";
    for (int k = 0; k < kLines; ++k) {
        const PixelRun& r = runs[k];
        const QRgb c = r.colour;
        if (r.length != width || !r.oneColour || c != ColourOf(first + dir * k))
            return testing::AssertionFailure() << "line " << first + dir * k << ": " << r.length << " px from ("
                                               << qRed(c) << "," << qGreen(c) << "," << qBlue(c) << ")"
                                               << (r.oneColour ? "" : " among others");
        if (k > 0 && r.start - runs[k - 1].start != pitch)
            return testing::AssertionFailure() << "line " << first + dir * k << " " << r.start - runs[k - 1].start
                                               << " px from the one before";
    }
    return testing::AssertionSuccess();
}

}  // namespace densetracks
