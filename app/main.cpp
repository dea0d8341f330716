#include <QApplication>

#include "app/AppInfo.h"
#include "app/StartUp.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName("QuarvelAnalyzer");
    QApplication::setApplicationName("QuarvelAnalyzer");
    QApplication::setApplicationVersion(app::Version());
    Globals::Main();
    return app.exec();
}
