#pragma once
// The one pair of converters between the core's UTF-8 std::string and Qt's
// QString, used by window code at its edge.

#include <QString>

#include <string>
#include <string_view>

namespace platform::ui {

inline QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
inline std::string S(const QString& s) { return s.toStdString(); }

}  // namespace platform::ui
