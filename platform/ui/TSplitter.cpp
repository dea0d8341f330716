#include "platform/ui/TSplitter.h"

#include <QDockWidget>
#include <QEvent>
#include <QLayout>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace platform::ui {

namespace {
Qt::Orientation ToQt(SplitOrientation o) {
    return o == SplitOrientation::SideBySide ? Qt::Horizontal : Qt::Vertical;
}

// A leaf whose dock stands for the subtree when the dock area sizes it.
TSplitterPane* FirstLeaf(TSplitterPane* pane) {
    while (pane && pane->IsDivided()) pane = pane->Children().front();
    return pane;
}
}  // namespace

// ---- TSplitterPane ----

void TSplitterPane::SetCaption(const QString& caption) {
    m_caption = caption;
    if (m_dock) m_dock->setWindowTitle(caption);
}

bool TSplitterPane::Visible() const {
    if (IsDivided())
        return std::any_of(m_children.begin(), m_children.end(), [](auto* c) { return c->Visible(); });
    if (!m_dock) return false;
    const auto& hidden = m_owner.m_pendingHidden;
    if (std::find(hidden.begin(), hidden.end(), this) != hidden.end()) return false;
    return !m_dock->isHidden();
}

void TSplitterPane::SetVisible(bool visible) {
    if (IsDivided()) {
        for (auto* c : m_children) c->SetVisible(visible);
        return;
    }
    if (!m_dock) return;
    auto& hidden = m_owner.m_pendingHidden;
    hidden.erase(std::remove(hidden.begin(), hidden.end(), this), hidden.end());
    if (!visible && !m_owner.m_pendingSplits.empty()) {
        // Hidden once the pending sizes are in place.
        hidden.push_back(this);
        m_owner.RaiseLayout();
        return;
    }
    m_dock->setVisible(visible);
    m_owner.RaiseLayout();
}

QRect TSplitterPane::GetRect() const {
    if (IsDivided()) {
        QRect r;
        for (auto* c : m_children) r = r.united(c->GetRect());
        return r;
    }
    if (!m_dock || !Visible()) return {};
    QWidget* area = m_dock->widget() ? m_dock->widget() : m_dock;
    QRect local = m_dock->widget() ? area->rect() : m_dock->contentsRect();
    QWidget* host = m_owner.window();
    return QRect(area->mapTo(host, local.topLeft()), local.size());
}

void TSplitterPane::Activate() {
    m_owner.m_active = this;
    if (m_dock) m_dock->raise();
}

bool TSplitterPane::Split(SplitOrientation orientation, int firstSize, const QString& first, const QString& second) {
    const QSizeF size = m_owner.PlannedSize(*this);
    const double extent = orientation == SplitOrientation::SideBySide ? size.width() : size.height();
    double share = extent > 0 ? firstSize / extent : 0.5;
    share = std::clamp(share, 0.01, 0.99);
    return SplitShare(orientation, share, first, second);
}

bool TSplitterPane::SplitShare(SplitOrientation orientation, double share, const QString& first,
                               const QString& second) {
    if (IsDivided() || orientation == SplitOrientation::None) return false;
    if (first.isEmpty() || second.isEmpty() || first == second) return false;
    if (m_owner.Panes(first) || m_owner.Panes(second)) return false;

    TSplitterPane* a = m_owner.AddPane(first, this);
    TSplitterPane* b = m_owner.AddPane(second, this);
    m_orientation = orientation;
    m_share = share;
    m_children = {a, b};

    if (m_dock) {
        // The first pane takes over this pane's dock and its control.
        a->m_dock = m_dock;
        m_dock = nullptr;
        a->m_dock->setObjectName(first);
        a->m_dock->setWindowTitle(a->m_caption);
    } else {
        a->m_dock = m_owner.NewDock(*a);
        m_owner.addDockWidget(Qt::LeftDockWidgetArea, a->m_dock);
    }
    a->ApplyFeatures();
    b->m_dock = m_owner.NewDock(*b);
    m_owner.splitDockWidget(a->m_dock, b->m_dock, ToQt(orientation));
    b->ApplyFeatures();

    m_owner.m_pendingSplits.push_back(this);
    if (m_owner.isVisible()) m_owner.update();
    m_owner.RaiseLayout();
    return true;
}

void TSplitterPane::SetClosable(bool on) { m_closable = on; ApplyFeatures(); }
void TSplitterPane::SetMovable(bool on) { m_movable = on; ApplyFeatures(); }
void TSplitterPane::SetFloatable(bool on) { m_floatable = on; ApplyFeatures(); }

void TSplitterPane::ApplyFeatures() {
    if (!m_dock) return;
    QDockWidget::DockWidgetFeatures f = QDockWidget::NoDockWidgetFeatures;
    if (m_closable) f |= QDockWidget::DockWidgetClosable;
    if (m_movable) f |= QDockWidget::DockWidgetMovable;
    if (m_floatable) f |= QDockWidget::DockWidgetFloatable;
    m_dock->setFeatures(f);
}

// ---- TSplitter ----

