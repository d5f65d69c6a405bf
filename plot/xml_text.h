// Texts put into an SVG file: escaped for XML, and always valid UTF-8 (a name from an old
// archive may be Latin-1, and a single stray byte would make the whole picture unreadable).
#pragma once

#include <string>
#include <string_view>

namespace corvane::plot {

// `text` escaped for XML character data and attribute values: & < > " ' as entities, control
// characters and bytes that are not part of valid UTF-8 as "?".
std::string XmlText(std::string_view text);

// Base64 (RFC 4648, with padding), for a PNG inside a data: address.
std::string Base64(std::string_view bytes);

}  // namespace corvane::plot
