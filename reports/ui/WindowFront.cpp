#include "reports/ui/WindowFront.h"

#include <QWidget>

namespace reports::ui {

void BringBack(QWidget& window, Qt::WindowStates remembered) {
    if (window.isHidden()) window.show();
    if (window.windowState() & Qt::WindowMinimized) {
        remembered &= ~(Qt::WindowMinimized | Qt::WindowActive);
        window.setWindowState(remembered ? remembered : (window.windowState() & ~Qt::WindowMinimized));
    }
    window.raise();
    window.activateWindow();
}

}  // namespace reports::ui
