#pragma once
// The Define Messages window (frmMessages): the analyst picks a program of
// the web operations, one of its data lists and an element of the list,
// sees the element's declaration tree and sets it as the input or output
// message; the Preview pane shows the resulting message document. The
// state and the storing live in services::MessageEditorSession; this window
// shows what the session returns and keeps its own dock layout and
// placement under "Settings\DefineMessages".

#include <QMainWindow>
#include <QPointer>
#include <QString>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/Prompt.h"
#include "platform/workbench/CodeModel.h"
#include "services/MessageEditorSession.h"
#include "services/MessageStructure.h"
#include "services/ProgramList.h"
#include "services/ui/DefineMessagesSources.h"

class QAction;
class QComboBox;
class QLabel;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QToolBar;
class QTreeWidget;

namespace platform::ui {
class TSplitter;
}

namespace services::ui {

class frmMessages : public QMainWindow {
    Q_OBJECT
public:
    // elementId: the SerialID of the operation the editor is opened for;
    // progNature: "1" process element, "2" entity operation. owner gets the
    // focus back when the window closes. Without a prompt, message boxes.
    frmMessages(MessageEditorSources sources, std::string elementId, std::string progNature, QWidget* owner,
                common::IPrompt* prompt = nullptr);
    ~frmMessages() override;

    // Restores placement and layout, fills the program combo from the
    // program list (preselecting the program programId, else the first)
    // and loads that program. On failure shows message 512, sets bError
    // and returns false: the opener then drops the window unshown.
    bool Form_Load(const services::ProgramList& programs, const std::string& programId);
    bool bError = false;

    // The session's public state: current program, element and nature.
    const services::MessageEditorSession& Session() const { return *m_session; }
    const std::string& ProgramId() const { return m_session->ProgramId; }
    const std::string& ProgramName() const { return m_session->ProgramName; }
    const std::string& ElementId() const { return m_session->ElementId; }
    const std::string& ProgNature() const { return m_session->ProgNature; }

    // The program switch for the combo's current entry.
    void cmbProgs_Click();
    void lstLists_Click();
    void lstElements_Click();
    // Fill the Elements pane from a list / the Structures pane from an element.
    bool FillElements(const QString& caption);
    bool FillStructures(const std::string& elementId);
    void UpdateActions();

    void mnuActionsInput_Click();
    void mnuActionsOutput_Click();
    void mnuActionsClearAll_Click();
    // The toolbar: "In", "Out" or "ClearAll" (case ignored); others do nothing.
    void tbActions_ButtonClick(const QString& key);
    QAction* Buttons(const QString& key) const;

    // View menu items: show or hide their pane.
    void mnuViewLists_Click();
    void mnuViewElements_Click();
    void mnuViewStructures_Click();
    void mnuViewPreview_Click();

    // The structure tree's nodes as Set As takes them.
    const std::vector<services::StructureNode>& StructureNodes() const { return m_nodes; }

    // Controls, under the names they carry as object names.
    QWidget* cbCoolBar = nullptr;
    QToolBar* tbActions = nullptr;
    QToolBar* tbCombo = nullptr;
    QLabel* lblProgram = nullptr;
    QComboBox* cmbProgs = nullptr;
    QListWidget* lstLists = nullptr;
    QTreeWidget* lstElements = nullptr;
    QTreeWidget* trStructures = nullptr;
    QPlainTextEdit* rtbPreview = nullptr;
    platform::ui::TSplitter* Splitter = nullptr;

    QMenu* mnuActions = nullptr;
    QAction* mnuActionsInput = nullptr;
    QAction* mnuActionsOutput = nullptr;
    QAction* mnuActionsSep = nullptr;
    QAction* mnuActionsClearAll = nullptr;
    QMenu* mnuView = nullptr;
    QAction* mnuViewLists = nullptr;
    QAction* mnuViewElements = nullptr;
    QAction* mnuViewStructures = nullptr;
    QAction* mnuViewPreview = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct PaneControl {
        const char* pane;
        QWidget* control;
        QAction* viewItem;
    };

    void BuildMenus();
    void BuildCoolBar();
    void BuildPaneControls();
    bool ApplySavedLayout(const QString& saved);
    void BuildDefaultLayout();
    void Splitter_Layout();
    void SetPaneShown(const char* pane, bool shown);
    void OnFocusChanged(QWidget* now);

    // Rebuilds the panes for the session's current program; raises what
    // reading the program's lists raises.
    void ShowProgram(const std::string& preview);
    void ClearProgramPanes();
    void SetAs(bool input);
    // A critical box titled with the application title.
    void Critical(const std::string& text);
    void Form_Unload(bool interactive);

    MessageEditorSources m_sources;
    std::unique_ptr<services::MessageEditorSession> m_session;
    std::unique_ptr<common::IPrompt> m_ownPrompt;
    common::IPrompt* m_prompt = nullptr;
    QPointer<QWidget> m_owner;
    // The program's visible data lists by caption (the Lists pane's entries).
    std::vector<platform::workbench::CodeModelDataList> m_lists;
    std::vector<services::StructureNode> m_nodes;
    std::vector<PaneControl> m_panes;
    std::map<QString, QAction*> m_buttons;
    bool m_loading = false;
    bool m_unloaded = false;
};

}  // namespace services::ui
