#pragma once
// Common window set-up, the product's pictures and the About box. Message
// formatting needs no window and lives in platform/ui/core/FormatMessage.h.

#include <filesystem>
#include <string>

#include <QPixmap>

#include "platform/ui/core/FormatMessage.h"

class QWidget;

namespace UIUtility {

// The folder the pictures are read from: "images" in the application folder
// (Globals::g_AppPath, or the executable's folder before that is set).
std::filesystem::path ImageFolder();
// The picture of that name ("Product.Icon", "Logo", an image-list key):
// images/<name>.png with blanks written as "_". A null pixmap when missing.
QPixmap LoadImage(const std::string& name);

// Gives a window the product icon unless it has an icon of its own.
void PrepareForm(QWidget* window);
// Makes the splash a frameless window that stays in front, centred on the
// screen once sized.
void PrepareSplash(QWidget* splash, int reserved);

// Sets a window's title as plain text: a "[*]" in a name stays text instead
// of marking where Qt puts its modified mark.
void SetCaption(QWidget* window, const QString& caption);

// The About box with the given text (title and version) and the logo; modal.
void ShowAbout(QWidget* parent, const std::string& text);

}  // namespace UIUtility
