#include "services/SaveLoop.h"

#include <exception>
#include <system_error>

namespace services {

namespace {

// Shows the dialog; with a fallback name, a refused default gets one more try.
SaveDialogResult AskForFile(ISaveDialog& dialog, const SaveDialogSpec& spec) {
    SaveDialogResult result = dialog.ShowSave(spec);
    if (result.outcome == SaveDialogOutcome::Failed && !spec.fallbackFileName.empty()) {
        SaveDialogSpec second = spec;
        second.fileName = spec.fallbackFileName;
        result = dialog.ShowSave(second);
    }
    return result;
}

}  // namespace

std::optional<std::filesystem::path> ChooseSaveFile(ISaveDialog& dialog, common::IPrompt& prompt,
                                                    const SaveDialogSpec& spec) {
    for (;;) {
        SaveDialogResult result = AskForFile(dialog, spec);
        if (result.outcome != SaveDialogOutcome::Chosen || result.file.empty()) return std::nullopt;

        std::error_code ec;
        if (!std::filesystem::exists(result.file, ec)) return result.file;

        switch (prompt.Ask(kOverwriteQuestion, kOverwriteTitle, common::Buttons::YesNoCancel,
                           common::Icon::Question)) {
        case common::Answer::Yes:
            return result.file;
        case common::Answer::No:
            continue;   // the dialog again, with the default name
        default:
            return std::nullopt;
        }
    }
}

std::string WriteFailedMessage(const std::filesystem::path& file, const std::string& reason) {
    std::string text = "The file could not be written:\n" + file.string();
    if (!reason.empty()) text += "\n" + reason;
    return text;
}

bool SaveWithLoop(ISaveDialog& dialog, common::IPrompt& prompt, const SaveDialogSpec& spec,
                  const FileWriter& write) {
    std::optional<std::filesystem::path> file = ChooseSaveFile(dialog, prompt, spec);
    if (!file) return false;
    try {
        write(*file);
        return true;
    } catch (const std::exception& e) {
        prompt.Message(WriteFailedMessage(*file, e.what()), spec.title, common::Icon::Exclamation);
    } catch (...) {
        prompt.Message(WriteFailedMessage(*file, "Unknown error."), spec.title, common::Icon::Exclamation);
    }
    return false;
}

}  // namespace services