TSplitter::TSplitter(QWidget* parent) : QMainWindow(parent) {
    setWindowFlags(Qt::Widget);
    setDockOptions(QMainWindow::AllowNestedDocks | QMainWindow::AllowTabbedDocks | QMainWindow::AnimatedDocks);
    m_root.reset(new TSplitterPane(*this, QString(), nullptr));
}

TSplitter::~TSplitter() {
    // The docks go with the base class, after the panes; they must not call
    // back into a splitter that is half gone.
    m_layoutEnabled = false;
    for (const auto& p : m_panes) {
        if (!p->m_dock) continue;
        p->m_dock->removeEventFilter(this);
        QObject::disconnect(p->m_dock, nullptr, this, nullptr);
    }
}

TSplitterPane* TSplitter::Panes(const QString& name) const {
    for (const auto& p : m_panes)
        if (p->m_name == name) return p.get();
    return nullptr;
}

std::vector<TSplitterPane*> TSplitter::AllPanes() const {
    std::vector<TSplitterPane*> out;
    for (const auto& p : m_panes) out.push_back(p.get());
    return out;
}

TSplitterPane* TSplitter::AddPane(const QString& name, TSplitterPane* parent) {
    m_panes.emplace_back(new TSplitterPane(*this, name, parent));
    return m_panes.back().get();
}

QDockWidget* TSplitter::NewDock(TSplitterPane& pane) {
    auto* dock = new QDockWidget(pane.m_caption, this);
    dock->setObjectName(pane.m_name);
    dock->installEventFilter(this);
    connect(dock, &QDockWidget::visibilityChanged, this, [this] { RaiseLayout(); });
    connect(dock, &QDockWidget::topLevelChanged, this, [this] { RaiseLayout(); });
    connect(dock, &QDockWidget::dockLocationChanged, this, [this] { RaiseLayout(); });
    return dock;
}

TSplitterPane* TSplitter::PaneOfDock(const QObject* dock) const {
    for (const auto& p : m_panes)
        if (p->m_dock == dock) return p.get();
    return nullptr;
}

bool TSplitter::SetPaneWidget(const QString& name, QWidget* control) {
    TSplitterPane* pane = Panes(name);
    if (!pane || !pane->m_dock || !control) return false;
    pane->m_dock->setWidget(control);
    control->show();
    return true;
}

void TSplitter::SetLayoutEnabled(bool on) {
    m_layoutEnabled = on;
    if (on) RaiseLayout();
}

void TSplitter::RaiseLayout() {
    if (m_layoutEnabled) emit Layout();
}

