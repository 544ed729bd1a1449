// Reading and changing one key of a text in the platform's INI syntax:
// "[section]" lines open sections, "key=value" lines hold keys; section and key
// names match without regard to ASCII case and surrounding blanks.
#pragma once

#include <string>

namespace wrenfield {

// The key's value with surrounding blanks removed and one pair of enclosing
// quotes dropped; `fallback` when the section or key is missing.
std::string IniValue(const std::string& text, const std::string& section, const std::string& key,
                     const std::string& fallback);

// The text with the key set to the value: an existing key line is replaced, a
// missing key is added at the end of its section, a missing section at the end
// of the text. Every other line is kept as it was.
std::string WithIniValue(const std::string& text, const std::string& section,
                         const std::string& key, const std::string& value);

}  // namespace wrenfield
