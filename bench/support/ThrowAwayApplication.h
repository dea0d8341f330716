#pragma once
// The application object of a benchmark that opens windows: offscreen
// unless QT_QPA_PLATFORM says otherwise, with home and settings in a
// throw-away folder, as in the tests.

#include <QApplication>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdlib>

namespace bench {

namespace detail {

// Made before the application, which reads the platform and home as it starts.
struct ThrowAwayHome {
    QTemporaryDir home;
    ThrowAwayHome() {
        if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
        setenv("HOME", home.path().toUtf8().constData(), 1);
        setenv("XDG_CONFIG_HOME", (home.path() + "/.config").toUtf8().constData(), 1);
        setenv("XDG_DATA_HOME", (home.path() + "/.local/share").toUtf8().constData(), 1);
        QStandardPaths::setTestModeEnabled(true);
    }
};

}  // namespace detail

class ThrowAwayApplication : private detail::ThrowAwayHome, public QApplication {
public:
    ThrowAwayApplication(int& argc, char** argv) : QApplication(argc, argv) {
        setOrganizationName("QuarvelAnalyzer");
        setApplicationName("QuarvelAnalyzer");
        QSettings::setDefaultFormat(QSettings::IniFormat);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, home.path() + "/settings");
    }
    QString Home() const { return home.path(); }
};

}  // namespace bench
