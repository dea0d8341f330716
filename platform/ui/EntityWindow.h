#pragma once
// What the entity windows (a program's flow context, CRUD signature or
// source, a link's dialog, an entity's description, ...) have in common:
// they open over the window that asked for them and give it the focus back
// when they close, they remember the state to come back to from minimised,
// they keep their placement between runs, and they are found again among
// the application's windows by their Tag.
//
// A form derives from its Qt window class first and from EntityWindow
// second: class frmX : public QWidget, public platform::ui::EntityWindow.

#include <QApplication>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <memory>
#include <string>

namespace platform::ui {

class EntityWindow {
public:
    // The last window state other than minimised, kept at every resize and
    // state change: what the window comes back to from minimised.
    Qt::WindowStates CurrentWindowState = Qt::WindowNoState;
    // The window that asked for this one; it gets the focus back when this
    // one closes.
    QPointer<QWidget> Owner;

    // The key the window is found again by; also the Qt property "Tag".
    QString Tag() const;
    void SetTag(const QString& tag);
    // True from the final close on (the window waits for its deletion).
    bool IsClosed() const { return m_closed; }

    EntityWindow(const EntityWindow&) = delete;
    EntityWindow& operator=(const EntityWindow&) = delete;

protected:
    // window: the form itself. placementSection: where the placement is kept
    // ("Settings\\Source"), empty for a window that keeps none.
    EntityWindow(QWidget& window, QWidget* owner, std::string placementSection);
    ~EntityWindow();

    void MarkClosed() { m_closed = true; }
    // The placement kept at the last close, if any (see WindowSettings).
    void RestorePlacement();
    // Keeps the placement; a failure never stops the close.
    void SavePlacement() noexcept;
    // Forgets Owner and gives it the focus; an owner already gone is left alone.
    void ReleaseOwner();

private:
    QWidget& m_window;
    std::string m_section;
    bool m_closed = false;
    // Watches the window's resizes and state changes for CurrentWindowState.
    std::unique_ptr<QObject> m_stateWatch;
};

// The open top-level window of type W whose Tag is tag, or nullptr; a
// window that has closed and waits for its deletion is passed over.
template <class W>
W* FindEntityWindow(const QString& tag, Qt::CaseSensitivity letterCase) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* window = qobject_cast<W*>(w);
        if (window && !window->IsClosed() && window->Tag().compare(tag, letterCase) == 0) return window;
    }
    return nullptr;
}

// Brings a window back from minimised: to remembered when it is not empty,
// otherwise to the state it had before it was minimised. A window that is
// not minimised stays as it is.
void RestoreFromMinimised(QWidget& window, Qt::WindowStates remembered);

// Shows the window if hidden, brings it back from minimised as
// RestoreFromMinimised does, raises and focuses it.
void BringToFront(QWidget& window, Qt::WindowStates remembered = Qt::WindowNoState);

}  // namespace platform::ui
