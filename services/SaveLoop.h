#pragma once
// The save loop every save command of the web service windows shares: a
// save dialog with a default file name, the overwrite question for an
// existing file (No shows the dialog again with the default name), and a
// message naming the file and the reason when writing fails. The dialog is
// behind an interface so the loop runs headless in tests.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "common/Prompt.h"

namespace services {

inline constexpr const char* kOverwriteQuestion = "The file already exists. Do you want to overwrite it?";
inline constexpr const char* kOverwriteTitle = "Overwrite?";

struct SaveDialogSpec {
    std::string title;              // "Save WSDL"
    std::string filter;             // "WSDL (*.xml)|*.xml": description|pattern pairs
    std::string defaultExtension;   // ".xml"
    std::string fileName;           // the default name shown each time the dialog opens
    // Shown once more when the dialog refuses fileName; empty: no second try.
    std::string fallbackFileName;
};

enum class SaveDialogOutcome { Chosen, Cancelled, Failed };

struct SaveDialogResult {
    SaveDialogOutcome outcome = SaveDialogOutcome::Cancelled;
    std::filesystem::path file;     // set when Chosen
};

// A save-file dialog. The real one is services::ui::QtSaveDialog; it never
// asks about overwriting itself, the loop does.
class ISaveDialog {
public:
    virtual ~ISaveDialog() = default;
    virtual SaveDialogResult ShowSave(const SaveDialogSpec& spec) = 0;
};

// The dialog and the overwrite question; the chosen file, or nothing when
// the user cancelled (or the dialog failed without a fallback name).
std::optional<std::filesystem::path> ChooseSaveFile(ISaveDialog& dialog, common::IPrompt& prompt,
                                                    const SaveDialogSpec& spec);

// Writes the file or raises an exception whose message says why.
using FileWriter = std::function<void(const std::filesystem::path&)>;

// The whole loop: choose the file, then write it. A failing write is
// reported through the prompt with the file and the reason. True once the
// file was written.
bool SaveWithLoop(ISaveDialog& dialog, common::IPrompt& prompt, const SaveDialogSpec& spec,
                  const FileWriter& write);

// The text of that report, for callers that write by other means.
std::string WriteFailedMessage(const std::filesystem::path& file, const std::string& reason);

}  // namespace services
