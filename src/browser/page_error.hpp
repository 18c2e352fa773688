#pragma once

#include <cstdint>
#include <optional>
#include <string>

typedef struct _GError GError;

namespace quenlith {

// A failed page load as the error box and the log see it.
struct PageFailure {
    std::string domain;  // the error domain's name ("WebKitNetworkError", "Quenlith", …)
    std::int64_t code = 0;
    std::string description;

    bool operator==(const PageFailure&) const = default;
};

PageFailure pageFailure(const GError& error);

// The end of the page's web process: domain "Quenlith", code 1, "The page stopped responding. Try
// again to reconnect."
PageFailure webProcessEndedFailure();

// Failures that are no failure for the user: a load cancelled (by a newer navigation or by
// stopping), and a navigation that became a download. They show nothing and log nothing; the page
// stays as it is.
bool isSilentPageFailure(const PageFailure& failure);

// The error box's text, or nothing for a silent failure.
std::optional<std::string> pageErrorText(const PageFailure& failure);

// "Navigation failed: <domain> code <code>".
std::string pageFailureLogLine(const PageFailure& failure);

}  // namespace quenlith
