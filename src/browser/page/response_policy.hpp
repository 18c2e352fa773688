#pragma once

#include <optional>
#include <string_view>

typedef struct _WebKitResponsePolicyDecision WebKitResponsePolicyDecision;

namespace quenlith {

enum class ResponseVerdict {
    show,      // the web view shows the response
    download,  // the response becomes a download for the download manager
};

// True when a Content-Disposition value asks for the response to be saved ("attachment", in any
// letter case, with or without parameters).
bool isAttachmentDisposition(std::string_view contentDisposition);

// A response marked as an attachment is saved; otherwise it is shown when the engine can show
// its type and saved when it cannot.
ResponseVerdict responseVerdict(bool mimeTypeSupported, std::optional<std::string_view> contentDisposition);

// The same, read from the engine's response decision.
ResponseVerdict responseVerdict(WebKitResponsePolicyDecision* decision);

}  // namespace quenlith
