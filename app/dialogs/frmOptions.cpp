#include "app/dialogs/frmOptions.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTabBar>
#include <QVBoxLayout>

#include "app/dialogs/ShellOptions.h"
#include "common/Globals.h"

namespace dialogs {

namespace {

QCheckBox* Box(QWidget* panel, const char* name, const QString& caption) {
    auto* box = new QCheckBox(caption, panel);
    box->setObjectName(name);
    panel->layout()->addWidget(box);
    return box;
}

void Show(QCheckBox* box, bool value) { box->setCheckState(value ? Qt::Checked : Qt::Unchecked); }

// Only a ticked box counts as True; a greyed one is False.
bool Ticked(const QCheckBox* box) { return box->checkState() == Qt::Checked; }

}  // namespace

frmOptions::frmOptions(QWidget* parent) : QDialog(parent) {
    setObjectName("frmOptions");
    setWindowTitle("Options");

    TabStrip = new QTabBar(this);
    TabStrip->setObjectName("TabStrip");
    TabStrip->addTab("General");
    TabStrip->addTab("CRUD");
    for (int i = 0; i < 2; ++i) {
        Panel[i] = new QWidget(this);
        Panel[i]->setObjectName(QString("Panel%1").arg(i));
        auto* column = new QVBoxLayout(Panel[i]);
        column->setAlignment(Qt::AlignTop);
    }
    chkValidations = Box(Panel[0], "chkValidations", "Find screen field validations");
    chkUses = Box(Panel[0], "chkUses", "Find number of usages of a program, screen or table");
    chkCommarea = Box(Panel[0], "chkCommarea", "Find length of communication area for frontier programs");
    chkStubScrn = Box(Panel[0], "chkStubScrn", "Show &Ghost Screens");
    CheckRestrict = Box(Panel[1], "CheckRestrict", "Restrict Comparison to Web Service Candidates");
    CheckDownstream = Box(Panel[1], "CheckDownstream", "Include Downstream CRUD Data");
    CheckCompare = Box(Panel[1], "CheckCompare", "Cross-Compare Immediate CRUD With Subtree CRUD");

    cmdOK = new QPushButton("OK", this);
    cmdOK->setObjectName("cmdOK");
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton("Cancel", this);
    cmdCancel->setObjectName("cmdCancel");

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* all = new QVBoxLayout(this);
    all->addWidget(TabStrip);
    all->addWidget(Panel[0], 1);
    all->addWidget(Panel[1], 1);
    all->addLayout(buttons);

    connect(TabStrip, &QTabBar::currentChanged, this, [this](int) { TabStrip_Click(); });
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });

    TabStrip_Click();
    Form_Load();
}

void frmOptions::Form_Load() {
    Show(chkValidations, Globals::g_Validations);
    Show(chkUses, Globals::g_Uses);
    Show(chkCommarea, Globals::g_Commarea);
    Show(chkStubScrn, Globals::g_StubScrn);
    Show(CheckRestrict, Globals::g_Restrict);
    Show(CheckDownstream, Globals::g_Downstream);
    Show(CheckCompare, Globals::g_Compare);
}

void frmOptions::TabStrip_Click() {
    const bool general = TabStrip->currentIndex() == 0;
    Panel[0]->setVisible(general);
    Panel[1]->setVisible(!general);
}

void frmOptions::cmdOK_Click() {
    Globals::g_Validations = Ticked(chkValidations);
    Globals::g_Uses = Ticked(chkUses);
    Globals::g_Commarea = Ticked(chkCommarea);
    Globals::g_StubScrn = Ticked(chkStubScrn);
    Globals::g_Restrict = Ticked(CheckRestrict);
    Globals::g_Downstream = Ticked(CheckDownstream);
    Globals::g_Compare = Ticked(CheckCompare);
    accept();
}

void frmOptions::cmdCancel_Click() { reject(); }

void ShowOptions(QWidget* owner) {
    frmOptions dialog(owner);
    dialog.exec();
}

}  // namespace dialogs
