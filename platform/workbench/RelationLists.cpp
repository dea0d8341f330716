#include "platform/workbench/RelationLists.h"

#include "platform/workbench/RepositoryCore.h"

namespace platform::workbench {

namespace {

detail::RepositoryCore& Open(const std::shared_ptr<detail::RepositoryCore>& core) {
    if (!core || !core->IsOpen()) throw WorkbenchError("The repository is closed.");
    return *core;
}

}  // namespace

RelationLists::RelationLists(const EntityStore& store)
    : m_core(store.Core()),
      m_out(Open(m_core).Db().Prepare("SELECT r.RelTypeId, e.Number, e.TypeId FROM Relations r "
                                      "JOIN Entities e ON e.Number = r.Target WHERE r.Source = ? ORDER BY r.RelId")),
      m_in(Open(m_core).Db().Prepare("SELECT r.RelTypeId, e.Number, e.TypeId FROM Relations r "
                                     "JOIN Entities e ON e.Number = r.Source WHERE r.Target = ? ORDER BY r.RelId")) {}

detail::RepositoryCore& RelationLists::Core() const { return Open(m_core); }

void RelationLists::Read(int64_t number, bool outgoing, std::vector<RelationEnd>& rows) {
    Core();
    db::Statement& st = outgoing ? m_out : m_in;
    rows.clear();
    st.Reset();
    st.Bind(1, number);
    while (st.Step()) rows.push_back({st.Int(0), st.Int(1), st.Int(2)});
    st.Reset();
    ++m_lists;
}

const std::string& RelationLists::TypeName(int64_t typeId) const { return Core().TypeName(typeId); }

const std::string& RelationLists::RoleName(int64_t relTypeId, int side) const {
    const detail::RelationTypeInfo& type = Core().RelationTypeById(relTypeId);
    return side == 0 ? type.role0 : type.role1;
}

std::string RelationLists::Name(int64_t number) {
    int64_t typeId = 0;
    std::string name;
    if (!Core().FindEntity(number, typeId, name))
        throw WorkbenchError("The repository has no entity numbered " + std::to_string(number) + ".");
    return name;
}

}  // namespace platform::workbench
