#include "platform/ui/DiagramWindow.h"

#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>

#include "platform/ui/TDiagram.h"

namespace platform::ui {

TDiagram* NewDiagram(QWidget* parent, const char* objectName) {
    auto* diagram = new TDiagram(parent);
    diagram->setObjectName(objectName);
    QFont font("Arial");
    font.setStyleHint(QFont::SansSerif);
    diagram->setFont(font);
    return diagram;
}

QLabel* AddZoomLabel(QMainWindow& window, TDiagram& diagram) {
    auto* label = new QLabel(&window);
    label->setObjectName("lblZoom");
    window.statusBar()->addPermanentWidget(label);
    auto show = [label, &diagram] { label->setText(QString::number(diagram.Zoom()) + "%"); };
    QObject::connect(&diagram, &TDiagram::ZoomChanged, label, show);
    show();
    return label;
}

}  // namespace platform::ui
