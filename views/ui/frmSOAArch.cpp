#include "views/ui/frmSOAArch.h"

#include "platform/ui/UIUtility.h"
#include "views/ArchitectureDiagram.h"

namespace views::ui {

frmSOAArch::frmSOAArch(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("frmSOAArch");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle("Form1");
    resize(800, 600);
    UIUtility::PrepareForm(this);
    dgmSOA = new platform::ui::TDiagram(this);
    dgmSOA->setObjectName("dgmSOA");
    Load();
}

void frmSOAArch::Load() {
    {
        platform::ui::RedrawScope scope(*dgmSOA);
        dgmSOA->Clear();
        dgmSOA->AutoLayout();
        views::MoveMiddleAndFilesBelow(dgmSOA->Model(), width());
    }
    dgmSOA->setGeometry(rect());
}

platform::diagram::Shape* frmSOAArch::AddTreeToDiagram(const common::Tree& tree, const std::string& key) {
    platform::ui::RedrawScope scope(*dgmSOA);
    return views::AddTreeToDiagram(dgmSOA->Model(), tree, key);
}

void frmSOAArch::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    dgmSOA->setGeometry(rect());
}

}  // namespace views::ui
