#pragma once
// The main window: toolbar, the dock splitter with the Summary, Web
// Operations, Web Services and Log panes, the menus, the node context menu
// and the progress strip. It is the progress and prompt sink of every long
// operation and runs the busy bracket. Commands are connected from outside
// (app/InstallCommands.cpp) through IMainWindow::SetCommand.

#include <QElapsedTimer>
#include <QMainWindow>
#include <QPointer>
#include <QString>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "platform/ui/ImageList.h"
#include "platform/ui/MainWindow.h"
#include "platform/ui/MessageBoxPrompt.h"

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QToolBar;
class QTreeWidget;

namespace platform::ui {
class TSplitter;
class TSplitterPane;
}  // namespace platform::ui

class frmMain : public QMainWindow, public platform::ui::IMainWindow {
    Q_OBJECT
public:
    // appFolder: the application folder (pictures, template database,
    // help); the executable's folder when empty.
    explicit frmMain(std::filesystem::path appFolder = {}, QWidget* parent = nullptr);
    ~frmMain() override;

    // Progress protocol. Steps come by the ten thousand, so the window
    // repaints the strip and runs pending events (the Cancel button among
    // them) at the first step of an operation and then at most once per
    // kProgressPumpMs, however many steps there are. Between pumps a shown
    // bar keeps its new value for the next pump (setting it, accessibility
    // notice included, costs microseconds per step); the caption takes each
    // text at once.
    static constexpr int kProgressPumpMs = 50;
    void StartProgress(const std::string& action, long totalLength, bool withCancel) override;
    void StartStep(const std::string& action) override;
    void FinishStep(long length) override;
    void FinishProgress() override;
    bool Cancelled() const override { return m_cancelled; }
    void Action(const std::string& caption) override { m_actionCaption = caption; }
    int ProgressLevel() const { return m_progressLevel; }

    // Message boxes for the operations that run from this window (titled
    // with the application title when no title is given).
    common::Answer Ask(const std::string& text, const std::string& title, common::Buttons buttons,
                       common::Icon icon) override;
    // Where every question of the window goes instead of a message box:
    // its own (Cancel confirmation, refused close) and those of the
    // operations it runs. nullptr restores the message boxes. Tests script it.
    void SetPrompt(common::IPrompt* prompt) { m_prompt = prompt; }

    // IMainWindow.
    QWidget* Window() override { return this; }
    QString ApplicationTitle() const override { return m_applicationTitle; }
    void DisableControls() override;
    void EnableControls() override;
    bool IsBusy() const override { return m_busyDepth > 0; }
    void DisableControl(QObject* control) override;
    void SetControlEnabled(QObject* control, bool enabled) override;
    QAction* Command(const QString& name) const override;
    void SetCommand(const QString& name, std::function<void()> handler) override;
    void SetCommandEnabled(const QString& name, bool enabled) override;
    void EnableToolsMenu(bool enabled) override;
    QTreeWidget* SummaryTree() override { return trSummary; }
    QTreeWidget* WebOperationsTree() override { return trWebOperations; }
    QTreeWidget* WebServicesTree() override { return trWebServices; }
    QPlainTextEdit* LogBox() override { return tbLog; }
    QMenu* NodeMenu() override { return mnuProgContext; }
    const platform::ui::ImageList& TreeImages() const override { return imgList; }
    const platform::ui::ImageList& WebTreeImages() const override { return imgs; }
    void SetCloseWorkspace(std::function<void()> handler) override { m_closeWorkspace = std::move(handler); }

    // The toolbar button of a key, letter case ignored; nullptr for others.
    QAction* Buttons(const QString& key) const;
    // Runs the command of a toolbar key (letter case ignored); other keys do nothing.
    void tbButtons_ButtonClick(const QString& key);
    // View menu: shows the pane of item index and its control.
    void mnuPane_Click(int index);
    // Asks to confirm and, unless the answer is No, cancels the operation.
    void cmdCancel_Click();
    // The About box text: the title, a blank, major "." minor version.
    QString AboutText() const;
    void mnuHelpAbout_Click();
    // The help document in the application folder.
    std::filesystem::path HelpFile() const { return m_helpFile; }

    // The pane controls with their captions, in registration order.
    const std::vector<std::pair<QString, QWidget*>>& cPaneObjs() const { return m_paneObjs; }

    // Controls, under the names they carry as object names.
    platform::ui::TSplitter* splMain = nullptr;
    QTreeWidget* trSummary = nullptr;
    QTreeWidget* trWebOperations = nullptr;
    QTreeWidget* trWebServices = nullptr;
    QPlainTextEdit* tbLog = nullptr;
    QToolBar* tbButtons = nullptr;
    QWidget* pictProgress = nullptr;
    QLabel* lblProgress = nullptr;
    QProgressBar* pbProgress = nullptr;
    QPushButton* cmdCancel = nullptr;
    platform::ui::ImageList imgList;
    platform::ui::ImageList imgs;

