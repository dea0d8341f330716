#pragma once
// What the diagram windows (flow context, screen interaction plot, process
// diagram, link direction dialog) set up alike.

class QLabel;
class QMainWindow;
class QWidget;

namespace platform::ui {

class TDiagram;

// A diagram control named objectName, its boxes lettered in Arial (the
// system's sans serif where Arial is missing).
TDiagram* NewDiagram(QWidget* parent, const char* objectName);

// The label "lblZoom" at the right of the window's status bar, showing the
// diagram's zoom as "N%" from now on.
QLabel* AddZoomLabel(QMainWindow& window, TDiagram& diagram);

}  // namespace platform::ui
