#pragma once
// What the source viewer shows for an entity, read without the window: a
// screen map's field listing, or a program's source text through the
// relation its "Language" selects. Every failure (an entity the repository
// does not know, a missing defining entity, a missing or unreadable file)
// becomes a message for the viewer's own area; nothing is thrown.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/screenmap/FieldListing.h"
#include "platform/workbench/EntityStore.h"

namespace views {

// "<id>-Source": the Tag of the viewer while it shows the entity.
std::string SourceWindowKey(std::string_view id);

// Whether the viewer opens for an identifier at all: screen maps and
// programs ("MAP...", "PROGRAM...", ASCII letter case ignored); stub
// programs ("STUBPROG#<n>") and data stores never.
bool OpensSourceView(std::string_view id);

// The relation that leads from a program to the entity holding its source,
// by the program's "Language" (case ignored): "IsDefinedInNatural",
// "IsDefinedInCobol", "IsDefinedInPLI", "IsDefinedIn" for NATURAL, COBOL,
// PLI, RPG; nothing for any other language.
std::optional<std::string> DefiningRelation(std::string_view language);

struct SourceContent {
    enum class Kind {
        Nothing,  // neither control shows
        Map,      // the screen-map control shows `listing` (empty: an empty map)
        Program,  // the text control shows `text`
    };
    Kind kind = Kind::Nothing;
    platform::screenmap::FieldListing listing;
    std::string text;
    // The file shown, when one was read.
    std::filesystem::path file;
    // What the analyst is told beside (or instead of) the content; empty
    // when everything there was to show is shown.
    std::string message;
};

// Reads the content for the entity with this identifier. A screen map is
// shown even when its listing is missing or damaged (with what could be
// read); a screen whose "Source" is empty is an empty map without a
// message. workspaceFolder is where "Source" paths are relative to.
SourceContent LoadSourceContent(const platform::workbench::EntityStore& store,
                                const std::filesystem::path& workspaceFolder, const std::string& id);

}  // namespace views
