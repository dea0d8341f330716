#include "platform/ui/WindowSettings.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QWidget>

namespace WindowSettings {

namespace {
QString PlacementKey(const std::string& appKey, const std::string& section) {
    return QString::fromStdString(SettingKey(appKey, section, "Placement"));
}

bool OnSomeScreen(const QRect& frame) {
    for (QScreen* screen : QGuiApplication::screens())
        if (screen->availableGeometry().intersects(frame)) return true;
    return false;
}
}  // namespace

void RestorePlacement(QWidget* window, const std::string& appKey, const std::string& section) {
    if (!window) return;
    QSettings settings;
    const QByteArray saved = settings.value(PlacementKey(appKey, section)).toByteArray();
    if (saved.isEmpty()) return;
    const QRect before = window->geometry();
    const Qt::WindowStates stateBefore = window->windowState();
    if (!window->restoreGeometry(saved)) return;
    if (!OnSomeScreen(window->frameGeometry())) {
        window->setGeometry(before);
        window->setWindowState(stateBefore);
    }
}

void SavePlacement(QWidget* window, const std::string& appKey, const std::string& section) {
    if (!window) return;
    QSettings settings;
    settings.setValue(PlacementKey(appKey, section), window->saveGeometry());
    settings.sync();
}

}  // namespace WindowSettings
