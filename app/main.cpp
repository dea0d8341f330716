#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName("QuarvelAnalyzer");
    QApplication::setApplicationName("QuarvelAnalyzer");
    QMainWindow w;
    w.setWindowTitle("Quarvel Analyzer");
    w.show();
    return app.exec();
}
