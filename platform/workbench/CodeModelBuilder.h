#pragma once
// Writes a program's model database (see CodeModel.h). Constructs get the
// identifiers "<prefix>:<n>" in the order they are added; relations and
// list elements that name an identifier not added yet are refused.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "platform/db/Database.h"
#include "platform/workbench/WorkbenchError.h"

namespace platform::workbench {

// Data-item properties in the code model's text forms: "Elementary" is
// "True" or "False"; "SqlType" is the ODBC type number as text (1 CHAR,
// 2 NUMERIC, 3 DECIMAL, 4 INTEGER, 5 SMALLINT, 8 DOUBLE); "Length" and
// "Digits" are written with a leading sign position (" 30"), so that a type
// word followed by them reads "char 30"; "Fraction" is plain digits.
struct DeclarationProperties {
    bool elementary = true;
    std::string sqlType;   // empty for a group
    int length = 0;        // bytes
    int digits = 0;
    int fraction = 0;
};

std::string SignedNumberText(long value);

class CodeModelBuilder {
public:
    CodeModelBuilder(const std::filesystem::path& modelDatabase, std::string_view programKey, std::string_view idPrefix);
    ~CodeModelBuilder();
    CodeModelBuilder(const CodeModelBuilder&) = delete;
    CodeModelBuilder& operator=(const CodeModelBuilder&) = delete;

    // sizeBits goes to Constructs.size (the COMMAREA report shows it / 8).
    std::string AddConstruct(std::string_view type, std::string_view name, std::string_view parent = {},
                             int64_t sizeBits = 0);
    void SetValue(std::string_view id, std::string_view name, std::string_view value);
    void SetDeclaration(std::string_view id, const DeclarationProperties& properties);
    void Relate(std::string_view from, std::string_view relationName, std::string_view to);
    int64_t AddDataList(std::string_view name, std::string_view caption);
    void AddListElement(int64_t listId, std::string_view id);
    bool Has(std::string_view id) const { return m_ids.count(std::string(id)) != 0; }
    void Finish();

private:
    std::filesystem::path m_file;
    std::unique_ptr<db::Database> m_db;
    std::optional<db::Statement> m_insConstruct, m_insValue, m_insRel, m_insElement;
    std::string m_prefix;
    std::unordered_set<std::string> m_ids;
    int64_t m_next = 1, m_seq = 0, m_relSeq = 0, m_lists = 0;
    std::vector<int64_t> m_listSizes;
    bool m_finished = false;
};

}  // namespace platform::workbench
