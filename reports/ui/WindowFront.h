#pragma once
// Bringing a report window to the front again.

#include <Qt>

class QWidget;

namespace reports::ui {

// Shows the window if hidden, brings it back from minimised to remembered
// (or, when nothing is remembered, to the state it had before), raises and
// focuses it.
void BringBack(QWidget& window, Qt::WindowStates remembered);

}  // namespace reports::ui
