#include "platform/ui/UIUtility.h"

#include <QCoreApplication>
#include <QIcon>
#include <QMessageBox>
#include <QWidget>

#include "common/Globals.h"

namespace UIUtility {

std::filesystem::path ImageFolder() {
    if (!Globals::g_AppPath.empty()) return Globals::g_AppPath / "images";
    return std::filesystem::path(QCoreApplication::applicationDirPath().toStdString()) / "images";
}

QPixmap LoadImage(const std::string& name) {
    std::string file = name;
    for (auto& c : file)
        if (c == ' ') c = '_';
    const auto path = ImageFolder() / (file + ".png");
    return QPixmap(QString::fromStdString(path.string()));
}

void PrepareForm(QWidget* window) {
    if (!window || !window->windowIcon().isNull()) return;
    const QPixmap icon = LoadImage("Product.Icon");
    if (!icon.isNull()) window->setWindowIcon(QIcon(icon));
}

void PrepareSplash(QWidget* splash, int) {
    if (!splash) return;
    splash->setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    splash->setAttribute(Qt::WA_DeleteOnClose, false);
}

void SetCaption(QWidget* window, const QString& caption) {
    window->setWindowTitle(QString(caption).replace("[*]", "[*][*]"));
}

void ShowAbout(QWidget* parent, const std::string& text) {
    QMessageBox box(parent);
    box.setObjectName("frmAbout");
    box.setWindowTitle(QObject::tr("About %1").arg(QString::fromStdString(text)));
    box.setText(QString::fromStdString(text));
    const QPixmap logo = LoadImage("Logo");
    if (!logo.isNull()) box.setIconPixmap(logo.scaledToWidth(std::min(logo.width(), 160), Qt::SmoothTransformation));
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

}  // namespace UIUtility
