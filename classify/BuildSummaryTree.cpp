#include "classify/BuildSummaryTree.h"

#include <cctype>
#include <vector>

#include "common/AsciiCase.h"
#include "common/Progress.h"
#include "common/SoaType.h"
#include "platform/db/Database.h"

namespace {

namespace ST = common::SoaType;

constexpr const char* kClientBranch = "Client Branch";
constexpr const char* kServerBranch = "Server Branch";
constexpr const char* kMissingImage = "Missing";

size_t FindNoCase(std::string_view text, std::string_view word) {
    if (word.size() > text.size()) return std::string_view::npos;
    for (size_t i = 0; i + word.size() <= text.size(); ++i) {
        size_t j = 0;
        while (j < word.size() && common::AsciiLower(text[i + j]) == common::AsciiLower(word[j]))
            ++j;
        if (j == word.size()) return i;
    }
    return std::string_view::npos;
}

bool EndsWithNoCase(std::string_view text, std::string_view word) {
    return text.size() >= word.size() && FindNoCase(text.substr(text.size() - word.size()), word) == 0;
}

bool EqualsNoCase(std::string_view a, std::string_view b) { return common::AsciiEqualNoCase(a, b); }

// The number a text starts with, read the way a count is read back from a
// node's text: leading digits, 0 when there are none.
long LeadingNumber(std::string_view text) {
    long n = 0;
    for (char c : text) {
        if (c < '0' || c > '9') break;
        n = n * 10 + (c - '0');
    }
    return n;
}

// Adds a group's count (and stub mark) to the total its parent shows in
// front of its branch word ("12 Client Branch*"). A group under a "Frontier"
// or "Server" node also adds to that node's own branch, one level up.
void UpdateTotals(common::Tree& tree, std::string_view key, long count, bool hasStub, bool endWords) {
    common::TreeNode* node = tree.Find(key);
    if (!node) return;
    std::string text = node->text;
    std::string word;
    if (FindNoCase(text, kClientBranch) != std::string::npos) word = kClientBranch;
    if (FindNoCase(text, kServerBranch) != std::string::npos) word = kServerBranch;
    if (endWords) {
        // The stub mark follows the word; "3 Frontier*" still ends with it.
        std::string_view unmarked(text);
        if (!unmarked.empty() && unmarked.back() == '*') unmarked.remove_suffix(1);
        if (EndsWithNoCase(unmarked, "Frontier")) word = "Frontier";
        if (EndsWithNoCase(unmarked, "Server")) word = "Server";
    }
    if (word.empty()) return;
    long prior = 0;
    const size_t at = FindNoCase(text, word);
    if (at != 0 && text.find(' ') != std::string::npos) {
        prior = LeadingNumber(text.substr(0, text.find(' ')));
        text = text.substr(at);
    }
    if (hasStub && text.find('*') == std::string::npos) text += "*";
    node->text = std::to_string(prior + count) + " " + text;
    if (endWords && !node->parentKey.empty()) UpdateTotals(tree, std::string(node->parentKey), count, hasStub, false);
}

// The Ents.SOAType a group selects: screens and data stores carry 0; 70 and
// 80 only name their groups.
int SelectedSoaType(int16_t code) { return (code == ST::Screens || code == ST::DataStores) ? 0 : code; }

}  // namespace

