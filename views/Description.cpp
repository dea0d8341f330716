#include "views/Description.h"

#include "platform/db/Database.h"
#include "services/NodeMenu.h"

namespace views {

using platform::db::Database;

std::string DescriptionWindowKey(std::string_view id) { return std::string(id) + "-Description"; }

std::optional<DescriptionTarget> FindDescriptionTarget(Database& db, std::string_view tag) {
    const auto fields = services::SplitTag(tag);
    if (!fields) return std::nullopt;
    auto row = db.OpenRecordset("SELECT Id, BusName, Description FROM Ents WHERE Id = ?1", {fields->second});
    if (row.IsEOF()) return std::nullopt;
    return DescriptionTarget{row.Text("Id"), row.Text("BusName"), row.Text("Description")};
}

bool StoreDescription(Database& db, std::string_view id, std::string_view text) {
    return db.Execute("UPDATE Ents SET Description = ?1 WHERE Id = ?2", {text, id}) > 0;
}

}  // namespace views
