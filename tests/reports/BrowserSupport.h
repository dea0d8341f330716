#pragma once
// Report pages opened in a real browser: headless Chromium loads a saved
// page and prints the DOM it built, as the browser serialises it.

#include <gtest/gtest.h>

#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include <filesystem>
#include <string>

#include "tests/support/TestSupport.h"

namespace reporttest {

// The browser's path; empty when none is installed (scripts/setup installs one).
inline QString Chromium() {
    for (const char* name : {"chromium", "chromium-browser", "google-chrome"}) {
        const QString found = QStandardPaths::findExecutable(name);
        if (!found.isEmpty()) return found;
    }
    return {};
}

// The DOM the browser built from the page, scripts run.
inline std::string RenderedDom(const QString& chromium, const std::filesystem::path& page) {
    testsupport::TempDir profile;
    QProcess browser;
    browser.setProgram(chromium);
    browser.setArguments({"--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                          "--disable-background-networking", "--disable-component-update", "--disable-sync",
                          "--disable-dev-shm-usage",
                          "--user-data-dir=" + QString::fromStdString(profile.Path().string()), "--dump-dom",
                          "file://" + QString::fromStdString(page.string())});
    browser.start();
    if (!browser.waitForFinished(90000)) {
        browser.kill();
        browser.waitForFinished();
        ADD_FAILURE() << "the browser did not finish: " << page;
        return {};
    }
    EXPECT_EQ(browser.exitCode(), 0) << browser.readAllStandardError().toStdString();
    return browser.readAllStandardOutput().toStdString();
}

// The markup from the first `start` up to the next `end`.
inline std::string Between(const std::string& dom, const std::string& start, const std::string& end) {
    const size_t from = dom.find(start);
    if (from == std::string::npos) return {};
    const size_t to = dom.find(end, from);
    return dom.substr(from, to == std::string::npos ? std::string::npos : to - from);
}

inline size_t Count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

}  // namespace reporttest
