#include "app/CommandsEnabling.h"

#include <QEvent>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <map>
#include <set>

#include "platform/ui/MainWindow.h"

namespace app {

namespace {

// What the availability of the commands depends on, kept on the main window.
class CommandState : public QObject {
    Q_OBJECT
public:
    explicit CommandState(QObject* parent) : QObject(parent) { setObjectName("qaCommandState"); }

    bool open = false;
    std::set<QString> backed;
    std::map<QString, QPointer<QWidget>> held;
};

CommandState& StateOf(platform::ui::IMainWindow& w) {
    QWidget* window = w.Window();
    if (auto* s = window->findChild<CommandState*>(QString(), Qt::FindDirectChildrenOnly)) return *s;
    return *new CommandState(window);
}

bool Held(const CommandState& s, const QString& name) {
    const auto it = s.held.find(name);
    return it != s.held.end() && it->second && !it->second->isHidden();
}

void ApplyServiceCommand(platform::ui::IMainWindow& w, const CommandState& s, const QString& name) {
    w.SetCommandEnabled(name, s.open && s.backed.count(name) > 0 && !Held(s, name));
}

// Gives the command back when the holding window is closed or hidden.
class HoldWatcher : public QObject {
    Q_OBJECT
public:
    HoldWatcher(QWidget* window, std::function<void()> release)
        : QObject(window), m_window(window), m_release(std::move(release)) {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        // Minimizing hides a window too, but only close() and hide() mark it hidden.
        if (watched == m_window && event->type() == QEvent::Hide && m_window->isHidden()) m_release();
        return false;
    }

private:
    QWidget* m_window;
    std::function<void()> m_release;
};

}  // namespace

void EnableWorkspaceCommands(platform::ui::IMainWindow& w, bool open) {
    CommandState& s = StateOf(w);
    s.open = open;
    w.EnableToolsMenu(open);
    w.SetCommandEnabled("mnuFileRefreshWorkspace", open);
    w.SetCommandEnabled("mnuToolsEnterClientInformation", open);
    for (const char* name : kServiceCommands) ApplyServiceCommand(w, s, name);
}

bool WorkspaceCommandsEnabled(platform::ui::IMainWindow& w) { return StateOf(w).open; }

void SetCommandBacked(platform::ui::IMainWindow& w, const QString& name, bool backed) {
    CommandState& s = StateOf(w);
    if (backed)
        s.backed.insert(name);
    else
        s.backed.erase(name);
    ApplyServiceCommand(w, s, name);
}

void HoldCommandWhileOpen(platform::ui::IMainWindow& w, const QString& name, QWidget* window) {
    if (!window) return;
    CommandState& s = StateOf(w);
    s.held[name] = window;
    ApplyServiceCommand(w, s, name);

    const QString watcherName = "qaHold:" + name;
    if (window->findChild<HoldWatcher*>(watcherName, Qt::FindDirectChildrenOnly)) return;
    QPointer<CommandState> state(&s);
    platform::ui::IMainWindow* main = &w;
    // Only while w is still the program's main window: when the main window
    // itself goes, its child windows go after it and must not reach it.
    auto release = [state, main, name] {
        if (!state || Globals::g_MainForm != main) return;
        ApplyServiceCommand(*main, *state, name);
    };
    auto* watcher = new HoldWatcher(window, release);
    watcher->setObjectName(watcherName);
    // A window that goes holds nothing any more (its pointer is cleared).
    QObject::connect(window, &QObject::destroyed, &s, release);
}

bool IsCommandHeld(platform::ui::IMainWindow& w, const QString& name) { return Held(StateOf(w), name); }

}  // namespace app

#include "CommandsEnabling.moc"
