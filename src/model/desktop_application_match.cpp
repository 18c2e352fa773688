#include "model/desktop_application_match.hpp"

#include <algorithm>
#include <cctype>

namespace quenlith {
namespace {

constexpr std::string_view kSuffix = ".desktop";

std::string lowered(std::string_view text) {
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return result;
}

std::string stem(const std::string& id) {
    if (id.ends_with(kSuffix)) return id.substr(0, id.size() - kSuffix.size());
    return id;
}

bool present(const std::optional<std::string>& text) { return text && !text->empty(); }

}  // namespace

std::optional<std::string> desktopApplicationID(const WindowApplicationIdentity& window,
                                                const std::vector<DesktopApplication>& installed) {
    if (present(window.applicationID)) return *window.applicationID + std::string(kSuffix);

    std::vector<std::string> names;
    for (const auto* name : {&window.className, &window.instanceName})
        if (present(*name)) names.push_back(**name);
    if (names.empty()) return std::nullopt;

    for (const auto& name : names)
        for (const auto& application : installed)
            if (application.startupWMClass == name) return application.id;

    for (const auto& name : names) {
        const std::string wanted = lowered(name);
        for (const auto& application : installed) {
            const std::string base = lowered(stem(application.id));
            const auto dot = base.rfind('.');
            if (base == wanted || (dot != std::string::npos && base.substr(dot + 1) == wanted)) return application.id;
        }
    }
    return names.front();
}

}  // namespace quenlith
