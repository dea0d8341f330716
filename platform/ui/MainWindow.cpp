#include "platform/ui/MainWindow.h"

namespace Globals {
platform::ui::IMainWindow* g_MainForm = nullptr;
}
