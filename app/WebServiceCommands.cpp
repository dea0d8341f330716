#include "app/WebServiceCommands.h"

#include <QInputDialog>
#include <QLineEdit>
#include <QPointer>
#include <QString>
#include <QTreeWidget>

#include "app/DefineMessagesCommand.h"
#include "app/NodeMenuCommands.h"
#include "app/WorkspaceTrees.h"
#include "common/FileNameUtility.h"
#include "common/Globals.h"
#include "common/ResModule.h"
#include "common/TextUtility.h"
#include "platform/ui/MainWindow.h"
#include "platform/workbench/WorkspaceGlobals.h"
#include "services/NodeCommands.h"
#include "services/NodeMenu.h"
#include "services/ServiceTables.h"
#include "services/StoreIds.h"
#include "services/WebServices.h"
#include "services/WsdlSave.h"
#include "services/ui/QtSaveDialog.h"

namespace app {

using platform::db::Database;

namespace {

QString Folded(const std::string& text) { return QString::fromStdString(text).toCaseFolded(); }

}  // namespace

bool IsWebServiceNameTaken(Database& db, std::string_view name) {
    Globals::CreateWebServiceTables(db, false);
    // The table compares ASCII letters only without case; accented and
    // other letters are folded here.
    const QString wanted = Folded(TextUtility::ConvertText(name));
    for (auto rows = db.OpenRecordset("SELECT Name FROM wsWebServices"); !rows.IsEOF(); rows.MoveNext())
        if (Folded(rows.Text("Name")) == wanted) return true;
    return false;
}

std::optional<std::string> CreateNamedWebService(Database& db, const InputBox& ask, common::IPrompt& prompt,
                                                 const std::string& title) {
    const auto answer = ask(kNewWebServicePrompt, kNewWebServiceTitle, "");
    if (!answer || answer->empty()) return std::nullopt;
    // The name is checked as it will be stored: a name of blanks alone
    // would otherwise become a service without a name.
    const std::string stored = TextUtility::ConvertText(*answer);
    if (!FileNameUtility::IsValidName(*answer) || !FileNameUtility::IsValidName(stored)) {
        prompt.Ask(kInvalidNameMessage, title, common::Buttons::OK, common::Icon::Critical);
        return std::nullopt;
    }
    std::string wsid;
    if (!IsWebServiceNameTaken(db, stored)) wsid = Globals::AddWebService(stored, db);
    if (wsid.empty()) {
        prompt.Ask(kNameTakenMessage, title, common::Buttons::OK, common::Icon::Exclamation);
        return std::nullopt;
    }
    return wsid;
}

bool AlterCriteria(Database& db, std::string_view elementTag, const InputBox& ask) {
    const auto id = services::ParseId(elementTag);
    if (!id) return false;
    Globals::CreateProcessTables(db, false);
    auto row = db.OpenRecordset("SELECT Criteria FROM pcaElements WHERE ElementID = ?1", {*id});
    if (row.IsEOF()) return false;
    const auto answer = ask(kNewCriteriaPrompt, kNewCriteriaTitle, row.Text("Criteria"));
    // Cancel keeps what was there; an empty answer given with OK clears it.
    if (!answer) return false;
    db.Execute("UPDATE pcaElements SET Criteria = ?1 WHERE ElementID = ?2", {*answer, *id});
    return true;
}

}  // namespace app

// ---- the window side ----

