#include "workspace/RepositoryImport.h"

#include <memory>
#include <optional>
#include <thread>

#include "platform/workbench/EntityStore.h"
#include "platform/workbench/ReadTransaction.h"
#include "platform/workbench/WorkbenchSession.h"
#include "workspace/BuildTransaction.h"
#include "workspace/ProgramRelationships.h"
#include "workspace/RelationshipRecorder.h"
#include "workspace/RepositoryReader.h"
#include "workspace/Text.h"

namespace workspace {

namespace wb = platform::workbench;
using platform::db::Database;
using platform::db::Statement;

const char* const kStoreTypes[7] = {"TABLE", "HISEGMENT", "ADABASFILE", "NETRECORD",
                                    "DATAAREA", "DMSIIDATASET", "DATASTORE"};

namespace {

// Ents.Name and BusName hold up to 255 characters.
constexpr size_t kNameLength = 255;

class Import {
public:
    Import(Database& db, wb::EntityStore& store, common::IProgress& progress)
        : m_db(db),
          m_store(store),
          m_progress(progress),
          m_insert(db.Prepare("INSERT INTO Ents (ID, EntName, EntNameFull, Name, BusName) VALUES (?, ?, ?, ?, ?)")),
          m_insertStub(db.Prepare(
              "INSERT INTO Ents (ID, EntName, EntNameFull, Name, BusName, Stub) VALUES (?, ?, ?, ?, ?, ?)")) {}

    // True when every kind was read to its end; false when cancelled.
    bool Run() {
        // One read transaction on the repository and one write transaction
        // on the database for the whole build, both ended on every path.
        wb::ReadTransaction read(m_store);
        BuildTransaction build(m_db, {"Ents", "Rels"});
        bool done = Screens() && Programs();
        for (size_t i = 0; done && i < std::size(kStoreTypes); ++i) done = ImportDataStores(kStoreTypes[i]);
        {
            // Building the indexes of a large import is a few long statements.
            platform::db::ProgressPump pump(m_db, m_progress);
            build.Finish();
        }
        read.End();
        return done;
    }

private:
    void AddRow(const wb::RepositoryEntity& e, const std::string& entName, const std::string& name,
                std::optional<bool> stub = {}) {
        const std::string type = e.GetType().GetName();
        if (stub)
            m_insertStub.Run({e.GetId(), entName, type, name, name, *stub ? platform::db::kTrue : platform::db::kFalse});
        else
            m_insert.Run({e.GetId(), entName, type, name, name});
    }

    // Runs one kind under its own progress bar; each entity is one step and
    // the analyst may cancel between entities. False when cancelled.
    template <class AddEntity>
    bool ImportList(wb::EntityList& list, const std::string& caption, AddEntity addEntity) {
        common::ProgressScope scope(m_progress, caption, list.Count(), true);
        for (; !list.AtEnd(); list.MoveNext()) {
            m_progress.StartStep("");
            wb::RepositoryEntity entity = list.Current();
            addEntity(entity);
            m_progress.FinishStep(1);
            if (m_progress.Cancelled()) return false;
        }
        return true;
    }

    bool Screens() {
        wb::EntityList list = m_store.GetEntities("MAP", "", "Name");
        if (list.Count() == 0) return true;
        return ImportList(list, "Collecting screens", [&](wb::RepositoryEntity& e) {
            const std::string name = e.GetAttribute("Name");
            // A screen without source is one the repository only knows by name.
            if (e.GetAttribute("Source").empty())
                AddRow(e, e.GetType().GetName(), name, true);
            else
                AddRow(e, e.GetType().GetName(), name);
        });
    }

    bool Programs() {
        wb::EntityList list = m_store.GetEntities("PROGRAM", "", "Name");
        if (list.Count() == 0) return true;
        auto reader = std::make_unique<RepositoryReader>(m_store);
        auto recorder = std::make_unique<RelationshipRecorder>(m_db);
        auto walk = std::make_unique<ProgramRelationships>(*reader, *recorder);
        const bool done = ImportList(list, "Collecting programs", [&](wb::RepositoryEntity& e) {
            AddRow(e, e.GetType().GetName(), e.GetAttribute("Name"));
            walk->CollectRelationships(e);
        });
        // What the walk kept is hundreds of thousands of small allocations in
        // a large repository (a third of a second to free at 100,000
        // programs) that nothing reads any more: it is freed on a worker
        // thread while the import goes on. The statements these objects
        // hold are finalized there too, which SQLite's serialized
        // connections allow.
        m_release = std::jthread(
            [walk = std::move(walk), recorder = std::move(recorder), reader = std::move(reader)]() mutable {
                walk.reset();
                recorder.reset();
                reader.reset();
            });
        return done;
    }

    bool ImportDataStores(const std::string& storeType) {
        wb::EntityList list;
        try {
            list = m_store.GetEntities(storeType, "", "Name");
        } catch (const wb::WorkbenchError&) {
            // A store type the repository does not know has nothing to import.
            return true;
        }
        if (list.Count() == 0) return true;
        const bool cut = SameText(storeType, "DATASTORE");
        return ImportList(list, "Collecting data stores", [&](wb::RepositoryEntity& e) {
            AddRow(e, "store", cut ? LeftChars(e.GetName(), kNameLength) : e.GetName());
        });
    }

    Database& m_db;
    wb::EntityStore& m_store;
    common::IProgress& m_progress;
    Statement m_insert;
    Statement m_insertStub;
    std::jthread m_release;   // joined first when the import ends
};

}  // namespace

ImportResult ImportRepositoryEntities(Database& db, wb::EntityStore& store, common::IProgress& progress) {
    ImportResult result;
    try {
        Import import(db, store, progress);
        result.done = import.Run();
        result.cancelled = !result.done;
    } catch (const std::exception& e) {
        // What was written before the failure is committed; the caller marks
        // the database incomplete.
        result.done = false;
        result.error = e.what();
    }
    return result;
}

ImportResult ImportRepositoryEntities(Database& db, wb::WorkbenchSession& session, common::IProgress& progress) {
    ImportResult result;
    wb::EntityStore store;
    try {
        store = session.GetEntityStore();
    } catch (const std::exception& e) {
        result.done = false;
        result.error = e.what();
        return result;
    }
    return ImportRepositoryEntities(db, store, progress);
}

}  // namespace workspace
