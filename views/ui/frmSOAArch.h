#pragma once
// The architecture picture of a tree of objects (views/ArchitectureDiagram.h)
// in a window of its own. No command opens it; its load lays out what the
// diagram holds and moves the middle-tier and file boxes below the others.
// It keeps no placement.

#include <QWidget>

#include <string>

#include "common/Tree.h"
#include "platform/ui/TDiagram.h"

namespace views::ui {

class frmSOAArch : public QWidget {
    Q_OBJECT
public:
    explicit frmSOAArch(QWidget* parent = nullptr);

    // Adds the boxes of the node and everything below it; returns the
    // node's box, or nullptr for a store or map node.
    platform::diagram::Shape* AddTreeToDiagram(const common::Tree& tree, const std::string& key);

    platform::ui::TDiagram* dgmSOA = nullptr;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Load();
};

}  // namespace views::ui
