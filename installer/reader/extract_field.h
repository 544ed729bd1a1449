// The comma-field extractor used on read-me lines.
#pragma once

#include <string>

namespace wrenfield {

// Field n (counted from 1) of text split at every occurrence of separator; the
// empty string when text has fewer than n fields (and for an empty text).
std::string ExtractField(const std::string& text, char separator, int n);

}  // namespace wrenfield
