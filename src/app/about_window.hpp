#pragma once

#include <memory>
#include <optional>
#include <string>

namespace Gtk {
class AboutDialog;
}

namespace quenlith {

// The version the About window shows when the build names none.
inline constexpr const char* kFallbackVersion = "1.1.0";

// The About window: the product name, the version (the build's, else the fallback), the credits
// text and the sources of the ad and tracker lists.
std::unique_ptr<Gtk::AboutDialog> makeAboutWindow(const std::optional<std::string>& version);

// The version the build was made with, when it names one.
std::optional<std::string> buildVersion();

}  // namespace quenlith
