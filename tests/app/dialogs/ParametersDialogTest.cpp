#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>

#include "app/dialogs/ShellOptions.h"
#include "app/dialogs/frmParameters.h"
#include "tests/support/TestSupport.h"

using dialogs::frmParameters;
using dialogs::TreeNames;
using Names = std::vector<std::string>;

namespace {

class ParametersDialog : public ::testing::Test {
protected:
    void SetUp() override {
        Globals::g_SourceDirectory.clear();
        Globals::InitShellOptions();
    }
    void TearDown() override { SetUp(); }

    static void Add(QLineEdit* box, QPushButton* add, const QString& text) {
        box->setText(text);
        add->click();
    }
};

}  // namespace

TEST_F(ParametersDialog, AddedNamesAreStoredOnOkAndShownAgainInOrder) {
    {
        frmParameters dlg;
        EXPECT_EQ(dlg.windowTitle(), "Parameters");
        EXPECT_EQ(dlg.findChild<QLabel*>("Label1")->text(), "Original Source directory");
        EXPECT_EQ(dlg.findChild<QLabel*>("Label3")->text(), "Cutting points");
        EXPECT_EQ(dlg.findChild<QLabel*>("Label2")->text(), "Natural libraries");
        Add(dlg.txtCut, dlg.cmdAddCut, "CUT-B");
        Add(dlg.txtCut, dlg.cmdAddCut, "CUT-A");
        Add(dlg.txtLib, dlg.cmdAddLib, "LIBX");
        EXPECT_EQ(dlg.txtCut->text(), "CUT-A");   // the box keeps its text
        dlg.cmdOK->click();
        EXPECT_EQ(dlg.result(), QDialog::Accepted);
    }
    EXPECT_EQ(Globals::g_CutList, (Names{"CUT-B", "CUT-A"}));
    EXPECT_EQ(Globals::g_LibList, (Names{"LIBX"}));

    frmParameters again;
    EXPECT_EQ(TreeNames(again.findChild<QTreeWidget*>("trCut")), (Names{"CUT-B", "CUT-A"}));
    EXPECT_EQ(TreeNames(again.findChild<QTreeWidget*>("trLib")), (Names{"LIBX"}));
}

TEST_F(ParametersDialog, ListsRefuseDuplicatesAndBlanks) {
    frmParameters dlg;
    Add(dlg.txtLib, dlg.cmdAddLib, "NATLIB");
    Add(dlg.txtLib, dlg.cmdAddLib, "NATLIB");
    Add(dlg.txtLib, dlg.cmdAddLib, "");
    Add(dlg.txtLib, dlg.cmdAddLib, "   ");
    Add(dlg.txtLib, dlg.cmdAddLib, " NATLIB ");
    Add(dlg.txtLib, dlg.cmdAddLib, "natlib");   // another name: names compare exactly
    EXPECT_EQ(TreeNames(dlg.trLib), (Names{"NATLIB", "natlib"}));
    Add(dlg.txtCut, dlg.cmdAddCut, "\t");
    Add(dlg.txtCut, dlg.cmdAddCut, " P1 ");
    Add(dlg.txtCut, dlg.cmdAddCut, "P1");
    EXPECT_EQ(TreeNames(dlg.trCut), (Names{"P1"}));

    EXPECT_TRUE(dialogs::CanAddName({"A"}, "B"));
    EXPECT_FALSE(dialogs::CanAddName({"A"}, " A"));
    EXPECT_FALSE(dialogs::CanAddName({}, " \r\n"));
}

TEST_F(ParametersDialog, DelRemovesOnlyTheSelectedName) {
    frmParameters dlg;
    Add(dlg.txtCut, dlg.cmdAddCut, "ONE");
    Add(dlg.txtCut, dlg.cmdAddCut, "TWO");
    dlg.trCut->clearSelection();
    dlg.cmdDelCut->click();   // nothing selected: nothing happens
    EXPECT_EQ(TreeNames(dlg.trCut), (Names{"ONE", "TWO"}));
    dlg.trCut->topLevelItem(0)->setSelected(true);
    dlg.cmdDelCut->click();
    EXPECT_EQ(TreeNames(dlg.trCut), (Names{"TWO"}));

    Add(dlg.txtLib, dlg.cmdAddLib, "L1");
    dlg.trLib->topLevelItem(0)->setSelected(true);
    dlg.cmdRemove->click();
    EXPECT_TRUE(TreeNames(dlg.trLib).empty());
}

TEST_F(ParametersDialog, CancelLeavesTheValuesAsTheyWere) {
    Globals::g_SourceDirectory = "/src/legacy";
    Globals::g_CutList = {"KEEP"};
    testsupport::TempDir dir;
    {
        frmParameters dlg;
        EXPECT_EQ(dlg.lblSourceDirectory->text(), "/src/legacy");
        Add(dlg.txtCut, dlg.cmdAddCut, "NEW");
        Add(dlg.txtLib, dlg.cmdAddLib, "LIB");
        dlg.SetDirPath(QString::fromStdString(dir.Path().string()));
        dlg.Dir1_Click();
        dlg.cmdCancel->click();
        EXPECT_EQ(dlg.result(), QDialog::Rejected);
    }
    EXPECT_EQ(Globals::g_SourceDirectory, "/src/legacy");
    EXPECT_EQ(Globals::g_CutList, (Names{"KEEP"}));
    EXPECT_TRUE(Globals::g_LibList.empty());
}

TEST_F(ParametersDialog, DirectoryListChoosesTheSourceFolder) {
    testsupport::TempDir dir;
    std::filesystem::create_directory(dir / "beta");
    std::filesystem::create_directory(dir / "alpha");
    frmParameters dlg;
    const QString base = QDir(QString::fromStdString(dir.Path().string())).absolutePath();
    dlg.SetDirPath(base);
    EXPECT_EQ(dlg.DirPath(), base);

    // The subfolders follow the folder itself, by name.
    QListWidget* list = dlg.findChild<QListWidget*>("Dir1");
    QStringList entries;
    for (int i = 0; i < list->count(); ++i) entries << list->item(i)->data(Qt::UserRole).toString();
    ASSERT_GE(entries.size(), 3);
    EXPECT_EQ(entries.mid(entries.size() - 3), (QStringList{base, base + "/alpha", base + "/beta"}));

    list->setCurrentRow(list->count() - 1);
    dlg.Dir1_Click();
    EXPECT_EQ(dlg.DirPath(), base + "/beta");
    EXPECT_EQ(dlg.lblSourceDirectory->text(), QDir::toNativeSeparators(base + "/beta"));
    dlg.cmdOK->click();
    EXPECT_EQ(Globals::g_SourceDirectory, QDir::toNativeSeparators(base + "/beta").toStdString());
}

TEST_F(ParametersDialog, DriveChangeMovesTheDirectoryListToTheDrive) {
    frmParameters dlg;
    ASSERT_GT(dlg.Drive1->count(), 0);
    dlg.SetDirPath(QDir::tempPath());
    dlg.Drive1->setCurrentIndex(0);
    dlg.Drive1_Change();
    EXPECT_TRUE(QDir(dlg.DirPath()).isRoot());
    EXPECT_TRUE(dlg.lblSourceDirectory->text().isEmpty());   // only a click in the list chooses
}
