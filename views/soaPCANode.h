#pragma once
// One entity as a node of a stored process: its serial id, entity id, type,
// name, business name and a nature code. A plain record: every accessor
// returns or stores its field unchanged, and a new record holds 0 and empty
// texts.

#include <cstdint>
#include <string>
#include <utility>

namespace views {

class soaPCANode {
public:
    int32_t spnSerialID() const { return m_serialID; }
    void spnSerialID(int32_t value) { m_serialID = value; }
    const std::string& spnID() const { return m_id; }
    void spnID(std::string value) { m_id = std::move(value); }
    const std::string& spnEntName() const { return m_entName; }
    void spnEntName(std::string value) { m_entName = std::move(value); }
    const std::string& spnName() const { return m_name; }
    void spnName(std::string value) { m_name = std::move(value); }
    const std::string& spnBusName() const { return m_busName; }
    void spnBusName(std::string value) { m_busName = std::move(value); }
    int16_t spnNature() const { return m_nature; }
    void spnNature(int16_t value) { m_nature = value; }

private:
    int32_t m_serialID = 0;  // Ents.SerialID
    std::string m_id;        // Ents.ID, "<TYPE>#<n>"
    std::string m_entName;   // Ents.EntName
    std::string m_name;
    std::string m_busName;
    int16_t m_nature = 0;
};

}  // namespace views
