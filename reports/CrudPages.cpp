#include "reports/CrudPages.h"

#include <algorithm>
#include <fstream>
#include <memory>
#include <mutex>
#include <optional>
#include <random>
#include <sstream>
#include <system_error>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "common/AsciiCase.h"
#include "common/WriteBoundary.h"
#include "common/Progress.h"
#include "common/WhileStepping.h"
#include "reports/AsideRemoval.h"
#include "reports/BackgroundJobs.h"
#include "reports/ClientInfo.h"
#include "reports/CrudAnalysis.h"
#include "reports/CrudComparison.h"
#include "reports/CrudSignature.h"
#include "reports/ListPage.h"
#include "reports/PageDocument.h"
#include "reports/PageFixUps.h"
#include "platform/xml/HtmlMarkup.h"
#include "reports/ReportError.h"

namespace mdlReports {

namespace fs = std::filesystem;
using platform::xml::Document;
using platform::xml::Node;

namespace {

// Replaces the first child of the element (or fills an empty one).
void ReplaceFirstChild(Node element, Node replacement) {
    if (Node first = element.FirstChild())
        element.ReplaceChild(replacement, first);
    else
        element.AppendChild(replacement);
}

Node RequireElement(const Document& page, std::string_view tag, std::string_view id, const fs::path& source) {
    Node element = FindElementById(page, tag, id);
    if (!element)
        throw ReportError("\"" + source.string() + "\" has no " + std::string(tag) + " \"" + std::string(id) + "\"");
    return element;
}

// A signature laid out as a program's table (see GetProgramCRUDTable).
Document SignatureTable(ReportBuilder& builder, const ReportPaths& paths, const std::string& name,
                        const Globals::CrudSignature& signature) {
    ReportList list;
    list.headers = {"Store Name", "Inserts", "Reads", "Updates", "Deletes"};
    for (const Globals::CrudSignatureRow& row : signature.Rows()) {
        std::vector<std::string> cells{row.storeName};
        for (bool mark : row.marks) cells.push_back(mark ? "Y" : "");
        list.rows.push_back(std::move(cells));
    }
    builder.PageFromList(list, name, paths.g_TemplateLevel2);
    return builder.RenderPage();
}

// A program's signature table as the markup its pairs' pages hold, which
// they copy on other threads at once: they only read it.
using SharedTable = std::shared_ptr<const std::string>;

// Report engines for threads that lay out pages at once: each thread takes
// one for a page and gives it back, so every stylesheet is parsed once per
// engine.
class Builders {
public:
    std::unique_ptr<ReportBuilder> Take() {
        std::lock_guard lock(m_mutex);
        if (m_free.empty()) return std::make_unique<ReportBuilder>();
        std::unique_ptr<ReportBuilder> builder = std::move(m_free.back());
        m_free.pop_back();
        return builder;
    }
    void Give(std::unique_ptr<ReportBuilder> builder) {
        std::lock_guard lock(m_mutex);
        m_free.push_back(std::move(builder));
    }

private:
    std::mutex m_mutex;
    std::vector<std::unique_ptr<ReportBuilder>> m_free;
};

// The tables of every program of the pairs: each signature read once, on
// this thread (the database is its), and laid out on worker threads. The
// step then takes them pair by pair.
class ProgramTables {
public:
    // False when the analyst cancelled meanwhile.
    bool Make(ReportContext& ctx, const std::vector<CrudComparisonRow>& pairs) {
        Globals::CrudSignatureReader signatures(ctx.db);
        BackgroundJobs layout;   // after the engines: it ends first
        layout.StepWhileWaiting(ctx.progress);
        const auto make = [&](const std::string& name, const std::string& id) {
            // Ids compare as the database compares them; a program keeps
            // the name its first pair gives it.
            auto [at, isNew] = m_tables.try_emplace(common::AsciiFold(id));
            if (!isNew) return;
            auto signature = std::make_shared<const Globals::CrudSignature>(signatures.Program(id));
            auto markup = std::make_shared<std::string>();
            at->second = markup;
            layout.Submit([this, &ctx, name, signature, markup] {
                std::unique_ptr<ReportBuilder> builder = m_builders.Take();
                const Document page = SignatureTable(*builder, ctx.paths, name, *signature);
                m_builders.Give(std::move(builder));
                const Node table = RequireElement(page, "table", "result", ctx.paths.g_TemplateLevel2);
                *markup = RestoreProtectedEntities(platform::xml::ToHtmlMarkup(table));
            });
        };
        for (const CrudComparisonRow& pair : pairs) {
            make(pair.program1, pair.p1Id);
            make(pair.program2, pair.p2Id);
            ctx.progress.StartStep("");
            if (ctx.progress.Cancelled()) return false;
        }
        layout.Finish();
        return true;
    }

