#include "services/NodeCommands.h"

#include "common/Collection.h"
#include "services/NodeMenu.h"
#include "services/WebOperations.h"
#include "services/WebServices.h"

namespace services {

using platform::db::Database;

SetWebOperationResult SetAsWebOperation(Database& db, std::string_view descriptionTag) {
    const auto fields = SplitTag(descriptionTag);
    if (!fields) return SetWebOperationResult::NoEntity;
    auto entity = db.OpenRecordset("SELECT SerialID, BusName FROM Ents WHERE ID = ?1", {fields->second});
    if (entity.IsEOF()) return SetWebOperationResult::NoEntity;
    // Only an operation on this entity counts; a process operation whose
    // process number happens to equal the SerialID is another thing.
    if (!db.OpenRecordset("SELECT 1 FROM ucUseCases WHERE ForeignID = ?1 AND Nature = 1", {entity.Field("SerialID")})
             .IsEOF())
        return SetWebOperationResult::AlreadyAdded;
    db.Execute("INSERT INTO ucUseCases (Name, ForeignID, Nature) VALUES (?1, ?2, 1)",
               {entity.Field("BusName"), entity.Field("SerialID")});
    return SetWebOperationResult::Added;
}

bool DeleteNodeByTag(Database& db, std::string_view deleteTag) {
    const auto fields = SplitTag(deleteTag);
    if (!fields) return false;
    const std::string code = common::FoldKey(fields->first);
    const std::string& id = fields->second;
    if (code == "uc1") {
        Globals::DeleteEntityUseCase(id, db);
    } else if (code == "uc2") {
        Globals::DeleteProcessUseCase(id, db);
    } else if (code == "ws") {
        Globals::DeleteWebService(id, db);
    } else if (code == "wu") {
        const size_t n = common::FoldKey(id).find('n');
        if (n == std::string::npos) return false;
        Globals::RemoveUseCaseFromWebService(id.substr(0, n), id.substr(n + 1), db);
    } else {
        return false;
    }
    return true;
}

}  // namespace services
