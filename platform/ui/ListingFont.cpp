#include "platform/ui/ListingFont.h"

#include <QFontDatabase>
#include <QFontMetrics>

namespace platform::ui {

bool HasEqualAdvances(const QFont& font) {
    const QFontMetrics metrics(font);
    const int i = metrics.horizontalAdvance(QLatin1Char('i'));
    return i > 0 && metrics.horizontalAdvance(QLatin1Char('m')) == i && metrics.horizontalAdvance(QLatin1Char('W')) == i;
}

QFont ListingFont() {
    const QFont system = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    QFont courier("Courier New");
    courier.setStyleHint(QFont::TypeWriter);
    QFont monospace("monospace");
    monospace.setStyleHint(QFont::TypeWriter);
    for (const QFont& font : {courier, system, monospace})
        if (HasEqualAdvances(font)) return font;
    return system;
}

}  // namespace platform::ui
