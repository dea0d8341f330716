#include "app/WebTreeDrop.h"

#include "common/Collection.h"
#include "services/WebOperations.h"
#include "services/WebServices.h"

namespace app {

DropResult DropOperationOnServices(platform::db::Database& db, const std::optional<DroppedOperation>& source,
                                   const WebTreeNode* target, const InputBox& ask, common::IPrompt& prompt,
                                   const std::string& title) {
    if (!source) return DropResult::Ignored;
    if (source->image != services::kOperationImage) return DropResult::Reload;
    if (!target || target->key.empty()) {
        const auto wsid = CreateNamedWebService(db, ask, prompt, title);
        if (!wsid) return DropResult::Cancelled;
        Globals::AddUseCaseToWebService(*wsid, source->key, db);
    } else if (common::FoldKey(target->key).rfind("key", 0) == 0) {
        Globals::AddUseCaseToWebService(target->tag, source->key, db);
    } else {
        // A member: the operation joins the member's service.
        Globals::AddUseCaseToWebService(target->rootTag, source->key, db);
    }
    return DropResult::Reload;
}

}  // namespace app
