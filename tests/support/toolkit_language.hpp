#pragma once

#include <optional>
#include <string>

#include "support/temp_environment.hpp"

namespace quenlith::test {

// While alive, Quenlith's texts and the toolkit's own come in `language` (gettext's spelling:
// "zh_CN", "en"); the toolkit's from its installed catalogs or, without `toolkitTexts`, from none,
// as on a system that lacks them. Only the language changes: HOME and the XDG folders stay.
class ToolkitLanguage {
public:
    explicit ToolkitLanguage(const std::string& language, bool toolkitTexts = true);
    ~ToolkitLanguage();
    ToolkitLanguage(const ToolkitLanguage&) = delete;
    ToolkitLanguage& operator=(const ToolkitLanguage&) = delete;

    // Whether the toolkit has its texts of `language` installed (asked outside any instance).
    static bool toolkitHasTexts(const std::string& language);

private:
    std::optional<std::string> language_;  // LANGUAGE before
    std::string locale_;                   // the messages locale before
    std::string folder_;                   // where the toolkit's catalogs were looked for before
    TemporaryFolder noTexts_;
};

}  // namespace quenlith::test