    SharedTable Table(ReportContext& ctx, const std::string& name, const std::string& id) const {
        ctx.progress.StartStep("CRUD for " + name);
        const SharedTable& table = m_tables.at(common::AsciiFold(id));
        ctx.progress.FinishStep(1);
        return table;
    }

    // Lets every table go.
    void Clear() { std::unordered_map<std::string, SharedTable>().swap(m_tables); }

private:
    Builders m_builders;
    std::unordered_map<std::string, SharedTable> m_tables;
};

// The data rows of the overlap page's result table, in list order.
std::vector<Node> DataRows(const Document& page, const fs::path& file) {
    std::vector<Node> rows;
    bool heading = true;
    for (const Node& tr : RequireElement(page, "table", "result", file).ChildElements()) {
        if (tr.Name() != "tr") continue;
        if (heading) {
            heading = false;
            continue;
        }
        rows.push_back(tr);
    }
    return rows;
}

// Makes the content of a cell a link to href.
void LinkCell(Document& page, Node cell, const std::string& href) {
    Node anchor = page.CreateElement("a");
    anchor.SetAttribute("href", href);
    anchor.SetAttribute("class", "style2");
    for (const Node& child : cell.Children()) anchor.AppendChild(child);
    cell.AppendChild(anchor);
}

// The file name of a pair's page, unique within the step: two pairs whose
// names join to the same text ("A-B" with "C", "A" with "B-C") get a page
// each, the later one with "~2" (or the next free number) added.
std::string UniquePageName(const std::string& joined, std::unordered_set<std::string>& used) {
    std::string name = joined;
    for (int n = 2; !used.insert(ReportFileName(name)).second; ++n) name = joined + "~" + std::to_string(n);
    return name;
}

// A comparison page as pieces of text: the template with the client
// information, laid out once with a marker where each of the pair's names
// and tables goes, and cut at the markers. A page is the pieces joined with
// its pair's own markup, the same text as the template filled and written
// whole, since the page writer writes a node the same wherever it stands.
class ComparePageText {
public:
    ComparePageText(const std::string& templateText, const fs::path& source, const std::string& client,
                    const std::string& application) {
        // Markers no template holds: a random number of the run's.
        std::random_device random;
        const std::string marker = "qa-splice-" + std::to_string(random()) + std::to_string(random()) + "-";
        Document page = Document::Parse(templateText);
        FillClientInfo(page, client, application);
        const char* const places[kPlaces][2] = {{"div", "title1"}, {"div", "title2"}, {"td", "table1"}, {"td", "table2"}};
        for (int i = 0; i < kPlaces; ++i)
            ReplaceFirstChild(RequireElement(page, places[i][0], places[i][1], source),
                              page.CreateTextNode(marker + std::to_string(i)));
        const std::string text = PageText(page);
        // Where each marker stands, in the text's order.
        std::vector<std::pair<std::size_t, int>> found;
        for (int i = 0; i < kPlaces; ++i) {
            const std::string m = marker + std::to_string(i);
            const std::size_t at = text.find(m);
            if (at == std::string::npos || text.find(m, at + 1) != std::string::npos)
                throw ReportError("\"" + source.string() + "\" cannot be filled");
            found.emplace_back(at, i);
        }
        std::sort(found.begin(), found.end());
        std::size_t from = 0;
        for (std::size_t k = 0; k < found.size(); ++k) {
            m_pieces.push_back(text.substr(from, found[k].first - from));
            m_order[k] = found[k].second;
            from = found[k].first + marker.size() + 1;
        }
        m_pieces.push_back(text.substr(from));
    }

