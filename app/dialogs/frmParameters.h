#pragma once
// The Parameters dialog: a source folder and two lists of names (cutting
// points and Natural libraries), kept in program-wide values on OK.

#include <QDialog>

#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTreeWidget;

namespace dialogs {

class frmParameters : public QDialog {
    Q_OBJECT
public:
    explicit frmParameters(QWidget* parent = nullptr);

    // The handlers, public so tests drive them as the controls do.
    void Drive1_Change();
    void Dir1_Click();
    void cmdAddCut_Click();
    void cmdDelCut_Click();
    void cmdAddLib_Click();
    void cmdRemove_Click();
    void cmdOK_Click();
    void cmdCancel_Click();

    // The folder the directory list shows.
    QString DirPath() const { return m_dirPath; }
    void SetDirPath(const QString& path);

    QLabel* Label1 = nullptr;
    QLabel* lblSourceDirectory = nullptr;
    QComboBox* Drive1 = nullptr;
    QListWidget* Dir1 = nullptr;
    QLabel* Label3 = nullptr;
    QTreeWidget* trCut = nullptr;
    QLineEdit* txtCut = nullptr;
    QPushButton* cmdAddCut = nullptr;
    QPushButton* cmdDelCut = nullptr;
    QLabel* Label2 = nullptr;
    QTreeWidget* trLib = nullptr;
    QLineEdit* txtLib = nullptr;
    QPushButton* cmdAddLib = nullptr;
    QPushButton* cmdRemove = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

private:
    void Form_Load();
    QString m_dirPath;
};

// The names of a list tree, in tree order.
std::vector<std::string> TreeNames(const QTreeWidget* tree);

// Opens the dialog modal (View > Parameters).
void ShowParameters(QWidget* owner);

}  // namespace dialogs
