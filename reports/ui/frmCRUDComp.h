#pragma once
// The CRUD overlap window: the similar program pairs of the workspace's
// comparison file, one row per pair with both names, the degree of
// similarity as a percentage and the pair's comparison points. A row's menu
// (right click, or Shift+F10 on the selected row) opens the CRUD signature
// or the source of either program, or of both. The list is read once,
// before the window is shown, up to kMaxRows elements of the file: a file
// that holds more (a large workspace has millions of pairs) shows the pairs
// among the first ones and says so; a damaged file shows the pairs before
// the damage and says where it is, and an empty file says so.

#include <QString>
#include <QWidget>

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>

#include "platform/ui/EntityWindow.h"

class QAction;
class QLabel;
class QMenu;
class QTreeWidget;
class QTreeWidgetItem;

namespace common {
class IProgress;
}
namespace platform::xml {
struct ParseError;
}

namespace reports::ui {

class frmCRUDComp : public QWidget, public platform::ui::EntityWindow {
    Q_OBJECT
public:
    // For the comparison file of the open workspace, or another file; Load
    // fills the list.
    explicit frmCRUDComp(QWidget* owner);
    frmCRUDComp(QWidget* owner, const std::filesystem::path& comparisonFile);

    // Reads the file on another thread under a progress level of its own,
    // with Cancel, then fills the list a slice at a time, letting the
    // window's events run between the slices. False when the analyst
    // cancelled: the list is then incomplete. A missing file leaves only
    // the column headers.
    bool Load(common::IProgress& progress);

    // The most elements of the file the window reads, pairs or not,
    // repeated or not: beyond them a list is of no use to read through, and
    // its rows would take gigabytes. Comments and anything else between
    // them count too (mdlReports::CrudComparisonNodes).
    static constexpr std::size_t kMaxRows = 100000;

    // Where each row keeps its program's "<name>", NUL, "<id>": the row
    // (program one) in column 0, program two in column 2.
    static constexpr int kTagRole = Qt::UserRole + 1;

    // The row menu for a row (none: nullptr) and a button (1 left, 2 right,
    // 4 middle): any button but the left one on a row sets the Tags of the
    // program entries from the row and pops the menu up at globalPos.
    // Returns whether it popped up.
    bool RowMenu(int button, QTreeWidgetItem* row, const QPoint& globalPos);

    // The signature or the source of the program in a Tag ("<name>", NUL,
    // "<id>"), shown over this window or brought back when already open.
    void ShowCRUDSignature(const std::string& tag);
    void ShowSource(const std::string& tag);

    QLabel* lblMore = nullptr;   // shown when the file goes on past what the window reads
    // Shown when the file is empty, not well-formed or cannot be read: where
    // it is damaged, and the parser's reason as its tooltip.
    QLabel* lblDamaged = nullptr;
    QTreeWidget* lvCRUDComp = nullptr;
    QMenu* mnuRowOptions = nullptr;
    QMenu* mnuP1 = nullptr;
    QAction* mnuP1CRUDSig = nullptr;
    QAction* mnuP1ViewSrc = nullptr;
    QMenu* mnuP2 = nullptr;
    QAction* mnuP2CRUDSig = nullptr;
    QAction* mnuP2ViewSrc = nullptr;
    QAction* mnuBothCRUDSig = nullptr;
    QAction* mnuBothViewSrc = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void ShowDamage(const platform::xml::ParseError& damage);

    std::filesystem::path m_file;
    // Runs a menu command; what fails is reported, the window stays.
    void Run(const std::function<void()>& command);
};

}  // namespace reports::ui
