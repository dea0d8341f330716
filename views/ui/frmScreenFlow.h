#pragma once
// The screen interaction plot: every screen-to-screen link of the workspace
// in one diagram. A single window (Tag "ScreenFlow"); while a workspace is
// open closing it only hides it, and opening it again shows the plot as it
// was drawn. A box opens the source viewer for its screen or program, a link
// the link direction dialog. "Show &Stub Screens" changes what the next draw
// shows; "&Refresh" rebuilds the table and draws again.

#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

#include "platform/ui/EntityWindow.h"
#include "platform/ui/TDiagram.h"

class QAction;
class QLabel;
class QMenu;

namespace common {
class IPrompt;
}

namespace views::ui {

// IsClosed() is true once the window has really unloaded, not while it is
// only hidden. Owner, the window that opened the plot, gets the focus back.
class frmScreenFlow : public QMainWindow, public platform::ui::EntityWindow {
    Q_OBJECT
public:
    // parent: the Qt parent (the main window); Owner is set by the opener.
    explicit frmScreenFlow(QWidget* parent);
    ~frmScreenFlow() override;

    bool IsDrawing() const { return m_drawing; }

    // Closes the link dialogs of the earlier drawing, rebuilds the table and
    // draws it. Errors reach the caller; a failed table build leaves the
    // earlier drawing. A draw asked for while one runs does nothing.
    void Draw();
    // Draw, with a failure told in a message box.
    void mnuRefresh_Click();
    void dgmSF_ShapeActivated(platform::diagram::Shape* box);
    void dgmSF_LinkActivated(platform::diagram::Link* link);

    // Unloads the window even while a workspace is open (a first draw that
    // failed leaves nothing worth keeping).
    void Discard();

    // Disables an enabled control (a widget or a menu item) and keeps it in
    // ToBeEnabled; a disabled one is left as it is. Nothing calls it yet
    // and nothing enables the kept controls again.
    void DisableControl(QObject* control);
    QList<QPointer<QObject>> ToBeEnabled;

    // Where Refresh reports a failure; the main window's prompt when null.
    common::IPrompt* Prompt = nullptr;

    platform::ui::TDiagram* dgmSF = nullptr;
    QMenu* mnuOptions = nullptr;
    QAction* mnuStubScrns = nullptr;
    QAction* mnuRefresh = nullptr;
    // The diagram's zoom, "N%".
    QLabel* lblZoom = nullptr;

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Unload();

    bool m_discard = false;
    bool m_drawing = false;
    bool m_deleteWhenDrawn = false;
};

// The plot window while it is loaded (shown or hidden), or nullptr.
frmScreenFlow* ScreenFlowWindow();

// What a box of a screen-flow drawing (the plot, a process diagram) opens:
// the source viewer for its screen or program, owned by owner. Nothing for
// another box or without a workspace; a failure is passed over, since the
// double-click that asks has no one to tell.
void ViewBoxSource(const platform::diagram::Shape* box, QWidget* owner);

// Globals::ShowScreenFlow with its owner: brings the loaded plot back as it
// was drawn, or makes the window, shows it, calls shown and draws. shown
// runs with the window on screen before the draw (the opener holds its
// command there, since the draw lets events through). A failed first draw
// unloads the window again and reaches the caller.
frmScreenFlow* ShowScreenFlow(QWidget* owner, const std::function<void(QWidget*)>& shown = {});

}  // namespace views::ui

namespace Globals {

// Rebuilds sfScreenRels and draws it into the diagram, painting off until
// the layout is done, letting pending events through now and then. Stub
// screens as g_StubScrn says. Errors reach the caller.
void DrawScreenFlow(platform::ui::TDiagram& diagram);

}  // namespace Globals
