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

bool isTunnelRefusal(std::string_view address, unsigned statusCode, bool hasHeaders) {
    constexpr std::string_view https = "https://";
    const bool secure =
        address.size() > https.size() && g_ascii_strncasecmp(address.data(), https.data(), https.size()) == 0;
    return secure && statusCode >= 400 && !hasHeaders;
}

ResponseVerdict responseVerdict(bool mimeTypeSupported, std::optional<std::string_view> contentDisposition,
                                bool tunnelRefused) {
    if (tunnelRefused) return ResponseVerdict::proxyRefusal;
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
    bool hasHeaders = false;
    if (headers) {
        SoupMessageHeadersIter iterator;
        soup_message_headers_iter_init(&iterator, headers);
        const char *name = nullptr, *headerValue = nullptr;
        hasHeaders = soup_message_headers_iter_next(&iterator, &name, &headerValue);
    }
    const char* uri = response ? webkit_uri_response_get_uri(response) : nullptr;
    const bool refused =
        response &&
        isTunnelRefusal(uri ? uri : "", webkit_uri_response_get_status_code(response), hasHeaders);
    return responseVerdict(supported, disposition, refused);
}

}  // namespace quenlith
