#pragma once
// The remedy window: a tree of entities (trRemedy) whose node menu opens
// an entity's source, CRUD signature, description and, for the entities
// listed under the node keyed "valid", its screen-field validations.
// What the tree holds is given by the caller (SetTree).

#include <QWidget>

#include <string>

#include "common/Tree.h"
#include "platform/ui/ImageList.h"
#include "platform/ui/MessageBoxPrompt.h"

class QAction;
class QMenu;
class QTreeView;

namespace platform::ui {
class TreeItemModel;
}

namespace reports::ui {

class frmRemedy : public QWidget {
    Q_OBJECT
public:
    explicit frmRemedy(QWidget* owner);

    void SetTree(const common::Tree& tree);
    const common::Tree& Shown() const { return m_tree; }

    // A mouse button released over the tree: the menu items follow the
    // selected node (an entity node's Tag holds a "#"), and with the right
    // button among buttons the menu pops up at globalPos.
    void trRemedy_MouseUp(Qt::MouseButtons buttons, const QPoint& globalPos);

    // A new CRUD signature window of the entity over the main window,
    // captioned "CRUD Signature - <name>" (not looked up, not keyed).
    void ShowCRUDSignature(const std::string& id, const std::string& name);

    QTreeView* trRemedy = nullptr;
    platform::ui::ImageList imgs;
    QMenu* mnuProgContext = nullptr;
    QAction* mnuViewSource = nullptr;
    QAction* mnuCRUDSig = nullptr;
    QAction* mnuDescription = nullptr;
    QAction* mnuNCSFV = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    const common::TreeNode* SelectedNode() const;
    // The menu item's Tag split into name and entity id; nothing without NUL.
    bool Split(QAction* item, std::string& name, std::string& id) const;
    void ViewSourceClick();
    void DescriptionClick();

    platform::ui::TreeItemModel* m_model = nullptr;
    common::Tree m_tree;
    platform::ui::MessageBoxPrompt m_prompt;
};

}  // namespace reports::ui
