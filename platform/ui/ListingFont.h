#pragma once
// The font a program listing is shown in: one whose characters all take one
// width, so that the columns of the source line up.

#include <QFont>

namespace platform::ui {

// Whether "i", "m" and "W" advance alike. QFontInfo::fixedPitch() is not
// that test: it reports false for fonts such as Noto Sans Mono whose glyphs
// all have one width.
bool HasEqualAdvances(const QFont& font);

// Courier New (or the font that stands in for it), else the system's fixed
// font, else the generic monospace family: the first with equal advances,
// or the system's fixed font when none has them.
QFont ListingFont();

}  // namespace platform::ui