    std::string Page(const std::string& name1, const std::string& name2, const std::string& table1,
                     const std::string& table2) const {
        const std::string title1 = RestoreProtectedEntities(platform::xml::ToHtmlText(name1));
        const std::string title2 = RestoreProtectedEntities(platform::xml::ToHtmlText(name2));
        const std::string* const filling[kPlaces] = {&title1, &title2, &table1, &table2};
        std::string page = m_pieces[0];
        for (int k = 0; k < kPlaces; ++k) {
            page += *filling[m_order[k]];
            page += m_pieces[static_cast<std::size_t>(k) + 1];
        }
        return page;
    }

private:
    static constexpr int kPlaces = 4;
    std::vector<std::string> m_pieces;   // kPlaces + 1
    int m_order[kPlaces] = {};           // which filling follows each piece
};

// The comparison pages of a step: the template read and checked once, the
// client information read once, and each page made and written on another
// thread (the pages are many, and each replaces its file safely).
class ComparePages {
public:
    explicit ComparePages(ReportContext& ctx) : m_output(ctx.output) {
        const fs::path source = ctx.paths.g_TemplateCRUD;
        // Loaded once through the page rules, so an ill-formed template is
        // reported as any page is.
        LoadPage(source, PageSource::Template, ctx.prompt);
        m_text = std::make_shared<const ComparePageText>(TemplateFixUps(ReadTemplate(source)), source,
                                                         GetClientName(ctx.db), GetApplicationName(ctx.db));
        m_jobs.StepWhileWaiting(ctx.progress);
    }

