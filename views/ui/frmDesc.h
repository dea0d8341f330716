#pragma once
// The description editor of one entity: a free text stored in
// Ents.Description when the analyst presses OK. One editor per entity, found
// again by its Tag "<id>-Description" (letter case ignored), so a second
// request brings the open editor back instead of opening another.

#include <QDialog>
#include <QString>

#include <string>

#include "common/Prompt.h"
#include "platform/ui/EntityWindow.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace views {
struct DescriptionTarget;
}

namespace views::ui {

// Its Tag is "<id>-Description". It keeps no placement of its own: it
// opens centred on its owner.
class frmDesc : public QDialog, public platform::ui::EntityWindow {
    Q_OBJECT
public:
    // owner: the window that gets the focus back when the editor closes;
    // prompt: where a description that cannot be stored is reported.
    frmDesc(QWidget* owner, common::IPrompt& prompt);

    // The entity the editor stores into: the Tag less "-Description".
    std::string EntityId() const;

    // Stores the text and closes; when the store fails the editor reports it
    // and stays open with the text as typed.
    void cmdOK_Click();
    // Closes without storing.
    void cmdCancel_Click();

    // The entity's name, as messages call it.
    std::string EntityName;

    QLabel* lblDescription = nullptr;
    QPlainTextEdit* txtDescription = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    common::IPrompt& m_prompt;
};

// The smallest size the editor may be given, in pixels.
inline constexpr int kDescMinimumSize = 200;

// The open editor of the entity with this id, or nullptr.
frmDesc* FindDescriptionWindow(const std::string& id);

// Brings an open editor back: shown, restored from minimized to its last
// state, raised and focused.
void ReactivateDescription(frmDesc& editor);

// Opens a new editor for the entity, owned by owner, shows it modeless and
// focuses it.
frmDesc* OpenDescription(QWidget* owner, common::IPrompt& prompt, const views::DescriptionTarget& target);

}  // namespace views::ui
