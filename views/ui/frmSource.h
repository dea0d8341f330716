#pragma once
// The source viewer: a program's source text or a screen's map. There is a
// single viewer; a request for another entity retargets it (Tag
// "<id>-Source", caption "<name> - Source"), a request for the entity it
// shows raises it without reading anything again. What cannot be shown (a
// missing file, an entity the repository does not know) is said in the
// viewer's own message line; nothing reaches the caller.

#include <QString>
#include <QWidget>

#include <string>

#include "platform/ui/EntityWindow.h"

class QLabel;
class QPlainTextEdit;
class QScrollArea;

namespace platform::ui {
class BmsViewControl;
}
namespace views {
struct SourceContent;
}

namespace views::ui {

// Its Tag is "<id>-Source"; Owner is the window that asked for the view.
class frmSource : public QWidget, public platform::ui::EntityWindow {
    Q_OBJECT
public:
    explicit frmSource(QWidget* parent);
    ~frmSource() override;

    // Hides both controls and shows the content: the map control for a
    // screen, the text for a program, the message line when there is
    // something to say.
    void ShowContent(const views::SourceContent& content);
    void HideContent();

    platform::ui::BmsViewControl* BMS = nullptr;
    QPlainTextEdit* rtf = nullptr;
    QLabel* lblMessage = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QScrollArea* m_mapArea = nullptr;
};

// The viewer while it is open, or nullptr.
frmSource* SourceViewer();

// Globals::ViewSource.
void OpenSourceViewer(const std::string& request, QWidget* owner);

}  // namespace views::ui

namespace Globals {

// Opens the viewer for a request "<display name>", NUL, "<entity id>"
// (a request without NUL, or for anything but a program or a screen map,
// opens nothing), owned by owner. A request from the screen interaction plot
// (owner Tagged "ScreenFlow") puts the viewer at the bottom left of the
// screen.
void ViewSource(const std::string& request, QWidget* owner);

}  // namespace Globals
