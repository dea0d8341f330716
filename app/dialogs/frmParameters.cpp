#include "app/dialogs/frmParameters.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/dialogs/ShellOptions.h"
#include "platform/ui/QtText.h"

namespace dialogs {

namespace {

using platform::ui::Q;

QTreeWidget* NameTree(QWidget* parent, const char* name) {
    auto* tree = new QTreeWidget(parent);
    tree->setObjectName(name);
    tree->setHeaderHidden(true);
    tree->setRootIsDecorated(false);
    return tree;
}

QPushButton* Button(QWidget* parent, const char* name, const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

// Adds the text box's name to the tree unless it is blank or there already;
// the text box keeps its text.
void AddName(QTreeWidget* tree, const QLineEdit* box) {
    const std::string text = box->text().toStdString();
    if (!CanAddName(TreeNames(tree), text)) return;
    new QTreeWidgetItem(tree, QStringList(Q(TrimName(text))));
}

void RemoveSelected(QTreeWidget* tree) {
    const QList<QTreeWidgetItem*> selected = tree->selectedItems();
    if (!selected.isEmpty()) delete selected.first();
}

void LoadNames(QTreeWidget* tree, const std::vector<std::string>& names) {
    for (const auto& name : names) new QTreeWidgetItem(tree, QStringList(Q(name)));
}

}  // namespace

std::vector<std::string> TreeNames(const QTreeWidget* tree) {
    std::vector<std::string> names;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) names.push_back(tree->topLevelItem(i)->text(0).toStdString());
    return names;
}

frmParameters::frmParameters(QWidget* parent) : QDialog(parent) {
    setObjectName("frmParameters");
    setWindowTitle("Parameters");

    Label1 = new QLabel("Original Source directory", this);
    Label1->setObjectName("Label1");
    lblSourceDirectory = new QLabel(this);
    lblSourceDirectory->setObjectName("lblSourceDirectory");
    lblSourceDirectory->setFrameShape(QFrame::StyledPanel);
    Drive1 = new QComboBox(this);
    Drive1->setObjectName("Drive1");
    for (const QFileInfo& drive : QDir::drives()) Drive1->addItem(QDir::toNativeSeparators(drive.absolutePath()));
    Dir1 = new QListWidget(this);
    Dir1->setObjectName("Dir1");

    Label3 = new QLabel("Cutting points", this);
    Label3->setObjectName("Label3");
    trCut = NameTree(this, "trCut");
    txtCut = new QLineEdit(this);
    txtCut->setObjectName("txtCut");
    cmdAddCut = Button(this, "cmdAddCut", "Add");
    cmdDelCut = Button(this, "cmdDelCut", "Del");

    Label2 = new QLabel("Natural libraries", this);
    Label2->setObjectName("Label2");
    trLib = NameTree(this, "trLib");
    txtLib = new QLineEdit(this);
    txtLib->setObjectName("txtLib");
    cmdAddLib = Button(this, "cmdAddLib", "Add");
    cmdRemove = Button(this, "cmdRemove", "Del");

    cmdOK = Button(this, "cmdOK", "OK");
    cmdCancel = Button(this, "cmdCancel", "Cancel");

    auto* folder = new QVBoxLayout;
    folder->addWidget(Label1);
    folder->addWidget(lblSourceDirectory);
    folder->addWidget(Drive1);
    folder->addWidget(Dir1, 1);

    auto listColumn = [](QLabel* label, QTreeWidget* tree, QLineEdit* box, QPushButton* add, QPushButton* del) {
        auto* column = new QVBoxLayout;
        column->addWidget(label);
        column->addWidget(tree, 1);
        column->addWidget(box);
        auto* buttons = new QHBoxLayout;
        buttons->addWidget(add);
        buttons->addWidget(del);
        column->addLayout(buttons);
        return column;
    };

    auto* body = new QHBoxLayout;
    body->addLayout(folder, 2);
    body->addLayout(listColumn(Label3, trCut, txtCut, cmdAddCut, cmdDelCut), 1);
    body->addLayout(listColumn(Label2, trLib, txtLib, cmdAddLib, cmdRemove), 1);
    auto* closing = new QHBoxLayout;
    closing->addStretch();
    closing->addWidget(cmdOK);
    closing->addWidget(cmdCancel);
    auto* all = new QVBoxLayout(this);
    all->addLayout(body, 1);
    all->addLayout(closing);
    resize(640, 360);

    connect(Drive1, &QComboBox::currentIndexChanged, this, [this](int) { Drive1_Change(); });
    connect(Dir1, &QListWidget::itemClicked, this, [this](QListWidgetItem*) { Dir1_Click(); });
    connect(cmdAddCut, &QPushButton::clicked, this, [this] { cmdAddCut_Click(); });
    connect(cmdDelCut, &QPushButton::clicked, this, [this] { cmdDelCut_Click(); });
    connect(cmdAddLib, &QPushButton::clicked, this, [this] { cmdAddLib_Click(); });
    connect(cmdRemove, &QPushButton::clicked, this, [this] { cmdRemove_Click(); });
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });

    SetDirPath(QDir::currentPath());
    Form_Load();
}