namespace mdlReports {

long AddCategoryNodes(common::Tree& tree, platform::db::Database& db, int16_t code,
                      const std::string& kind, std::string_view parentKey) {
    const std::string caption(ST::Caption(code));
    const int soaType = SelectedSoaType(code);
    auto rows = db.Prepare(
        "SELECT ID, BusName, Name, Stub, EntNameFull FROM Ents WHERE EntName = ? AND SOAType = ? "
        "ORDER BY Stub DESC, Name");
    rows.BindAll({kind, soaType});

    // A caption already in the tree, or a parent that is not, leaves the tree as it is.
    tree.TryAdd({caption, std::string(parentKey), caption, caption, {}});
    long count = 0;
    bool hasStub = false;
    while (rows.Step()) {
        const bool stub = rows.Column(3).AsBool();
        const std::string fullType = rows.Text(4);
        std::string text = rows.Text(1);
        if (rows.Column(1).IsNull()) text = rows.Column(2).IsNull() ? rows.Text(0) : rows.Text(2);
        common::TreeNode node{rows.Text(0), caption, std::move(text), stub ? kMissingImage : caption,
                              stub && EqualsNoCase(fullType, "MAP") ? "STUBMAP" : fullType};
        if (!tree.TryAdd(std::move(node))) continue;  // a repeated id shows once
        ++count;
        hasStub = hasStub || stub;
    }
    if (common::TreeNode* group = tree.Find(caption)) {
        group->text = std::to_string(count) + " " + caption + (hasStub ? "*" : "");
    }
    if (!parentKey.empty()) UpdateTotals(tree, parentKey, count, hasStub, true);
    return count;
}

}  // namespace mdlReports

namespace classify {

namespace {

// Whether any entity falls into the group. An empty group (or branch) is
// not added at all, rather than added and removed again: removing a node
// re-indexes the whole tree, which made the build grow faster than the
// workspace. The tree comes out the same: an empty group adds nothing to
// its branch's total.
bool GroupHasRows(platform::db::Database& db, int16_t code, const std::string& kind) {
    return db.Scalar("SELECT EXISTS (SELECT 1 FROM Ents WHERE EntName = ? AND SOAType = ?)",
                     {kind, SelectedSoaType(code)})
               .AsInt() != 0;
}

void AddBranch(common::Tree& tree, platform::db::Database& db, common::IProgress& progress, const char* branch,
               std::initializer_list<int16_t> codes) {
    std::vector<int16_t> filled;
    for (int16_t code : codes)
        if (GroupHasRows(db, code, "PROGRAM")) filled.push_back(code);
    if (filled.empty()) return;
    tree.TryAdd({branch, {}, branch, branch, {}});
    long total = 0;
    for (int16_t code : filled) {
        progress.StartStep("");
        // Still 0 when every entity of the group is in the tree already.
        long count = mdlReports::AddCategoryNodes(tree, db, code, "PROGRAM", branch);
        if (count == 0) tree.Remove(common::SoaType::Caption(code));
        total += count;
    }
    if (total == 0) tree.Remove(branch);
}

void AddTopLevelGroup(common::Tree& tree, platform::db::Database& db, common::IProgress& progress, int16_t code,
                      const std::string& kind) {
    if (!GroupHasRows(db, code, kind)) return;
    progress.StartStep("");
    if (mdlReports::AddCategoryNodes(tree, db, code, kind, {}) == 0) tree.Remove(common::SoaType::Caption(code));
}

}  // namespace

common::Tree BuildSummaryTree(platform::db::Database& db) {
    common::NullProgress nowhere;
    return BuildSummaryTree(db, nowhere);
}

common::Tree BuildSummaryTree(platform::db::Database& db, common::IProgress& progress) {
    common::Tree tree;
    AddTopLevelGroup(tree, db, progress, ST::Screens, "MAP");
    AddBranch(tree, db, progress, kClientBranch,
              {ST::Batch, ST::ClientFacing, ST::ClientFacingCalled, ST::ClientFacingData, ST::ClientFacingCalledData,
               ST::Transitional, ST::TransitionalCalled});
    AddBranch(tree, db, progress, kServerBranch,
              {ST::FrontierDataAccess, ST::FrontierDataLogic, ST::FrontierLogicOnly, ST::FrontierIrregular,
               ST::ServerDataAccess, ST::ServerDataLogic, ST::ServerLogicOnly, ST::ServerIrregular});
    AddTopLevelGroup(tree, db, progress, ST::NoCategory, "PROGRAM");
    AddTopLevelGroup(tree, db, progress, ST::DataStores, "store");
    return tree;
}

}  // namespace classify
