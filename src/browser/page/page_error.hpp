#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

typedef struct _GError GError;

namespace quenlith {

struct WebAppProfile;

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

// A proxy's refusal to tunnel to the page (see isTunnelRefusal): names the proxy (its host and
// port from the address given to the engine, never its credentials; "A proxy" when it is not
// known) and the website's host and port.
PageFailure proxyRefusalFailure(const std::optional<std::string>& proxyAddress, std::string_view pageAddress,
                                unsigned statusCode);

// Failures that are no failure for the user: a load cancelled (by a newer navigation or by
// stopping), and a navigation that became a download. They show nothing and log nothing; the page
// stays as it is.
bool isSilentPageFailure(const PageFailure& failure);

// The error box's text, or nothing for a silent failure. The engine names only the host of an
// address it could not reach; the port of `address`, when it has one, is added to that name.
std::optional<std::string> pageErrorText(const PageFailure& failure, std::string_view address = {});

// Refused connections, unknown hosts, certificate failures: what happens to pages every day, logged
// as information. Only the end of a web process is an error of ours.
bool isRoutinePageFailure(const PageFailure& failure);

// "Navigation failed: <address> (<error text>) <domain> code <code>", the address as addressForLog gives it.
std::string pageFailureLogLine(const PageFailure& failure, std::string_view address = {});

// The address "Try Again" loads into the rebuilt tab: the tab's last address, else the view's,
// else the website's remembered address (when it remembers one that is a website address), else
// its home address as a website address; nothing when none of them gives one.
std::optional<std::string> retryAddress(const std::optional<std::string>& tabLastURL,
                                        const std::optional<std::string>& viewURL, const WebAppProfile& profile);

// The address "Open in Default Browser" hands over: the view's address, else the tab's last one,
// else the website's as for "Try Again"; only an http or https address, else nothing.
std::optional<std::string> defaultBrowserAddress(const std::optional<std::string>& viewURL,
                                                 const std::optional<std::string>& tabLastURL,
                                                 const WebAppProfile& profile);

}  // namespace quenlith
