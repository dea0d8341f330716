#pragma once
// The dock splitter: a tree of named panes over QDockWidget. The root pane is
// divided into two named panes, side by side or one above the other, and so
// on; each undivided pane is a dock that shows one control. The user can hide,
// float and re-dock panes; the whole arrangement round-trips through one text
// (GetLayout / ApplyLayout). Used as a child widget of the window that hosts it.

#include <QMainWindow>
#include <QPointer>
#include <QRect>
#include <QSizeF>
#include <QString>

#include <memory>
#include <vector>

#include "platform/ui/core/SplitterLayout.h"

class QDockWidget;

namespace platform::ui {

class TSplitter;

class TSplitterPane {
public:
    const QString& Name() const { return m_name; }
    QString Caption() const { return m_caption; }
    void SetCaption(const QString& caption);

    // A divided pane counts as visible while any of its panes is.
    bool Visible() const;
    void SetVisible(bool visible);

    // The client area (below the caption) in the coordinates of the window
    // that hosts the splitter; empty while the pane is hidden.
    QRect GetRect() const;
    void Activate();

    // Divides an undivided pane into two new panes named first and second;
    // firstSize is the first pane's width (side by side) or height (one above
    // the other) in pixels, taken as a share of this pane's current size. A
    // control shown by this pane moves to the first pane. False when the pane
    // is divided already or a name is empty or taken.
    bool Split(SplitOrientation orientation, int firstSize, const QString& first, const QString& second);

    // Pane options: whether the user may close, move (re-dock) and float it.
    void SetClosable(bool on);
    void SetMovable(bool on);
    void SetFloatable(bool on);
    bool Closable() const { return m_closable; }
    bool Movable() const { return m_movable; }
    bool Floatable() const { return m_floatable; }

    bool IsDivided() const { return m_orientation != SplitOrientation::None; }
    SplitOrientation Orientation() const { return m_orientation; }
    TSplitterPane* Parent() const { return m_parent; }
    const std::vector<TSplitterPane*>& Children() const { return m_children; }
    // The dock of an undivided pane (nullptr for a divided pane and the root).
    QDockWidget* Dock() const { return m_dock; }

private:
    friend class TSplitter;
    TSplitterPane(TSplitter& owner, QString name, TSplitterPane* parent)
        : m_owner(owner), m_name(std::move(name)), m_caption(m_name), m_parent(parent) {}
    void ApplyFeatures();
    bool SplitShare(SplitOrientation orientation, double share, const QString& first, const QString& second);

    TSplitter& m_owner;
    QString m_name;
    QString m_caption;
    TSplitterPane* m_parent;
    std::vector<TSplitterPane*> m_children;
    SplitOrientation m_orientation = SplitOrientation::None;
    double m_share = 0.5;
    QDockWidget* m_dock = nullptr;
    bool m_closable = true;
    bool m_movable = true;
    bool m_floatable = true;
};

class TSplitter : public QMainWindow {
    Q_OBJECT
public:
    explicit TSplitter(QWidget* parent = nullptr);
    ~TSplitter() override;

    // The undivided starting pane; the first split is made on it.
    TSplitterPane* Root() const { return m_root.get(); }
    // The pane of that name (case sensitive), or nullptr.
    TSplitterPane* Panes(const QString& name) const;
    std::vector<TSplitterPane*> AllPanes() const;
    TSplitterPane* ActivePane() const { return m_active; }

    // Shows a control in an undivided pane; the pane's dock owns it from then
    // on until ClearPanes hands it back to the splitter. False for an unknown
    // or divided pane.
    bool SetPaneWidget(const QString& name, QWidget* control);

    // The layout switch: while off, pane changes raise no Layout signal;
    // switching it on raises one.
    void SetLayoutEnabled(bool on);
    bool LayoutEnabled() const { return m_layoutEnabled; }

    QString GetLayout();
    // Replaces every pane by the layout of the text. False, with no pane
    // left, when the text is not a layout of this splitter or its dock state
    // cannot be restored.
    bool ApplyLayout(const QString& text);
    // Removes every pane; the controls they showed stay alive, hidden, as
    // children of the splitter.
    void ClearPanes();
    // False while the sizes of splits made before the splitter showed wait
    // to be put in (rounds of timers after its first paint, which a busy
    // machine delays), and the panes asked to hide meanwhile still show.
    bool SizesSettled() const { return m_pendingSplits.empty() && !m_applying; }

signals:
    // After any change of pane sizes, visibility or docking.
    void Layout();
    // When the user activates a pane (a click on its caption).
    void PaneActivate(platform::ui::TSplitterPane* pane);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;

private:
    friend class TSplitterPane;
    TSplitterPane* AddPane(const QString& name, TSplitterPane* parent);
    QDockWidget* NewDock(TSplitterPane& pane);
    void RaiseLayout();
    void ApplyPendingSizes(int attempt);
    bool PendingSizesHold() const;
    QSizeF PlannedSize(const TSplitterPane& pane) const;
    void BuildFrom(TSplitterPane& pane, const PaneLayout& spec);
    void CollectLayout(const TSplitterPane& pane, PaneLayout& out) const;
    TSplitterPane* PaneOfDock(const QObject* dock) const;

    std::unique_ptr<TSplitterPane> m_root;
    std::vector<std::unique_ptr<TSplitterPane>> m_panes;
    TSplitterPane* m_active = nullptr;
    bool m_layoutEnabled = true;
    // Sizes of splits made before the splitter was first laid out; applied
    // once it shows. Panes asked to hide meanwhile hide after that, so that
    // the sizes hold when they are shown again.
    std::vector<TSplitterPane*> m_pendingSplits;
    std::vector<TSplitterPane*> m_pendingHidden;
    // A round of ApplyPendingSizes is under way.
    bool m_applying = false;
};

}  // namespace platform::ui
