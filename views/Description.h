#pragma once
// The free-text description of an entity (Ents.Description): what the
// "&Description" command opens its editor with, and the editor's save.

#include <optional>
#include <string>
#include <string_view>

namespace platform::db { class Database; }

namespace views {

// What the description editor of one entity is opened with.
struct DescriptionTarget {
    std::string id;           // Ents.ID
    std::string busName;
    std::string description;  // empty also when the column is Null
};

// "<id>-Description": the key that finds an entity's open editor again.
std::string DescriptionWindowKey(std::string_view id);
// The entity of a "&Description" Tag (text, NUL, entity key), or nothing
// when the Tag holds no NUL or the entity is not in Ents.
std::optional<DescriptionTarget> FindDescriptionTarget(platform::db::Database& db, std::string_view tag);
// Stores the edited description of the entity; returns whether a row took it.
bool StoreDescription(platform::db::Database& db, std::string_view id, std::string_view text);

}  // namespace views
