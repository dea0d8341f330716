#include "app/DefineMessagesCommand.h"

#include "platform/ui/MainWindow.h"
#include "services/ui/DefineMessagesOpen.h"
#include "services/ui/DefineMessagesSources.h"

namespace app {

services::ui::frmMessages* ShowDefineMessages(platform::ui::IMainWindow& main, const std::string& itemTag,
                                              const std::vector<std::string>& operationTags) {
    return services::ui::DefineMessages(itemTag, operationTags, main.Window(), &main,
                                        services::ui::WorkspaceSources());
}

}  // namespace app
