#pragma once
// Message definitions: which data declarations of a program make up the
// input and the output message of its web operation. The editor keeps the
// current program's definitions in two keyed collections and stores each
// one as a row of table `Messages` at once.

#include <string>
#include <vector>

#include "common/Collection.h"
#include "platform/db/Database.h"

namespace services {

// One definition.
class mdMsgDef {
public:
    std::string sVNID;      // code-model id of the declaration
    std::string sName;      // declaration name; empty for a structure's top node
    std::string sProgID;    // Ents ID of the program
    std::string sProgName;  // program name
    std::string sKey;       // "In"/"Out", NUL, sVNID, NUL, sProgID
};

using MsgDefCollection = common::Collection<mdMsgDef>;

// "In" or "Out", a NUL, the declaration id, a NUL, the program id.
std::string MessageDefKey(bool input, const std::string& vnid, const std::string& progId);

// One node of a structure tree as Set As takes it: the node's key and its
// Tag up to the first NUL (empty for the top node, which has no Tag).
struct DefinitionNode {
    std::string vnid;
    std::string name;
};

// Appends one `Messages` row for the definition. The table holds sKey with
// its NULs written as 0x1F (the database's case-blind comparison would stop
// at a NUL and take different keys for one); loading turns them back.
void AddMessageRecord(platform::db::Database& db, const mdMsgDef& def, bool input);

// The input and output definitions of the editor's current program.
class MessageDefinitions {
public:
    const MsgDefCollection& Inputs() const { return m_inputs; }
    const MsgDefCollection& Outputs() const { return m_outputs; }
    const MsgDefCollection& Of(bool input) const { return input ? m_inputs : m_outputs; }

    // Raised by Set As and Clear All; the editor stores its message
    // document when it is set and then clears it.
    bool Changed() const { return m_changed; }
    void SetChanged(bool changed) { m_changed = changed; }

    // Refills both collections from `Messages` for the program (rows in
    // the order stored; a key met twice is taken once). Leaves Changed alone.
    void LoadMessageDefs(platform::db::Database& db, const std::string& programId);

    // Set As Input (input true) or Set As Output: every node, in the order
    // given, becomes a definition unless its key is already held; each new
    // one is stored as a row. A row the database already holds (same key)
    // is no error. Any other database error undoes the whole command, in the
    // table and in the collection, and is raised. Returns how many were added.
    int SetAs(platform::db::Database& db, bool input, const std::vector<DefinitionNode>& nodes,
              const std::string& progId, const std::string& progName);

    // Clear All: empties both collections and deletes every `Messages` row
    // of the program (both directions, no other program's rows).
    void ClearAll(platform::db::Database& db, const std::string& programId);

    // Empties both collections without touching the table.
    void Clear();

private:
    MsgDefCollection m_inputs;
    MsgDefCollection m_outputs;
    bool m_changed = false;
};

}  // namespace services
