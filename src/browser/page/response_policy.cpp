#include "browser/page/response_policy.hpp"

#include <glib.h>
#include <libsoup/soup.h>
#include <webkit2/webkit2.h>

namespace quenlith {

bool isAttachmentDisposition(std::string_view contentDisposition) {
    std::string_view type = contentDisposition.substr(0, contentDisposition.find(';'));
    auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
    while (!type.empty() && isBlank(type.front())) type.remove_prefix(1);
    while (!type.empty() && isBlank(type.back())) type.remove_suffix(1);
    constexpr std::string_view attachment = "attachment";
    return type.size() == attachment.size() &&
           g_ascii_strncasecmp(type.data(), attachment.data(), attachment.size()) == 0;
}

ResponseVerdict responseVerdict(bool mimeTypeSupported, std::optional<std::string_view> contentDisposition) {
    if (contentDisposition && isAttachmentDisposition(*contentDisposition)) return ResponseVerdict::download;
    return mimeTypeSupported ? ResponseVerdict::show : ResponseVerdict::download;
}

ResponseVerdict responseVerdict(WebKitResponsePolicyDecision* decision) {
    bool supported = webkit_response_policy_decision_is_mime_type_supported(decision);
    std::optional<std::string_view> disposition;
    WebKitURIResponse* response = webkit_response_policy_decision_get_response(decision);
    SoupMessageHeaders* headers = response ? webkit_uri_response_get_http_headers(response) : nullptr;
    const char* value = headers ? soup_message_headers_get_one(headers, "Content-Disposition") : nullptr;
    if (value) disposition = value;
    return responseVerdict(supported, disposition);
}

}  // namespace quenlith
