#include "model/deduplication.hpp"

#include <glib.h>

#include "model/address_text.hpp"
#include "model/uri_flags.hpp"

namespace quenlith {

std::string deduplicationKey(std::string_view address) {
    std::string text(address);
    gchar *scheme = nullptr, *userinfo = nullptr, *host = nullptr, *path = nullptr, *query = nullptr,
          *fragment = nullptr;
    int port = -1;
    if (!g_uri_split(text.c_str(), kUriFlags, &scheme, &userinfo, &host, &port, &path, &query, &fragment,
                     nullptr))
        return text;
    std::string lowerHost = host ? encodedHost(asciiLowercased(host)) : std::string();
    std::string keyPath = path && *path ? path : "/";
    gchar* joined = g_uri_join(kUriFlags, scheme, userinfo, host ? lowerHost.c_str() : nullptr, port,
                               keyPath.c_str(), query, fragment);
    std::string result = joined ? joined : text;
    g_free(joined);
    g_free(scheme);
    g_free(userinfo);
    g_free(host);
    g_free(path);
    g_free(query);
    g_free(fragment);
    return result;
}

}  // namespace quenlith
