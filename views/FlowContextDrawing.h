#pragma once
// The flow context of a program drawn for a window: its sides built on the
// calling thread (the walks read the workspace database) and laid out on
// another, while the caller's events run. The layout of a routine that
// thousands of programs call takes a second and more; meanwhile the window
// answers, shows the progress, and takes Cancel.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/Progress.h"
#include "platform/diagram/DiagramModel.h"
#include "platform/diagram/DiagramPack.h"
#include "views/FlowContext.h"

namespace views {

// One side of a flow context, built and laid out.
struct FlowContextSide {
    int mode = 0;  // FlowContextMode
    // As built; none where Ents does not hold the program.
    std::optional<platform::diagram::DiagramPack> built;
    std::unique_ptr<platform::diagram::DiagramModel> laid;
};

// What the progress shows of a large drawing: its level's caption, and
// the steps' while the walks read the database and while the layout runs.
struct FlowContextCaptions {
    std::string level, reading, layingOut;
};

// The sides of the program's flow context in the given modes, the walks
// stepping the progress between their questions and the layout awaited
// the same way. A large drawing shows it under a progress level of its
// own with Cancel; cancelled, the walks end, or the layout is stopped and
// awaited (the caller's events still running), and the result is none.
std::optional<std::vector<FlowContextSide>> LayOutFlowContext(FlowContextSource& source, const std::string& programId,
                                                              const std::vector<int>& modes, int depth,
                                                              common::IProgress& progress,
                                                              const FlowContextCaptions& captions);

// Puts the side, laid out, into the model in place of what it held; a side
// whose program Ents does not hold leaves it as it was.
void TakeSide(const FlowContextSide& side, platform::diagram::DiagramModel& into);

}  // namespace views
