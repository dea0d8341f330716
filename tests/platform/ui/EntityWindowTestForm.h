#pragma once
// The smallest entity window, for EntityWindowTest; moc needs it in a header.

#include <QWidget>

#include <string>

#include "platform/ui/EntityWindow.h"

namespace entity_window_test {

class frmEntityTest : public QWidget, public platform::ui::EntityWindow {
    Q_OBJECT
public:
    frmEntityTest(QWidget* owner, const std::string& section)
        : QWidget(owner, Qt::Window), EntityWindow(*this, owner, section) {
        resize(300, 200);
        RestorePlacement();
    }
    void Close() {
        MarkClosed();
        SavePlacement();
        ReleaseOwner();
    }
};

}  // namespace entity_window_test
