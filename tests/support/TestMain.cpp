// Shared main() of every test executable: one QApplication (offscreen),
// settings and home redirected into a throw-away folder so that tests never
// touch the user's own.
#include <QApplication>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QTemporaryDir home;
    setenv("HOME", home.path().toUtf8().constData(), 1);
    setenv("XDG_CONFIG_HOME", (home.path() + "/.config").toUtf8().constData(), 1);
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    QApplication::setOrganizationName("QuarvelAnalyzer");
    QApplication::setApplicationName("QuarvelAnalyzer");
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, home.path() + "/settings");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
