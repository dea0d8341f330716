#pragma once
// The validation details window of one program: its screen ports with
// their declarations, the sub-declarations and their conditions as a tree
// (tvValid). Every request opens a new window; it is not refreshed.

#include <QWidget>

#include <string>

#include "common/Tree.h"

class QTreeView;

namespace platform::ui {
class TreeItemModel;
}

namespace reports::ui {

class frmValid : public QWidget {
    Q_OBJECT
public:
    // owner: the window it is shown over; nullptr for a window of its own.
    explicit frmValid(QWidget* owner);

    // Shows the tree, with the nodes it marks expanded open.
    void Fill(const common::Tree& tree);
    const common::Tree& Shown() const { return m_tree; }

    QTreeView* tvValid = nullptr;

private:
    platform::ui::TreeItemModel* m_model = nullptr;
    common::Tree m_tree;
};

}  // namespace reports::ui

namespace Globals {

// Opens a new validation details window for the program, captioned
// "Screen Field Validations - <name>", over owner (or on its own when owner
// is nullptr), filled from the open workspace. Database errors are raised
// before any window opens.
void ShowValidationTree(const std::string& id, const std::string& name, QWidget* owner);

}  // namespace Globals
