#include "app/AppInfo.h"

namespace app {
const char* Version() { return "1.0.0"; }
}
