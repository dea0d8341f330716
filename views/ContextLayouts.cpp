#include "views/ContextLayouts.h"

namespace Globals {

std::unique_ptr<common::Collection<std::string>> g_ContextLayouts;

}  // namespace Globals
