// Data file lines (split with SplitLines): the keys that pick the line a mod
// replaces, whole-name matching, and writing the lines back with CR LF.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "plain_text.h"

namespace wrenfield {

// Every line followed by CR LF, the last one included.
std::string JoinLinesCrLf(const Lines& lines);

// The field's text up to its first ",", untrimmed; empty when there is no ","
// (or it comes first).
std::string CommaKey(std::string_view field);

// The field's first three characters, or the whole field when shorter.
std::string IdKey(std::string_view field);

// True when line begins with key as a whole name: the key is not empty, the
// line starts with it byte for byte, and, when the key ends in a name
// character, the line does not go on with another name character there.
bool BeginsWithName(std::string_view line, std::string_view key);

// Puts replacement in place of every line that begins with key as a whole
// name; returns how many lines were replaced.
std::size_t ReplaceMatchingLines(Lines& lines, std::string_view key,
                                 const std::string& replacement);

}  // namespace wrenfield
