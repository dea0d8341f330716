#pragma once
// The use-case wizard: the screen-path tree from a start screen in the pane
// "Wizard", a preview of the clicked screen's map in the pane "BMS",
// "&Next >" committing the marked nodes and a node menu to expand a node
// again or trim it. Every start opens a further window; nothing of the tree
// is stored.

#include <QPointer>
#include <QWidget>

#include <string>

#include "common/Tree.h"
#include "platform/ui/ImageList.h"
#include "views/WizardTree.h"

class QAction;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QMenu;
class QPushButton;
class QScrollArea;
class QTreeView;

namespace common {
class IPrompt;
}
namespace platform::ui {
class BmsViewControl;
class TSplitter;
class TreeItemModel;
}  // namespace platform::ui

namespace views::ui {

class frmUseCase : public QWidget {
    Q_OBJECT
public:
    explicit frmUseCase(QWidget* parent);
    ~frmUseCase() override;

    // The tree the window shows; ShowTree puts a change on screen.
    common::Tree& Tree() { return m_tree; }
    void ShowTree();

    // Previews the map of a node's screen: a Tag "e<ElementID>" names a
    // process element, any other Tag a SerialID. A screen without a listing
    // and an entity that is no screen map leave the preview as it was.
    void ShowNodeScreen(const std::string& tag);

    // The tree's mouse-up at a point of its viewport (button 1 left, 2
    // right): previews the node there; the right button sets up the node
    // menu and pops it up at globalPos. Returns whether the menu popped up.
    bool trWizard_MouseUp(int button, const QPoint& pos, const QPoint& globalPos);
    void cmdCommit_Click();
    void mnuReexpand_Click();
    void mnuTrim_Click();
    // Loads the stored process of the item's Tag into the tree.
    void lvProcesses_ItemClick(QListWidgetItem* item);

    // Criterion texts by node key.
    views::Criteria cBranchCriteria;

    QTreeView* trWizard = nullptr;
    QScrollArea* bmsView = nullptr;
    platform::ui::BmsViewControl* BMS = nullptr;
    platform::ui::ImageList imgUseCase;
    platform::ui::TSplitter* splMain = nullptr;
    QPushButton* cmdCommit = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdSaveUseCase = nullptr;
    QPushButton* cmdSelPath = nullptr;
    QLabel* Label1 = nullptr;
    QListWidget* lvProcesses = nullptr;
    QMenu* mnuPNContext = nullptr;
    QAction* mnuReexpand = nullptr;
    QAction* mnuTrim = nullptr;
    QAction* mnuPNViewScreen = nullptr;

    // The gap between the button strip and the splitter.
    static constexpr int kBelowButtons = 4;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Load();
    void Arrange();

    common::Tree m_tree;
    platform::ui::TreeItemModel* m_model = nullptr;
};

// Globals::StartUseCaseWizard with the prompt that asks whether to rebuild
// the screen-pair table. Returns the new window, shown. An identifier that
// names no entity, or no open workspace, raises std::runtime_error before
// anything changes; database errors reach the caller.
frmUseCase* StartUseCaseWizard(const std::string& id, QWidget* owner, common::IPrompt& prompt);

}  // namespace views::ui

namespace Globals {

// Opens a further use-case wizard on the screen with this Ents.ID, owned by
// owner: the screen-pair table built (or kept, as the analyst answers), the
// process tables made sure of, the root labelled "Root" and expanded once.
void StartUseCaseWizard(const std::string& id, QWidget* owner);

}  // namespace Globals
