#pragma once
// The application of a benchmark that opens the tool's windows: offscreen
// unless QT_QPA_PLATFORM says otherwise, and with its home and settings in
// a throw-away folder, as in the tests, so the user's are never touched.

#include <QApplication>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdlib>

namespace bench {

class WindowApplication {
public:
    WindowApplication(int& argc, char** argv) : m_environment(m_home), m_application(argc, argv) {
        QApplication::setOrganizationName("QuarvelAnalyzer");
        QApplication::setApplicationName("QuarvelAnalyzer");
        QSettings::setDefaultFormat(QSettings::IniFormat);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_home.path() + "/settings");
    }
    // The throw-away home.
    QString Home() const { return m_home.path(); }

private:
    // Set before the application is made, which reads it.
    struct Environment {
        explicit Environment(const QTemporaryDir& home) {
            if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
            setenv("HOME", home.path().toUtf8().constData(), 1);
            setenv("XDG_CONFIG_HOME", (home.path() + "/.config").toUtf8().constData(), 1);
            setenv("XDG_DATA_HOME", (home.path() + "/.local/share").toUtf8().constData(), 1);
            QStandardPaths::setTestModeEnabled(true);
        }
    };

    QTemporaryDir m_home;
    Environment m_environment;
    QApplication m_application;
};

}  // namespace bench
