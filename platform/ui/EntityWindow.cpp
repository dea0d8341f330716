#include "platform/ui/EntityWindow.h"

#include <QEvent>

#include "platform/ui/WindowSettings.h"

namespace platform::ui {

namespace {

constexpr char kAppKey[] = "QuarvelAnalyzer";

// Sees the window's events before the form does; neither a resize nor a
// state change is altered by the form's own handlers, so the state read
// here is the one they leave.
class StateWatch : public QObject {
public:
    StateWatch(QWidget& window, Qt::WindowStates& remembered) : m_window(window), m_remembered(remembered) {
        window.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &m_window && (event->type() == QEvent::Resize || event->type() == QEvent::WindowStateChange)) {
            const Qt::WindowStates state = m_window.windowState();
            if (!(state & Qt::WindowMinimized)) m_remembered = state & ~Qt::WindowActive;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QWidget& m_window;
    Qt::WindowStates& m_remembered;
};

}  // namespace

EntityWindow::EntityWindow(QWidget& window, QWidget* owner, std::string placementSection)
    : Owner(owner), m_window(window), m_section(std::move(placementSection)),
      m_stateWatch(std::make_unique<StateWatch>(window, CurrentWindowState)) {}

// The watch goes first: the window's own destruction comes after this one
// and must find no filter that writes into it.
EntityWindow::~EntityWindow() = default;

QString EntityWindow::Tag() const { return m_window.property("Tag").toString(); }

void EntityWindow::SetTag(const QString& tag) { m_window.setProperty("Tag", tag); }

void EntityWindow::RestorePlacement() {
    if (!m_section.empty()) WindowSettings::RestorePlacement(&m_window, kAppKey, m_section);
}

void EntityWindow::SavePlacement() noexcept {
    if (m_section.empty()) return;
    try {
        WindowSettings::SavePlacement(&m_window, kAppKey, m_section);
    } catch (...) {
    }
}

void EntityWindow::ReleaseOwner() {
    QPointer<QWidget> owner = Owner;
    Owner.clear();
    if (owner) owner->activateWindow();
}

void RestoreFromMinimised(QWidget& window, Qt::WindowStates remembered) {
    if (!(window.windowState() & Qt::WindowMinimized)) return;
    remembered &= ~(Qt::WindowMinimized | Qt::WindowActive);
    window.setWindowState(remembered ? remembered : (window.windowState() & ~Qt::WindowMinimized));
}

void BringToFront(QWidget& window, Qt::WindowStates remembered) {
    if (window.isHidden()) window.show();
    RestoreFromMinimised(window, remembered);
    window.raise();
    window.activateWindow();
}

}  // namespace platform::ui
