// The COMMAREA size and validation rules pages opened in headless
// Chromium: the DOM the browser builds holds the rows, the line breaks
// between items and the names exactly as the models have them.

#include <gtest/gtest.h>

#include "reports/CommareaAnalysis.h"
#include "reports/ValidationAnalysis.h"
#include "tests/reports/AnalysisWorkspace.h"
#include "tests/reports/BrowserSupport.h"

namespace {

using analysistest::AnalysisWorkspace;

// The result table as the browser built it, without the page's line breaks.
std::string RenderedTable(const QString& chromium, const std::filesystem::path& page) {
    std::string table =
        reporttest::Between(reporttest::RenderedDom(chromium, page), "<table id=\"result\"", "</table>");
    std::erase(table, '\n');
    return table;
}

TEST(AnalysisPagesInABrowser, RowsBreaksAndNamesAsTheModelsHaveThem) {
    const QString chromium = reporttest::Chromium();
    if (chromium.isEmpty()) GTEST_SKIP() << "no Chromium installed (scripts/setup installs it)";
    AnalysisWorkspace w;
    const std::string server = w.Program("SRV&<1>", 30, false);
    const std::string screen = w.Program("SCR", 3);
    w.Converses(screen, w.Map("MAP1"));
    w.Calls(screen, server);
    {
        auto m = w.Model("SCR");
        const std::string area = m->AddConstruct("PORT", "DFHCOMMAREA");
        m->SetValue(area, "PORTTYPE", "USING");
        for (auto [name, bits] : {std::pair<const char*, int>{"CA-AMOUNT", 100}, {"A<B&C", 24}}) {
            const std::string var = m->AddConstruct("VAR", name, area);
            m->Relate(var, "Declaration", m->AddConstruct("DECL", name, "", bits));
        }
        const std::string port = m->AddConstruct("PORT", "MAP1");
        m->SetValue(port, "PORTTYPE", "SCREEN");
        m->SetValue(port, "DIRECT", "IN");
        const std::string use = m->AddConstruct("USE", "RECEIVE MAP", port);
        m->Relate(port, "Use", use);
        const std::string decl = m->AddConstruct("DECL", "MAP1I");
        m->Relate(use, "Declaration", decl);
        const std::string field = m->AddConstruct("DECL", "QTYI", decl);
        const std::string instance = m->AddConstruct("INSTANCE", "QTYI line 12");
        m->Relate(field, "Instances", instance);
        m->Relate(instance, "Conditions", m->AddConstruct("COND", "QTYI > 0 AND QTYI < 100"));
        m->Finish();
    }
    common::NullProgress progress;
    ASSERT_EQ(mdlReports::GetCOMMAREASizeReport(w.Run(progress, ",")).text, "-1");
    ASSERT_EQ(mdlReports::GetValidationRulesReport(w.Run(progress)).text, "-1");

    EXPECT_EQ(RenderedTable(chromium, w.paths.g_CommareaReportPath),
              "<table id=\"result\" class=\"list\"><tbody><tr><th>Name</th><th>COMMAREA Caption</th>"
              "<th>Size (bytes)</th></tr><tr><td valign=\"top\">SCR</td><td>CA-AMOUNT<br>A&lt;B&amp;C</td>"
              "<td>12,5<br>3</td></tr></tbody>");
    EXPECT_EQ(RenderedTable(chromium, w.paths.g_ValidationReportPath),
              "<table id=\"result\" class=\"list\"><tbody><tr><th>Name</th><th>Validations</th></tr>"
              "<tr><td>SRV&amp;&lt;1&gt;</td><td align=\"right\">1</td></tr></tbody>");
}

}  // namespace