void frmParameters::Form_Load() {
    lblSourceDirectory->setText(Q(Globals::g_SourceDirectory));
    LoadNames(trCut, Globals::g_CutList);
    LoadNames(trLib, Globals::g_LibList);
}

void frmParameters::SetDirPath(const QString& path) {
    QDir dir(path);
    if (!dir.exists()) return;
    m_dirPath = dir.absolutePath();
    Dir1->clear();
    // Like a directory list: the folder's ancestors from the root down, the
    // folder itself (current), then its subfolders.
    QStringList chain;
    for (QDir up(m_dirPath);; ) {
        chain.prepend(up.absolutePath());
        if (up.isRoot() || !up.cdUp()) break;
    }
    QListWidgetItem* current = nullptr;
    int depth = 0;
    for (const QString& p : chain) {
        QString name = QDir(p).isRoot() ? QDir::toNativeSeparators(p) : QFileInfo(p).fileName();
        auto* item = new QListWidgetItem(QString(depth++ * 2, ' ') + name, Dir1);
        item->setData(Qt::UserRole, p);
        current = item;
    }
    for (const QString& sub : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase)) {
        auto* item = new QListWidgetItem(QString(depth * 2, ' ') + sub, Dir1);
        item->setData(Qt::UserRole, dir.absoluteFilePath(sub));
    }
    Dir1->setCurrentItem(current);
}

void frmParameters::Drive1_Change() {
    if (Drive1->currentIndex() >= 0) SetDirPath(QDir::fromNativeSeparators(Drive1->currentText()));
}

void frmParameters::Dir1_Click() {
    QListWidgetItem* item = Dir1->currentItem();
    if (!item) return;
    SetDirPath(item->data(Qt::UserRole).toString());
    lblSourceDirectory->setText(QDir::toNativeSeparators(m_dirPath));
}

void frmParameters::cmdAddCut_Click() { AddName(trCut, txtCut); }

void frmParameters::cmdDelCut_Click() { RemoveSelected(trCut); }

void frmParameters::cmdAddLib_Click() { AddName(trLib, txtLib); }

void frmParameters::cmdRemove_Click() { RemoveSelected(trLib); }

void frmParameters::cmdOK_Click() {
    Globals::g_SourceDirectory = lblSourceDirectory->text().toStdString();
    Globals::g_CutList = TreeNames(trCut);
    Globals::g_LibList = TreeNames(trLib);
    accept();
}

void frmParameters::cmdCancel_Click() { reject(); }

void ShowParameters(QWidget* owner) {
    frmParameters dialog(owner);
    dialog.exec();
}

}  // namespace dialogs