    QMenu* mnuFile = nullptr;
    QAction* mnuFileOpenWorkspace = nullptr;
    QAction* mnuFileRefreshWorkspace = nullptr;
    QAction* mnuFileSep2 = nullptr;
    QAction* mnuFileClose = nullptr;
    QMenu* mnuTools = nullptr;
    QAction* mnuToolsScreenFlow = nullptr;
    QAction* mnuToolsSep1 = nullptr;
    QAction* mnuToolsCRUD = nullptr;
    QAction* mnuToolsCOMMAREA = nullptr;
    QAction* mnuToolsValidation = nullptr;
    QAction* mnuToolsSep2 = nullptr;
    QAction* mnuToolsGenerateReports = nullptr;
    QAction* mnuToolsEnterClientInformation = nullptr;
    QMenu* mnuView = nullptr;
    QAction* mnuViewParameters = nullptr;
    QAction* mnuViewMissing = nullptr;
    QAction* mnuViewReturns = nullptr;
    QAction* mnuViewSplit = nullptr;
    std::vector<QAction*> mnuPane;
    QMenu* mnuHelp = nullptr;
    QAction* mnuHelpWindow = nullptr;
    QAction* mnuHelpSep = nullptr;
    QAction* mnuHelpAbout = nullptr;

    // Node context menu of the three trees, never on the menu bar.
    QMenu* mnuProgContext = nullptr;
    QAction* mnuNCFlowContext = nullptr;
    QAction* mnuNCSep1 = nullptr;
    QAction* mnuNCNewWebService = nullptr;
    QAction* mnuNCSaveWebService = nullptr;
    QAction* mnuNCSep3 = nullptr;
    QAction* mnuNCScrnWebSvc = nullptr;
    QAction* mnuNCSetWebSvc = nullptr;
    QAction* mnuNCDefineMessages = nullptr;
    QAction* mnuNCProcDiagram = nullptr;
    QAction* mnuNCRefocus = nullptr;
    QAction* mnuNCViewSource = nullptr;
    QAction* mnuNCSFV = nullptr;
    QAction* mnuNCCRUDSig = nullptr;
    QAction* mnuNCDeleteNode = nullptr;
    QAction* mnuNCSep2 = nullptr;
    QAction* mnuNCKey = nullptr;
    QAction* mnuNCDescription = nullptr;
    // Diagram box menu, never on the menu bar and without commands.
    QMenu* mnuBoxContext = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Load();
    void SetApplicationTitle();
    void BuildMenus();
    void BuildToolbar();
    void BuildProgressStrip();
    void BuildPanes();
    bool ApplySavedLayout(const QString& saved);
    void BuildDefaultLayout();
    void ShowPaneControls();
    void Form_Unload();
    void splMain_Layout();
    void splMain_PaneActivate(platform::ui::TSplitterPane* pane);
    void OnFocusChanged(QWidget* now);
    // Repaints what changed and runs pending events; between pumps the bar
    // keeps its updates off, so a new value does not repaint it at once.
    void PumpEvents();
    void ThawProgressBar();
    void ShowBarValue();

    QAction* AddItem(QMenu* menu, const char* name, const QString& caption, const QKeySequence& shortcut = {});
    QAction* AddSeparator(QMenu* menu, const char* name);
    QMenu* AddMenu(const char* name, const QString& caption, bool onMenuBar);
    // Every control the busy bracket switches: menu items, menus, the pane controls.
    std::vector<QObject*> BracketControls() const;
    common::IPrompt& Prompt() { return m_prompt ? *m_prompt : m_messageBoxes; }

    QString m_applicationTitle;
    std::filesystem::path m_helpFile;
    std::vector<std::pair<QString, QWidget*>> m_paneObjs;
    std::map<QString, QAction*> m_commands;
    std::map<QString, QMetaObject::Connection> m_handlers;
    std::vector<std::pair<QString, QAction*>> m_toolbarKeys;
    std::function<void()> m_closeWorkspace;

    // Busy bracket: what it disabled and the state to give back to each.
    std::vector<std::pair<QPointer<QObject>, bool>> ToBeEnabled;
    int m_busyDepth = 0;
    int m_progressLevel = 0;
    // Since the last pump of events; invalid until the first step of an operation.
    QElapsedTimer m_sincePump;
    // The bar's value waiting for the next pump; none when the bar shows it.
    std::optional<int> m_barValue;
    bool m_cancelled = false;
    std::string m_actionCaption;
    bool m_unloaded = false;

    platform::ui::MessageBoxPrompt m_messageBoxes;
    common::IPrompt* m_prompt = nullptr;
};
