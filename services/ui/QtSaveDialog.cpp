#include "services/ui/QtSaveDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace services::ui {

namespace {
// The folder of the last file chosen, so the next save opens there.
QString& LastFolder() {
    static QString folder = QDir::homePath();
    return folder;
}
}  // namespace

std::string QtSaveDialog::QtFilter(const std::string& filter) {
    std::vector<std::string> fields;
    std::string::size_type start = 0;
    for (;;) {
        auto bar = filter.find('|', start);
        fields.push_back(filter.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
        if (bar == std::string::npos) break;
        start = bar + 1;
    }
    std::string out;
    for (size_t i = 0; i < fields.size(); i += 2) {
        std::string description = fields[i];
        std::string pattern = i + 1 < fields.size() ? fields[i + 1] : std::string();
        for (char& c : pattern)
            if (c == ';') c = ' ';
        // Qt reads the patterns from the parentheses of the description.
        if (!pattern.empty() && description.find("(" + pattern + ")") == std::string::npos)
            description += " (" + pattern + ")";
        if (!out.empty()) out += ";;";
        out += description;
    }
    return out;
}

services::SaveDialogResult QtSaveDialog::ShowSave(const services::SaveDialogSpec& spec) {
    QFileDialog dialog(m_owner, QString::fromStdString(spec.title), LastFolder(),
                       QString::fromStdString(QtFilter(spec.filter)));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    QString suffix = QString::fromStdString(spec.defaultExtension);
    if (suffix.startsWith('.')) suffix.remove(0, 1);
    dialog.setDefaultSuffix(suffix);
    dialog.selectFile(QString::fromStdString(spec.fileName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {services::SaveDialogOutcome::Cancelled, {}};
    QString chosen = dialog.selectedFiles().constFirst();
    LastFolder() = QFileInfo(chosen).absolutePath();
    return {services::SaveDialogOutcome::Chosen, std::filesystem::path(chosen.toStdString())};
}

}  // namespace services::ui
