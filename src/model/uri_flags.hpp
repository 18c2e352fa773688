#pragma once

#include <glib.h>

namespace quenlith {

// The one set of GUri flags used for every address the application parses, splits or joins, so
// that all code agrees on what an address is: percent-encoding stays as written (ENCODED) and the
// user and password are separate parts (HAS_PASSWORD), so either can be refused.
inline constexpr GUriFlags kUriFlags = static_cast<GUriFlags>(G_URI_FLAGS_HAS_PASSWORD | G_URI_FLAGS_ENCODED);

// Parameter parsing for g_uri_parse_params: split on "&", and "+" is not a space (no WWW_FORM).
inline constexpr GUriParamsFlags kUriParamsFlags = G_URI_PARAMS_NONE;

}  // namespace quenlith
