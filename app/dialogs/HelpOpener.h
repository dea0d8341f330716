#pragma once
// Help > Quarvel Analyzer Help opens our HTML help document from the
// application folder in the desktop's default viewer, without waiting for
// it. The viewer is reached through a seam so tests see the request.

#include <QUrl>

#include <filesystem>
#include <functional>
#include <string>

#include "common/Prompt.h"

namespace dialogs {

inline constexpr const char* kHelpFileName = "Ostrel_SOA_Help.html";

// Asks the desktop to open the URL; false when nothing could.
using UrlOpener = std::function<bool(const QUrl&)>;
// The desktop's own opener: xdg-open for a local file where it is
// installed (not waited for: it may run the viewer until the viewer
// closes), else QDesktopServices::openUrl. xdg-open may start and only
// then find no viewer that runs; the answer is then already true, so
// failedLater is called with the URL when it ends so.
UrlOpener DesktopUrlOpener(std::function<void(const QUrl&)> failedLater = {});

// <application folder>/Ostrel_SOA_Help.html
std::filesystem::path HelpFilePath(const std::filesystem::path& appPath);

// Opens the help document. When the file is missing, or nothing can open
// it, a message (titled title) says so and the result is false.
bool OpenHelp(const std::filesystem::path& appPath, common::IPrompt& prompt, const std::string& title,
              const UrlOpener& opener = DesktopUrlOpener());

// The About text: the title, a blank, then the major and minor numbers of
// the version ("Quarvel Analyzer", "1.0.0" -> "Quarvel Analyzer 1.0").
std::string AboutText(const std::string& title, const std::string& version);

}  // namespace dialogs
