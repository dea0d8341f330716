#include "platform/ui/WindowSettings.h"

#include <QApplication>
#include <QByteArray>
#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QSettings>
#include <QStyle>
#include <QWidget>

#include <algorithm>

#include "platform/ui/MainWindow.h"

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

// A window's frame margins. Before it has been shown the window manager has
// not told them yet, so those of its owner stand in (same manager, same
// decorations), or none.
QMargins FrameMargins(const QWidget* window, const QWidget* owner) {
    auto margins = [](const QWidget* w) {
        const QRect frame = w->frameGeometry();
        const QRect inner = w->geometry();
        return QMargins(inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
                        frame.bottom() - inner.bottom());
    };
    const QMargins own = margins(window);
    if (!own.isNull() || !owner || !owner->isVisible()) return own;
    return margins(owner);
}

QWidget* OwnerOf(QWidget* window) {
    if (QWidget* parent = window->parentWidget()) return parent->window();
    QWidget* main = Globals::g_MainForm ? Globals::g_MainForm->Window() : nullptr;
    return main != window ? main : nullptr;
}

// The screen that shows most of the frame; the fallback when it is on none.
QScreen* ScreenOf(const QRect& frame, QScreen* fallback) {
    QScreen* best = nullptr;
    qint64 bestArea = 0;
    for (QScreen* screen : QGuiApplication::screens()) {
        const QRect common = screen->availableGeometry().intersected(frame);
        const qint64 area = qint64(common.width()) * common.height();
        if (!common.isEmpty() && area > bestArea) {
            best = screen;
            bestArea = area;
        }
    }
    return best ? best : fallback;
}

// The frame tops of the other open windows of the window's kind.
std::vector<QPoint> TakenCorners(const QWidget* window) {
    std::vector<QPoint> taken;
    for (QWidget* other : QApplication::topLevelWidgets()) {
        if (other == window || !other->isVisible() || !other->isWindow()) continue;
        if (other->metaObject() != window->metaObject() || other->objectName() != window->objectName()) continue;
        taken.push_back(other->frameGeometry().topLeft());
    }
    return taken;
}

void Place(QWidget* window, bool positioned) {
    if (window->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen | Qt::WindowMinimized)) return;
    QWidget* owner = OwnerOf(window);
    const QMargins margins = FrameMargins(window, owner);
    const QSize frameSize = window->size().grownBy(margins);
    QScreen* fallback = owner && owner->screen() ? owner->screen() : window->screen();
    if (!fallback) fallback = QGuiApplication::primaryScreen();
    if (!fallback) return;

    QRect frame;
    if (!positioned) {
        const QRect ownerFrame = owner && owner->isVisible() ? owner->frameGeometry() : fallback->availableGeometry();
        QScreen* screen = QGuiApplication::screenAt(ownerFrame.center());
        frame = CentredOn(frameSize, ownerFrame, (screen ? screen : fallback)->availableGeometry());
    } else {
        frame = QRect(window->pos(), frameSize);
        frame = KeptInside(frame, ScreenOf(frame, fallback)->availableGeometry());
    }
    const QRect area = ScreenOf(frame, fallback)->availableGeometry();
    const int step = std::max(QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight), 16);
    frame = Cascaded(frame, TakenCorners(window), area, step);

    if (frame.size() != frameSize) window->resize(frame.size().shrunkBy(margins));
    window->move(frame.topLeft());
}

// Places its window when the window is first shown, then goes. The show
// event comes before the window reaches the screen, so it never flickers
// at another place first.
class ShowPlacer : public QObject {
public:
    explicit ShowPlacer(QWidget* window) : QObject(window), m_window(window) {
        setObjectName("qaShowPlacer");
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_window && event->type() == QEvent::Show) {
            m_window->removeEventFilter(this);
            // A window moved before it shows (restored, or placed by its
            // opener) keeps its position; one never moved has none yet.
            Place(m_window, m_window->testAttribute(Qt::WA_Moved));
            deleteLater();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QPointer<QWidget> m_window;
};

}  // namespace

QRect KeptInside(QRect frame, const QRect& area) {
    if (area.isEmpty()) return frame;
    frame.setWidth(std::min(frame.width(), area.width()));
    frame.setHeight(std::min(frame.height(), area.height()));
    frame.moveLeft(std::clamp(frame.left(), area.left(), area.right() - frame.width() + 1));
    frame.moveTop(std::clamp(frame.top(), area.top(), area.bottom() - frame.height() + 1));
    return frame;
}

QRect CentredOn(const QSize& size, const QRect& owner, const QRect& area) {
    QRect frame(QPoint(0, 0), size);
    frame.moveCenter(owner.center());
    return KeptInside(frame, area);
}

QRect Cascaded(QRect frame, const std::vector<QPoint>& taken, const QRect& area, int step) {
    auto isTaken = [&](const QPoint& p) { return std::find(taken.begin(), taken.end(), p) != taken.end(); };
    // Every corner can be taken at most once: after that many steps one is free.
    for (size_t tries = 0; tries <= taken.size() && isTaken(frame.topLeft()); ++tries) {
        frame.translate(step, step);
        if (!area.isEmpty() && !area.contains(frame)) frame.moveTopLeft(area.topLeft());
    }
    return frame;
}

void PlaceWhenShown(QWidget* window) {
    if (!window) return;
    if (window->isVisible()) {
        Place(window, true);
        return;
    }
    if (window->findChild<ShowPlacer*>("qaShowPlacer", Qt::FindDirectChildrenOnly)) return;
    new ShowPlacer(window);
}

void RestorePlacement(QWidget* window, const std::string& appKey, const std::string& section) {
    if (!window) return;
    QSettings settings;
    const QByteArray saved = settings.value(PlacementKey(appKey, section)).toByteArray();
    const QRect before = window->geometry();
    const Qt::WindowStates stateBefore = window->windowState();
    const bool movedBefore = window->testAttribute(Qt::WA_Moved);
    if (!saved.isEmpty() && window->restoreGeometry(saved) && !OnSomeScreen(window->frameGeometry())) {
        // Off every screen: as if nothing had been saved.
        window->setGeometry(before);
        window->setWindowState(stateBefore);
        window->setAttribute(Qt::WA_Moved, movedBefore);
    }
    PlaceWhenShown(window);
}

void SavePlacement(QWidget* window, const std::string& appKey, const std::string& section) {
    if (!window) return;
    QSettings settings;
    settings.setValue(PlacementKey(appKey, section), window->saveGeometry());
    settings.sync();
}

}  // namespace WindowSettings
