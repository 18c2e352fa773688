#pragma once

#include <optional>
#include <string_view>

typedef struct _WebKitResponsePolicyDecision WebKitResponsePolicyDecision;

namespace quenlith {

enum class ResponseVerdict {
    show,          // the web view shows the response
    download,      // the response becomes a download for the download manager
    proxyRefusal,  // the proxy refused to tunnel to the website: the load fails
};

// True when a Content-Disposition value asks for the response to be saved ("attachment", in any
// letter case, with or without parameters).
bool isAttachmentDisposition(std::string_view contentDisposition);

// Whether a response is a proxy's refusal to open a tunnel (CONNECT) to an https website: the
// proxy answers before any TLS, so the engine hands on an error status for the https address
// with none of the website's headers. It is neither a page nor a file.
bool isTunnelRefusal(std::string_view address, unsigned statusCode, bool hasHeaders);

// A proxy's refusal fails the load; a response marked as an attachment is saved; otherwise it is
// shown when the engine can show its type and saved when it cannot.
ResponseVerdict responseVerdict(bool mimeTypeSupported, std::optional<std::string_view> contentDisposition,
                                bool tunnelRefused = false);

// The same, read from the engine's response decision.
ResponseVerdict responseVerdict(WebKitResponsePolicyDecision* decision);

}  // namespace quenlith
