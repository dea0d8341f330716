#include "workspace/RelationshipRecorder.h"

#include "workspace/RelNames.h"
#include "workspace/Text.h"

namespace workspace {

using platform::db::Params;

RelationshipRecorder::RelationshipRecorder(platform::db::Database& db)
    : m_db(db),
      m_insertRel(db.Prepare("INSERT INTO Rels (Id1, Id2, EntName1, EntName2, RelName, RelNameFull) "
                             "VALUES (?, ?, ?, ?, ?, ?)")),
      m_insertEnt(db.Prepare("INSERT INTO Ents (EntName, EntNameFull, Name, BusName, Stub) VALUES (?, ?, ?, ?, ?)")),
      m_setEntId(db.Prepare("UPDATE Ents SET ID = ? WHERE SerialID = ?")) {
    auto rels = db.Prepare("SELECT Id1, Id2, EntName1, EntName2, RelName, RelNameFull FROM Rels");
    while (rels.Step())
        m_rels.insert(Key(rels.Text(0), rels.Text(1), rels.Text(2), rels.Text(3), rels.Text(4), rels.Text(5)));

    auto stubs = db.Prepare("SELECT ID, Name FROM Ents WHERE EntName = ? AND ID LIKE ? ORDER BY SerialID");
    stubs.BindAll({"PROGRAM", "STUBPROG#%"});
    while (stubs.Step()) m_stubs.try_emplace(FoldCase(stubs.Text(1)), EntRef{stubs.Text(0), "PROGRAM"});

    auto stores = db.Prepare("SELECT ID, EntNameFull, Name FROM Ents WHERE EntName = ? ORDER BY SerialID");
    stores.BindAll({"store"});
    while (stores.Step()) m_stores.try_emplace(FoldCase(stores.Text(2)), EntRef{stores.Text(0), stores.Text(1)});
}

std::string RelationshipRecorder::Key(const std::string& id1, const std::string& id2, const std::string& entName1,
                                      const std::string& entName2, const std::string& relName,
                                      const std::string& relNameFull) {
    // A separator no name holds keeps ("ab","c") apart from ("a","bc").
    std::string key;
    key.reserve(id1.size() + id2.size() + entName1.size() + entName2.size() + relName.size() + relNameFull.size() + 5);
    for (const std::string* part : {&id1, &id2, &entName1, &entName2, &relName, &relNameFull}) {
        if (part != &id1) key += '\x1f';
        key += FoldCase(*part);
    }
    return key;
}

bool RelationshipRecorder::RelExists(const std::string& id1, const std::string& id2, const std::string& entName1,
                                     const std::string& entName2, const std::string& relName,
                                     const std::string& relNameFull) const {
    return m_rels.count(Key(id1, id2, entName1, entName2, relName, relNameFull)) != 0;
}

void RelationshipRecorder::Append(const std::string& id1, const std::string& id2, const std::string& entName1,
                                  const std::string& entName2, const std::string& relName,
                                  const std::string& relNameFull) {
    m_insertRel.Run({id1, id2, entName1, entName2, relName, relNameFull});
    m_rels.insert(Key(id1, id2, entName1, entName2, relName, relNameFull));
    ++m_rowsAdded;
}

bool RelationshipRecorder::AddRelIfNew(const EntRef& from, const EntRef& to, const std::string& name) {
    const std::string relName = NormalizeRelName(name);
    if (RelExists(from.id, to.id, from.type, to.type, relName, name)) return false;
    Append(from.id, to.id, from.type, to.type, relName, name);
    return true;
}

void RelationshipRecorder::AddRel(const EntRef& from, const std::string& toId, const std::string& toEntName,
                                  const std::string& name) {
    Append(from.id, toId, from.type, toEntName, NormalizeRelName(name), name);
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
    const std::string key = FoldCase(entryName);
    if (auto it = m_stubs.find(key); it != m_stubs.end()) return it->second;
    EntRef stub{AddEntsRowWithSerialId("STUBPROG#", "PROGRAM", "PROGRAM", entryName, true), "PROGRAM"};
    m_stubs.emplace(key, stub);
    return stub;
}

EntRef RelationshipRecorder::StoreByName(const std::string& portName) {
    const std::string key = FoldCase(portName);
    if (auto it = m_stores.find(key); it != m_stores.end()) return it->second;
    EntRef dummy{AddEntsRowWithSerialId("DUMMYSTORE#", "store", "DATASTORE", portName, false), "DATASTORE"};
    m_stores.emplace(key, dummy);
    return dummy;
}

}  // namespace workspace
