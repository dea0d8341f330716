#include "services/ProgramList.h"

#include <optional>

#include "services/StoreIds.h"

namespace Globals {
services::ProgramList g_ProgramList;
}  // namespace Globals

namespace services {

std::string ProgramListItem(std::string_view id, std::string_view serialId) {
    std::string item(id);
    item += '|';
    item += serialId;
    return item;
}

ProgramList BuildProgramList(platform::db::Database& db, const std::vector<std::string>& operationTags) {
    ProgramList list;
    auto find = db.Prepare("SELECT ID, SerialID, Name FROM Ents WHERE SerialID = ?");
    for (const std::string& tag : operationTags) {
        const std::optional<int64_t> serial = ParseId(tag);
        if (!serial) continue;
        find.Reset();
        find.Bind(1, *serial);
        if (!find.Step()) continue;
        const std::string name = find.Column("Name").AsText();
        if (list.Contains(name)) continue;
        list.Add(ProgramListItem(find.Column("ID").AsText(), find.Column("SerialID").AsText()), name);
    }
    return list;
}

}  // namespace services
