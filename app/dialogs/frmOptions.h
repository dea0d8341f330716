#pragma once
// The Options dialog: seven program-wide flags in check boxes on two tabs,
// stored on OK.

#include <QDialog>

class QCheckBox;
class QPushButton;
class QTabBar;

namespace dialogs {

class frmOptions : public QDialog {
    Q_OBJECT
public:
    explicit frmOptions(QWidget* parent = nullptr);

    void TabStrip_Click();
    void cmdOK_Click();
    void cmdCancel_Click();

    QTabBar* TabStrip = nullptr;     // tab 0 "General", tab 1 "CRUD"
    QWidget* Panel[2] = {nullptr, nullptr};   // object names "Panel0", "Panel1"
    QCheckBox* chkValidations = nullptr;
    QCheckBox* chkUses = nullptr;
    QCheckBox* chkCommarea = nullptr;
    QCheckBox* chkStubScrn = nullptr;
    QCheckBox* CheckRestrict = nullptr;
    QCheckBox* CheckDownstream = nullptr;
    QCheckBox* CheckCompare = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

private:
    void Form_Load();
};

// Opens the dialog modal.
void ShowOptions(QWidget* owner);

}  // namespace dialogs
