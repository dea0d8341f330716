#include "app/AppInfo.h"

namespace app {
const char* Version() { return "1.0.0"; }
int VersionMajor() { return 1; }
int VersionMinor() { return 0; }
}
