#include "workspace/RelationshipRecorder.h"

#include "common/AsciiCase.h"
#include "workspace/RelNames.h"
#include "workspace/Text.h"

namespace workspace {

RelationshipRecorder::RelationshipRecorder(platform::db::Database& db)
    : m_db(db),
      m_insertRel(db.Prepare("INSERT INTO Rels (Id1, Id2, EntName1, EntName2, RelName, RelNameFull) "
                             "VALUES (?, ?, ?, ?, ?, ?)")),
      m_insertEnt(db.Prepare("INSERT INTO Ents (EntName, EntNameFull, Name, BusName, Stub) VALUES (?, ?, ?, ?, ?)")),
      m_setEntId(db.Prepare("UPDATE Ents SET ID = ? WHERE SerialID = ?")),
      m_sourceRows(db.Prepare("SELECT Id2, EntName2, RelName, RelNameFull FROM Rels WHERE Id1 = ? AND EntName1 = ?")),
      m_rowExists(db.Prepare("SELECT 1 FROM Rels WHERE Id1 = ? AND Id2 = ? AND EntName1 = ? AND EntName2 = ? "
                             "AND RelName = ? AND RelNameFull = ? LIMIT 1")) {
    m_tableHadRows = db.Scalar("SELECT EXISTS (SELECT 1 FROM Rels)").AsInt() != 0;

    auto stubs = db.Prepare("SELECT ID, Name FROM Ents WHERE EntName = ? AND ID LIKE ? ORDER BY SerialID");
    stubs.BindAll({"PROGRAM", "STUBPROG#%"});
    while (stubs.Step()) m_stubs.try_emplace(FoldCase(stubs.Text(1)), EntRef{stubs.Text(0), "PROGRAM"});

    auto stores = db.Prepare("SELECT ID, EntNameFull, Name FROM Ents WHERE EntName = ? ORDER BY SerialID");
    stores.BindAll({"store"});
    while (stores.Step()) m_stores.try_emplace(FoldCase(stores.Text(2)), EntRef{stores.Text(0), stores.Text(1)});
}

size_t RelationshipRecorder::FoldedHash::operator()(const RowView& r) const {
    // FNV-1a over the folded bytes; the separator keeps ("ab","c") apart from ("a","bc").
    size_t h = 1469598103934665603ull;
    for (std::string_view part : {r.id2, r.entName2, r.relName, r.relNameFull}) {
        for (char c : part) h = (h ^ static_cast<unsigned char>(common::AsciiLower(c))) * 1099511628211ull;
        h = (h ^ 0x1f) * 1099511628211ull;
    }
    return h;
}

bool RelationshipRecorder::FoldedEqual::operator()(const RowView& a, const RowView& b) const {
    return SameText(a.id2, b.id2) && SameText(a.entName2, b.entName2) && SameText(a.relName, b.relName) &&
           SameText(a.relNameFull, b.relNameFull);
}

bool RelationshipRecorder::IsSource(std::string_view id1, std::string_view entName1) const {
    return m_hasSource && SameText(id1, m_sourceId) && SameText(entName1, m_sourceType);
}

void RelationshipRecorder::UseSource(std::string_view id1, std::string_view entName1) {
    m_sourceRowsKept.clear();
    m_sourceId = id1;
    m_sourceType = entName1;
    m_hasSource = true;
    std::string key = FoldCase(id1);
    key += '\x1f';
    key += FoldCase(entName1);
    const bool returning = !m_sourcesSeen.insert(std::move(key)).second;
    if (!m_tableHadRows && !returning) return;
    m_sourceRows.BindAll({m_sourceId, m_sourceType});
    while (m_sourceRows.Step())
        m_sourceRowsKept.insert(
            Row{m_sourceRows.Text(0), m_sourceRows.Text(1), m_sourceRows.Text(2), m_sourceRows.Text(3)});
    m_sourceRows.Reset();
}

const std::string& RelationshipRecorder::Normalized(const std::string& name) {
    if (auto it = m_normalized.find(name); it != m_normalized.end()) return it->second;
    return m_normalized.emplace(name, NormalizeRelName(name)).first->second;
}

bool RelationshipRecorder::RelExists(const std::string& id1, const std::string& id2, const std::string& entName1,
                                     const std::string& entName2, const std::string& relName,
                                     const std::string& relNameFull) {
    if (IsSource(id1, entName1)) return m_sourceRowsKept.count(RowView{id2, entName2, relName, relNameFull}) != 0;
    // Another source: the table itself answers.
    m_rowExists.BindAll({id1, id2, entName1, entName2, relName, relNameFull});
    const bool found = m_rowExists.Step();
    m_rowExists.Reset();
    return found;
}

void RelationshipRecorder::Append(const std::string& id1, const std::string& entName1, const RowView& row) {
    m_insertRel.Run({id1, row.id2, entName1, row.entName2, row.relName, row.relNameFull});
    m_sourceRowsKept.insert(
        Row{std::string(row.id2), std::string(row.entName2), std::string(row.relName), std::string(row.relNameFull)});
    ++m_rowsAdded;
}

bool RelationshipRecorder::AddRelIfNew(const EntRef& from, const EntRef& to, const std::string& name) {
    if (!IsSource(from.id, from.type)) UseSource(from.id, from.type);
    const RowView row{to.id, to.type, Normalized(name), name};
    if (m_sourceRowsKept.find(row) != m_sourceRowsKept.end()) return false;
    Append(from.id, from.type, row);
    return true;
}

void RelationshipRecorder::AddRel(const EntRef& from, const std::string& toId, const std::string& toEntName,
                                  const std::string& name) {
    if (!IsSource(from.id, from.type)) UseSource(from.id, from.type);
    Append(from.id, from.type, RowView{toId, toEntName, Normalized(name), name});
}

std::string RelationshipRecorder::AddEntsRowWithSerialId(const std::string& idPrefix, const std::string& entName,
                                                        const std::string& entNameFull, const std::string& name,
                                                        bool stub) {
    // The ID embeds the row's own AutoNumber, known only once the row exists.
    m_insertEnt.Run({entName, entNameFull, name, name, stub ? platform::db::kTrue : platform::db::kFalse});
    const int64_t serial = m_db.LastInsertId();
    std::string id = idPrefix + std::to_string(serial);
    m_setEntId.Run({id, serial});
    return id;
}

EntRef RelationshipRecorder::StubProgram(const std::string& entryName) {
    std::string key = FoldCase(entryName);
    if (auto it = m_stubs.find(key); it != m_stubs.end()) return it->second;
    EntRef stub{AddEntsRowWithSerialId("STUBPROG#", "PROGRAM", "PROGRAM", entryName, true), "PROGRAM"};
    m_stubs.emplace(std::move(key), stub);
    return stub;
}

EntRef RelationshipRecorder::StoreByName(const std::string& portName) {
    std::string key = FoldCase(portName);
    if (auto it = m_stores.find(key); it != m_stores.end()) return it->second;
    EntRef dummy{AddEntsRowWithSerialId("DUMMYSTORE#", "store", "DATASTORE", portName, false), "DATASTORE"};
    m_stores.emplace(std::move(key), dummy);
    return dummy;
}

}  // namespace workspace
