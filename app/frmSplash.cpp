#include "app/frmSplash.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTimer>

#include "platform/ui/UIUtility.h"

namespace Globals {
void SetWindowMark(QWidget* window, int value) {
    if (window) window->setProperty("SECRET-CODE", value);
}
}  // namespace Globals

frmSplash::frmSplash(QWidget* parent) : QWidget(parent) {
    setObjectName("frmSplash");
    Logo = new QLabel(this);
    Logo->setObjectName("Logo");
    const QPixmap logo = UIUtility::LoadImage("Logo");
    if (logo.isNull()) {
        Logo->setText("Quarvel Analyzer");
        Logo->setAlignment(Qt::AlignCenter);
        Logo->resize(360, 120);
    } else {
        Logo->setPixmap(logo);
        Logo->resize(logo.size());
    }
    Timer = new QTimer(this);
    Timer->setObjectName("Timer");
    Timer->setSingleShot(true);
    connect(Timer, &QTimer::timeout, this, &QWidget::close);

    Globals::SetWindowMark(this, 58203);
    UIUtility::PrepareSplash(this, 0);
    Logo->move(3, 3);
    setFixedSize(Logo->width() + 8, Logo->height() + 8);
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void frmSplash::closeEvent(QCloseEvent* event) {
    Timer->stop();
    if (!m_finished) {
        m_finished = true;
        emit Finished();
    }
    QWidget::closeEvent(event);
}

void frmSplash::mousePressEvent(QMouseEvent*) { close(); }
