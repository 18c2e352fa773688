#include "browser/view/browser_command.hpp"

namespace quenlith {

std::string_view browserCommandName(BrowserCommand command) {
    switch (command) {
        case BrowserCommand::duplicate: return "duplicate";
        case BrowserCommand::otherSessionWindow: return "otherSessionWindow";
        case BrowserCommand::tuck: return "tuck";
        case BrowserCommand::edit: return "edit";
        case BrowserCommand::close: return "close";
        case BrowserCommand::clickThrough: return "clickThrough";
        case BrowserCommand::downloads: return "downloads";
        case BrowserCommand::saveWebsite: return "saveWebsite";
        case BrowserCommand::arrangeLeft: return "arrangeLeft";
        case BrowserCommand::arrangeRight: return "arrangeRight";
        case BrowserCommand::arrangeCenter: return "arrangeCenter";
    }
    return "unknown";
}

}  // namespace quenlith
