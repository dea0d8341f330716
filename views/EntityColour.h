#pragma once
// The colour of an entity's box in every diagram: by its kind and, for a
// program, by its SOA category, so that the same category looks the same in
// the flow context, the screen interaction plot and the link dialog.

#include <string>

#include "platform/diagram/DiagramModel.h"

namespace Globals {

// entName is Ents.EntName (or the repository's type name), compared
// exactly: "program" is not a program. code is Ents.SOAType.
platform::diagram::Colour EntityColour(const std::string& entName, int code);

}  // namespace Globals
