#pragma once
// What the message editor's panes show of a program's code model, without
// the window: the program's code model, its visible data lists, and the
// declaration tree of one list element in the order the structure tree
// adds its nodes (which is also the order Set As takes them in).

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/workbench/CodeModel.h"
#include "platform/workbench/WorkbenchSession.h"
#include "services/MessageDefinitions.h"

namespace services {

// Builds the code model of the program with Ents ID programId: the
// program's "Sid" attribute names the entity whose key the model loader
// turns into the model file. Raises (WorkbenchError) when the program, its
// Sid entity or its model cannot be found; past the program, the message
// names the program by its name ("NCUSTMNT has no code model.").
platform::workbench::CodeModel OpenProgramCodeModel(platform::workbench::WorkbenchSession& session,
                                                    const std::string& programId);

// The data lists the Lists pane shows: every list of the model, in its
// order, except those whose name begins with "VNL_0" (case ignored) and
// those whose caption an earlier list already has (case ignored), since
// the pane finds a list by its caption.
std::vector<platform::workbench::CodeModelDataList> VisibleDataLists(const platform::workbench::CodeModel& model);

// One node of the structure tree.
struct StructureNode {
    std::string vnid;       // the node's key: the declaration's code-model id
    std::string name;       // the declaration's name
    std::string typeText;   // empty for the top node
    std::string parentVnid; // empty for the top node
    bool top = false;

    // The node's text: the name, or for other nodes name, blank, type text.
    std::string Text() const;
    // The node's Tag: none for the top node, else name, NUL, type text.
    std::string Tag() const;
};

// The declaration tree of the element with that id: the top node, then
// every declaration below it, depth first, each node before its children;
// constructs of other types are left out with everything below them.
// Nothing when the model does not know the id; no nodes when the element
// is not a declaration.
std::optional<std::vector<StructureNode>> CollectStructure(const platform::workbench::CodeModel& model,
                                                           std::string_view elementId);

// The nodes as Set As takes them: key and Tag up to its first NUL (empty
// for the top node).
std::vector<DefinitionNode> DefinitionNodes(const std::vector<StructureNode>& nodes);

}  // namespace services
