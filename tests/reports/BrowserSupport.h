#pragma once
// Report pages opened in a real browser: headless Chromium loads a saved
// page and prints the DOM it built, as the browser serialises it.

#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include <chrono>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

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

// A page as headless Chromium built it (scripts run), serialised, and the
// messages its console got, script errors included.
struct LoadedPage {
    std::string dom;
    std::vector<std::string> console;
};

// How long one launch may take before the test calls the browser hung: a
// few seconds on an idle machine, under a minute with every core busy.
inline constexpr std::chrono::minutes kBrowserBound{5};

// Loads the page in a browser of its own: a fresh profile and home, so that
// no launch meets what an earlier one left there (its crash database, its
// settings, a process of it still ending). Fails the test, saying what the
// browser said, when it fails or does not end within the bound.
inline LoadedPage LoadInBrowser(const QString& chromium, const std::filesystem::path& page) {
    testsupport::TempDir own;
    const QString home = QString::fromStdString((own / "home").string());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", home);
    environment.insert("XDG_CONFIG_HOME", home + "/.config");
    environment.insert("XDG_CACHE_HOME", home + "/.cache");
    QProcess browser;
    browser.setProcessEnvironment(environment);
    browser.setProgram(chromium);
    browser.setArguments({"--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                          "--disable-background-networking", "--disable-component-update", "--disable-sync",
                          "--disable-dev-shm-usage", "--enable-logging=stderr", "--log-level=0",
                          "--user-data-dir=" + QString::fromStdString((own / "profile").string()), "--dump-dom",
                          "file://" + QString::fromStdString(page.string())});
    browser.start();
    const bool ended = browser.waitForFinished(static_cast<int>(std::chrono::milliseconds(kBrowserBound).count()));
    if (!ended) {
        browser.kill();
        browser.waitForFinished();
    }
    const std::string said = browser.readAllStandardError().toStdString();
    const std::string lastSaid = said.substr(said.size() > 4000 ? said.size() - 4000 : 0);
    if (!ended) {
        ADD_FAILURE() << "the browser did not end within " << kBrowserBound.count() << " minutes: " << page << "\n"
                      << lastSaid;
        return {};
    }
    if (browser.exitStatus() != QProcess::NormalExit || browser.exitCode() != 0)
        ADD_FAILURE() << "the browser " << (browser.exitStatus() == QProcess::NormalExit ? "ended" : "crashed")
                      << " with code " << browser.exitCode() << " on " << page << "\n" << lastSaid;
    LoadedPage loaded{browser.readAllStandardOutput().toStdString(), {}};
    std::istringstream log(said);
    for (std::string line; std::getline(log, line);)
        if (line.find(":CONSOLE") != std::string::npos) loaded.console.push_back(line);
    return loaded;
}

// The DOM the browser built from the page, scripts run.
inline std::string RenderedDom(const QString& chromium, const std::filesystem::path& page) {
    return LoadInBrowser(chromium, page).dom;
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
