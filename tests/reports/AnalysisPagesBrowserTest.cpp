// The COMMAREA size and validation rules pages opened in headless
// Chromium: the DOM the browser builds holds the rows, the line breaks
// between items and the names exactly as the models have them.

#include <gtest/gtest.h>

#include <QProcess>
#include <QStandardPaths>

#include "reports/CommareaAnalysis.h"
#include "reports/ValidationAnalysis.h"
#include "tests/reports/AnalysisWorkspace.h"

namespace {

using analysistest::AnalysisWorkspace;

QString Chromium() {
    for (const char* name : {"chromium", "chromium-browser", "google-chrome"}) {
        const QString found = QStandardPaths::findExecutable(name);
        if (!found.isEmpty()) return found;
    }
    return {};
}

std::string RenderedTable(const QString& chromium, const std::filesystem::path& page) {
    testsupport::TempDir profile;
    QProcess browser;
    browser.start(chromium,
                  {"--headless", "--no-sandbox", "--disable-gpu", "--no-first-run", "--disable-background-networking",
                   "--disable-component-update", "--disable-sync", "--disable-dev-shm-usage",
                   "--user-data-dir=" + QString::fromStdString(profile.Path().string()), "--dump-dom",
                   "file://" + QString::fromStdString(page.string())});
    if (!browser.waitForFinished(90000)) {
        browser.kill();
        browser.waitForFinished();
        ADD_FAILURE() << "the browser did not finish: " << page;
        return {};
    }
    EXPECT_EQ(browser.exitCode(), 0) << browser.readAllStandardError().toStdString();
    const std::string dom = browser.readAllStandardOutput().toStdString();
    const size_t from = dom.find("<table id=\"result\"");
    std::string table = from == std::string::npos ? dom : dom.substr(from, dom.find("</table>", from) - from);
    std::erase(table, '\n');  // the page's own line breaks between rows
    return table;
}

TEST(AnalysisPagesInABrowser, RowsBreaksAndNamesAsTheModelsHaveThem) {
    const QString chromium = Chromium();
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