bool TSplitter::eventFilter(QObject* watched, QEvent* event) {
    if (TSplitterPane* pane = PaneOfDock(watched)) {
        if (event->type() == QEvent::Resize) {
            RaiseLayout();
        } else if (event->type() == QEvent::MouseButtonPress) {
            // Clicks inside the control go to the control; what reaches the
            // dock is a click on its caption.
            pane->Activate();
            emit PaneActivate(pane);
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

bool TSplitter::event(QEvent* event) {
    // Sizes go in once the window is on the screen (see ApplyPendingSizes).
    if (event->type() == QEvent::Paint && !m_pendingSplits.empty() && !m_applying) {
        m_applying = true;
        QTimer::singleShot(0, this, [this] { ApplyPendingSizes(0); });
    }
    return QMainWindow::event(event);
}

QSizeF TSplitter::PlannedSize(const TSplitterPane& pane) const {
    // The splitter's size divided by the shares of the splits above the pane.
    double w = width(), h = height();
    std::vector<const TSplitterPane*> chain;
    for (const TSplitterPane* p = &pane; p->m_parent; p = p->m_parent) chain.push_back(p);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        const TSplitterPane* parent = (*it)->m_parent;
        const double share = parent->m_children.front() == *it ? parent->m_share : 1.0 - parent->m_share;
        if (parent->m_orientation == SplitOrientation::SideBySide)
            w *= share;
        else
            h *= share;
    }
    return QSizeF(w, h);
}

void TSplitter::ApplyPendingSizes(int attempt) {
    if (!isVisible() || m_pendingSplits.empty()) {
        m_applying = false;
        return;
    }
    if (layout()) layout()->activate();
    for (TSplitterPane* pane : m_pendingSplits) {
        if (!pane->IsDivided()) continue;
        TSplitterPane* a = FirstLeaf(pane->m_children[0]);
        TSplitterPane* b = FirstLeaf(pane->m_children[1]);
        if (!a || !b || !a->m_dock || !b->m_dock) continue;
        const QSizeF planned = PlannedSize(*pane);
        const bool side = pane->m_orientation == SplitOrientation::SideBySide;
        const int extent = std::max(static_cast<int>(side ? planned.width() : planned.height()), 100);
        const int first = static_cast<int>(extent * pane->m_share + 0.5);
        resizeDocks({a->m_dock, b->m_dock}, {first, extent - first}, ToQt(pane->m_orientation));
    }
    // On a real display the window may still be given its geometry after
    // its first paint, and the dock area then fits itself again and drops
    // the sizes; they are given again until they hold. Panes waiting to
    // hide hide after that, so they come back at their share when shown.
    constexpr int kAttempts = 40;
    QTimer::singleShot(10, this, [this, attempt] {
        if (m_pendingSplits.empty()) {
            m_applying = false;
            return;
        }
        if (attempt + 1 < kAttempts && !PendingSizesHold()) {
            ApplyPendingSizes(attempt + 1);
            return;
        }
        m_applying = false;
        m_pendingSplits.clear();
        auto hidden = std::move(m_pendingHidden);
        m_pendingHidden.clear();
        for (TSplitterPane* pane : hidden)
            if (pane->m_dock) pane->m_dock->hide();
        RaiseLayout();
    });
}

bool TSplitter::PendingSizesHold() const {
    for (const TSplitterPane* pane : m_pendingSplits) {
        if (!pane->IsDivided()) continue;
        const QRect a = pane->m_children[0]->GetRect();
        const QRect b = pane->m_children[1]->GetRect();
        const bool side = pane->m_orientation == SplitOrientation::SideBySide;
        const int ea = side ? a.width() : a.height();
        const int eb = side ? b.width() : b.height();
        if (ea <= 0 || eb <= 0) continue;
        if (std::abs(static_cast<double>(ea) / (ea + eb) - pane->m_share) > 0.03) return false;
    }
    return true;
}

void TSplitter::ClearPanes() {
    for (const auto& p : m_panes) {
        if (!p->m_dock) continue;
        p->m_dock->removeEventFilter(this);
        QObject::disconnect(p->m_dock, nullptr, this, nullptr);
        if (QWidget* control = p->m_dock->widget()) {
            control->hide();
            control->setParent(this);
        }
        removeDockWidget(p->m_dock);
        delete p->m_dock;
        p->m_dock = nullptr;
    }
    m_active = nullptr;
    m_pendingSplits.clear();
    m_pendingHidden.clear();
    m_panes.clear();
    m_root.reset(new TSplitterPane(*this, QString(), nullptr));
}

void TSplitter::CollectLayout(const TSplitterPane& pane, PaneLayout& out) const {
    out.name = pane.m_name.toStdString();
    out.caption = pane.m_caption.toStdString();
    out.orientation = pane.m_orientation;
    out.firstShare = pane.m_share;
    out.visible = pane.Visible();
    out.closable = pane.m_closable;
    out.movable = pane.m_movable;
    out.floatable = pane.m_floatable;
    if (pane.IsDivided()) {
        // The share the user has dragged to, when the panes are on screen.
        const QRect a = pane.m_children[0]->GetRect();
        const QRect b = pane.m_children[1]->GetRect();
        const bool side = pane.m_orientation == SplitOrientation::SideBySide;
        const int ea = side ? a.width() : a.height();
        const int eb = side ? b.width() : b.height();
        if (ea > 0 && eb > 0) out.firstShare = static_cast<double>(ea) / (ea + eb);
    }
    for (const auto* c : pane.m_children) {
        out.children.emplace_back();
        CollectLayout(*c, out.children.back());
    }
}

QString TSplitter::GetLayout() {
    // Panes waiting to hide until the splitter shows are hidden now, so the
    // dock state says what the panes say.
    if (!m_pendingHidden.empty()) {
        for (TSplitterPane* pane : m_pendingHidden)
            if (pane->m_dock) pane->m_dock->hide();
        m_pendingHidden.clear();
    }
    SplitterLayout layout;
    CollectLayout(*m_root, layout.root);
    layout.state = saveState().toBase64().toStdString();
    return QString::fromStdString(WriteSplitterLayout(layout));
}

void TSplitter::BuildFrom(TSplitterPane& pane, const PaneLayout& spec) {
    pane.SetCaption(QString::fromStdString(spec.caption));
    if (spec.orientation != SplitOrientation::None) {
        pane.SplitShare(spec.orientation, spec.firstShare, QString::fromStdString(spec.children[0].name),
                        QString::fromStdString(spec.children[1].name));
        BuildFrom(*pane.m_children[0], spec.children[0]);
        BuildFrom(*pane.m_children[1], spec.children[1]);
    }
    pane.m_closable = spec.closable;
    pane.m_movable = spec.movable;
    pane.m_floatable = spec.floatable;
    pane.ApplyFeatures();
    if (!pane.IsDivided() && !spec.visible) pane.SetVisible(false);
}

bool TSplitter::ApplyLayout(const QString& text) {
    const auto layout = ReadSplitterLayout(text.toStdString());
    ClearPanes();
    if (!layout) return false;
    const bool wasEnabled = m_layoutEnabled;
    m_layoutEnabled = false;
    BuildFrom(*m_root, layout->root);
    m_root->m_name.clear();
    const QByteArray state = QByteArray::fromBase64(QByteArray::fromStdString(layout->state));
    const bool restored = !state.isEmpty() && restoreState(state);
    m_layoutEnabled = wasEnabled;
    if (!restored) {
        ClearPanes();
        return false;
    }
    // The restored state holds the sizes and which panes are shown.
    m_pendingSplits.clear();
    m_pendingHidden.clear();
    RaiseLayout();
    return true;
}

}  // namespace platform::ui
