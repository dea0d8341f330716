#pragma once
// The CRUD signature window of one program: the stores it accesses with a
// "Y" under Inserts, Reads, Updates and Deletes. One window per program,
// found again by its Tag "<id>-CRUDSig" (letter case ignored); its list is
// filled once, when it opens.

#include <QString>
#include <QWidget>

#include <string>

#include "platform/ui/EntityWindow.h"

class QTreeWidget;

namespace Globals {
class CrudSignature;
}

namespace reports::ui {

class frmCRUDSig : public QWidget, public platform::ui::EntityWindow {
    Q_OBJECT
public:
    // owner: the window it is shown over, which gets the focus back when it
    // closes.
    explicit frmCRUDSig(QWidget* owner);

    // One row per store: the name, then "Y" or nothing per kind of access.
    void Fill(const Globals::CrudSignature& signature);

    QTreeWidget* lstCRUD = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
};

// The open signature window of the program with this id, or nullptr.
frmCRUDSig* FindCRUDSignatureWindow(const std::string& id);

}  // namespace reports::ui

namespace Globals {

// Brings the open signature window of the program back (restored from
// minimised, focused), or opens a new one over owner with caption
// "<name> - CRUD Signature", its list read from the open workspace.
// Database errors are raised before any window opens.
void ShowCRUDSignature(const std::string& id, const std::string& name, QWidget* owner);

}  // namespace Globals