namespace app {

namespace {

// The replaceable input box, kept on the main window.
class InputBoxHolder : public QObject {
    Q_OBJECT
public:
    explicit InputBoxHolder(QObject* parent) : QObject(parent) { setObjectName("qaWebInputBox"); }
    InputBox box;
    std::shared_ptr<services::ISaveDialog> saveDialog;
};

InputBoxHolder& HolderOf(platform::ui::IMainWindow& main) {
    QWidget* window = main.Window();
    if (auto* h = window->findChild<InputBoxHolder*>("qaWebInputBox", Qt::FindDirectChildrenOnly)) return *h;
    return *new InputBoxHolder(window);
}

std::string Title(platform::ui::IMainWindow& main) { return main.ApplicationTitle().toStdString(); }

}  // namespace

InputBox WindowInputBox(platform::ui::IMainWindow& main) {
    QPointer<QWidget> owner = main.Window();
    return [owner](const std::string& prompt, const std::string& title,
                   const std::string& defaultText) -> std::optional<std::string> {
        bool ok = false;
        const QString text = QInputDialog::getText(owner, QString::fromStdString(title), QString::fromStdString(prompt),
                                                   QLineEdit::Normal, QString::fromStdString(defaultText), &ok);
        if (!ok) return std::nullopt;
        return text.toStdString();
    };
}

InputBox WebInputBox(platform::ui::IMainWindow& main) {
    const InputBox& box = HolderOf(main).box;
    return box ? box : WindowInputBox(main);
}

void SetWebInputBox(platform::ui::IMainWindow& main, InputBox box) { HolderOf(main).box = std::move(box); }

void SetWebSaveDialog(platform::ui::IMainWindow& main, std::shared_ptr<services::ISaveDialog> dialog) {
    HolderOf(main).saveDialog = std::move(dialog);
}

void NewWebServiceCommand(platform::ui::IMainWindow& main, const InputBox& ask) {
    if (!Globals::g_Database) return;
    if (CreateNamedWebService(*Globals::g_Database, ask, main, Title(main))) ReloadWebServicesTree(main);
}

void SetAsWebOperationCommand(platform::ui::IMainWindow& main) {
    if (!Globals::g_Database) return;
    // The entity is the one of the latest preparation's "&Description" Tag.
    const std::string tag = NodeMenuTag(main, services::NodeMenuItem::Description);
    switch (services::SetAsWebOperation(*Globals::g_Database, tag)) {
    case services::SetWebOperationResult::Added:
        ReloadWebOperationsTree(main);
        break;
    case services::SetWebOperationResult::AlreadyAdded:
        main.Ask(ResModule::LoadResString(507), Title(main), common::Buttons::OK, common::Icon::Exclamation);
        break;
    case services::SetWebOperationResult::NoEntity:
        break;
    }
}

void DeleteNodeCommand(platform::ui::IMainWindow& main, std::string_view deleteTag) {
    if (!Globals::g_Database) return;
    services::DeleteNodeByTag(*Globals::g_Database, deleteTag);
    ReloadWebTrees(main);
}

void AlterKeyCommand(platform::ui::IMainWindow& main, const InputBox& ask) {
    if (!Globals::g_Database) return;
    AlterCriteria(*Globals::g_Database, NodeMenuTag(main, services::NodeMenuItem::Key), ask);
    SharedNodeMenu(main).Hide(services::NodeMenuItem::Key);
    ApplyNodeMenu(main);
    ReloadWebOperationsTree(main);
}

void SaveWebServiceCommand(platform::ui::IMainWindow& main) {
    if (!Globals::g_Database) return;
    const auto fields = services::SplitTag(NodeMenuTag(main, services::NodeMenuItem::SaveWebService));
    if (!fields) return;
    const auto wsid = services::ParseId(fields->second);
    if (!wsid) return;
    services::ui::QtSaveDialog windowDialog(main.Window());
    services::ISaveDialog* dialog = HolderOf(main).saveDialog.get();
    services::GenerateAndSaveWebServiceWSDL(*Globals::g_Database, *wsid, dialog ? *dialog : windowDialog, main);
}

void DefineMessagesCommand(platform::ui::IMainWindow& main) {
    if (!Globals::g_Database) return;
    std::vector<std::string> operationTags;
    QTreeWidget* tree = main.WebOperationsTree();
    for (int i = 0; i < tree->topLevelItemCount(); ++i) operationTags.push_back(NodeTag(tree->topLevelItem(i)));
    ShowDefineMessages(main, NodeMenuTag(main, services::NodeMenuItem::DefineMessages), operationTags);
}

void mnuNCDeleteNode_Click(platform::ui::IMainWindow& main) {
    // The menu item and the web trees' Delete key run the same deletion.
    DeleteNodeCommand(main, NodeMenuTag(main, services::NodeMenuItem::DeleteNode));
}

void InstallWebServiceCommands(platform::ui::IMainWindow& main) {
    platform::ui::IMainWindow* w = &main;
    using services::NodeMenuItem;
    SetNodeCommand(main, NodeMenuItem::NewWebService, [w] { NewWebServiceCommand(*w, WebInputBox(*w)); });
    SetNodeCommand(main, NodeMenuItem::SetWebSvc, [w] { SetAsWebOperationCommand(*w); });
    SetNodeCommand(main, NodeMenuItem::Key, [w] { AlterKeyCommand(*w, WebInputBox(*w)); });
    SetNodeCommand(main, NodeMenuItem::SaveWebService, [w] { SaveWebServiceCommand(*w); });
    SetNodeCommand(main, NodeMenuItem::DefineMessages, [w] { DefineMessagesCommand(*w); });
    SetNodeCommand(main, NodeMenuItem::DeleteNode, [w] { mnuNCDeleteNode_Click(*w); });
}

}  // namespace app

#include "WebServiceCommands.moc"