    void Write(const std::string& name1, const std::string& name2, SharedTable table1, SharedTable table2,
               const fs::path& file) {
        m_jobs.Submit([text = m_text, output = m_output, name1, name2, table1 = std::move(table1),
                       table2 = std::move(table2), file] {
            try {
                output.Replace(file, text->Page(name1, name2, *table1, *table2));
            } catch (const std::exception& e) {
                throw ReportError("Cannot write \"" + file.string() + "\": " + e.what());
            }
        });
    }
    bool FinishWithin(std::chrono::milliseconds wait) { return m_jobs.FinishWithin(wait); }
    std::size_t Written() const { return m_jobs.Ran(); }
    void Abandon() { m_jobs.Abandon(); }

private:
    static std::string ReadTemplate(const fs::path& file) {
        std::ifstream in(file, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        if (!in && !in.eof()) throw ReportError("Cannot read \"" + file.string() + "\"");
        return text.str();
    }

    common::WriteBoundary m_output;
    std::shared_ptr<const ComparePageText> m_text;
    BackgroundJobs m_jobs;
};

// The overlap page as the engine lays it out, with the client information,
// and its data rows in list order.
struct OverlapPage {
    Document page;
    std::vector<Node> rows;
};

// The comparison pages of the pairs, into the signatures folder, and the
// link of each row in links. The step's own level counts two steps per
// pair, one for each program's table, each captioned "CRUD for <program>";
// the pages the threads are still writing after the last pair are awaited
// under a captioned level of their own, whose bar follows them. The step
// ends with its last page written, so that a cancel in a later step finds
// every page its links lead to. False when cancelled: then no page is
// left.
bool WriteComparePages(ReportContext& ctx, const std::vector<CrudComparisonRow>& pairs, const ProgramTables& tables,
                       std::vector<std::string>& links) {
    const fs::path& folder = ctx.paths.g_CrudSignaturesFolder;
    if (!ctx.output.MakeFolders(folder)) throw ReportError("Cannot create the folder \"" + folder.string() + "\"");
    std::optional<ComparePages> pages;   // made for the first pair
    bool cancelled = false;
    {
        common::ProgressScope level(ctx.progress, "", static_cast<long>(2 * pairs.size()), true);
        std::unordered_set<std::string> used;
        for (const CrudComparisonRow& pair : pairs) {
            SharedTable table1 = tables.Table(ctx, pair.program1, pair.p1Id);
            SharedTable table2 = tables.Table(ctx, pair.program2, pair.p2Id);
            const fs::path file =
                GetCRUDSignaturePath(ctx.paths, UniquePageName(pair.program1 + "-" + pair.program2, used));
            if (!pages) pages.emplace(ctx);
            pages->Write(pair.program1, pair.program2, std::move(table1), std::move(table2), file);
            links.push_back(GetCRUDSignatureLink(ctx.paths, file));
            if ((cancelled = ctx.progress.Cancelled())) break;
        }
    }
    if (pages && !cancelled)
        cancelled = !common::AwaitShare(
            ctx.progress, kWritingComparisons, [&](auto wait) { return pages->FinishWithin(wait); },
            [&] { return static_cast<double>(pages->Written()) / static_cast<double>(pairs.size()); });
    if (!cancelled) return true;
    if (pages) pages->Abandon();
    Discard(ctx.output, ctx.paths, folder);
    return false;
}

}  // namespace

fs::path GetCRUDSignaturePath(const ReportPaths& paths, std::string_view name) {
    return paths.g_CrudSignaturesFolder / (ReportFileName(name) + ".html");
}

std::string GetCRUDSignatureLink(const ReportPaths& paths, const fs::path& file) {
    return ReportHref(file.lexically_relative(paths.g_CrudSignaturesFolder.parent_path()).generic_string());
}

Document GetProgramCRUDTable(ReportContext& ctx, const std::string& name, const std::string& id) {
    return SignatureTable(ctx.builder, ctx.paths, name, Globals::ProgramCRUDSignature(ctx.db, id));
}

std::string GenerateCRUDOverlapReport(ReportContext& ctx, bool restrict) {
    const CrudAnalysisResult analysis = GetCRUDReport(ctx.db, ctx.paths.workspace, ctx.progress, restrict);
    if (analysis.cancelled) return "0";
    // With tens of thousands of pairs each piece of the overlap page takes
    // a while: it is made on other threads while the window shows what is
    // awaited, and repaints.
    std::vector<CrudComparisonRow> pairs;
    common::ProgressScope reading(ctx.progress, kReadingPairs, 2, true);
    ctx.progress.StartStep(kReadingPairs);
    // Without a written file the analysis found no sharing pair (and has
    // removed any file an earlier run left): the list is empty.
    common::WhileStepping(ctx.progress, [&] {
        if (analysis.fileWritten) pairs = ReadCRUDComparison(CrudComparisonPath(ctx.workspaceFolder));
    });
    ctx.progress.FinishStep(1);

    // The overlap list is laid out, written and read back on a thread of its
    // own while this one makes the comparison pages, by an engine of its
    // own, which takes its rows with it when it ends there. It is written
    // whatever comes, after a cancel too.
    const fs::path& overlapPath = ctx.paths.g_CrudOverlapPagePath;
    const std::string client = GetClientName(ctx.db);
    const std::string application = GetApplicationName(ctx.db);
    common::HeldPrompt held;
    auto listing = common::StartAside([&] {
        ReportList list;
        list.headers = {"Program One", "Degree of Similarity", "Program Two", "Total Comparison Points"};
        for (const CrudComparisonRow& pair : pairs)
            list.rows.push_back({pair.program1, pair.similarity, pair.program2, pair.cap});
        ReportBuilder builder;
        builder.PageFromList(list, "CRUD Overlap", ctx.paths.g_TemplateLevel11);
        OverlapPage made{FinishedListPage(builder, overlapPath, client, application, held), {}};
        made.rows = DataRows(made.page, overlapPath);
        return made;
    });

    std::vector<std::string> links;   // per row, its comparison page
    bool cancelled = ctx.progress.Cancelled();
    {
        // The signatures of the pairs' programs are read under the same
        // caption: on a large workspace that takes a while too.
        ProgramTables tables;
        if (!cancelled) cancelled = !tables.Make(ctx, pairs);
        ctx.progress.FinishStep(1);
        reading.Close();
        if (!cancelled) cancelled = !WriteComparePages(ctx, pairs, tables, links);
        // The tables of thousands of programs take a while to free: not on
        // the window's thread. The pages written with them are done.
        common::WhileStepping(ctx.progress, [&] { tables.Clear(); });
    }
    // Past the pairs the page is finished whatever comes, with the links of
    // the pages made or none: a cancel now is for the run to see next.
    OverlapPage overlap;
    common::ProgressScope writing(ctx.progress, kWritingOverlap, 2, true);
    try {
        ctx.progress.StartStep(kWritingOverlap);
        overlap = common::AwaitStepping(ctx.progress, listing);
    } catch (const IllFormedPage&) {
        held.AskThrough(ctx.prompt);
        throw;
    }
    ctx.progress.FinishStep(1);
    if (overlap.rows.size() != pairs.size())
        throw ReportError("\"" + overlapPath.string() + "\" does not list every pair");
    // After a cancel the comparison pages are gone: no link would lead anywhere.
    if (!cancelled) {
        for (size_t i = 0; i < overlap.rows.size(); ++i) {
            const std::vector<Node> cells = overlap.rows[i].ChildElements();
            if (cells.size() < 3) throw ReportError("\"" + overlapPath.string() + "\" has a row without both programs");
            LinkCell(overlap.page, cells[0], links[i]);
            LinkCell(overlap.page, cells[2], links[i]);
            ctx.progress.StartStep("");
        }
    }
    // The page and the lists are let go there too: freeing a hundred
    // thousand rows takes a while.
    common::WhileStepping(ctx.progress, [&] {
        SavePage(ctx.output, overlap.page, overlapPath);
        overlap = {};
        std::vector<CrudComparisonRow>().swap(pairs);
        std::vector<std::string>().swap(links);
    });
    ctx.progress.FinishStep(1);
    return cancelled ? "0" : "-1";
}

}  // namespace mdlReports
