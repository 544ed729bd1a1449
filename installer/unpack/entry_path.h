// Names of archive entries: decoding names stored as bytes, turning a name into
// the parts of a path inside the unpack folder, and refusing the names that could
// reach outside it or that Windows cannot hold.
#pragma once

#include <string>
#include <vector>

namespace wrenfield {

// A name stored as bytes without a declared encoding: UTF-8 when it is valid
// UTF-8, else the DOS Russian code page 866 (what Russian zip tools write).
std::u32string DecodeLegacyName(const std::string& bytes);

// Splits a name at "/" and "\" into the parts of a relative path, dropping empty
// and "." parts. False (nothing reliable in `parts`) when the name is absolute or
// holds a ".." part.
bool SplitEntryName(const std::u32string& name, std::vector<std::u32string>& parts);

// True when a path part can be created as it is on every system: no drive or
// stream colon, no device name (CON, NUL, COM1...), no control character or
// character Windows forbids, no trailing dot or space.
bool IsPortablePathPart(const std::u32string& part);

// A path part with letter case folded, so that names Windows takes as one compare
// equal.
std::u32string FoldedPathPart(const std::u32string& part);

// A path part as the path code page can spell it (`fits` tells which characters
// it holds): a Cyrillic letter it lacks becomes its Latin transliteration, so a
// Russian mod keeps readable names on a system without Cyrillic; any other
// character it lacks becomes "_". The part given is portable; so is the result.
std::u32string SpellablePathPart(const std::u32string& part, bool (*fits)(char32_t));

// The part with "~N" put before its extension (the last "." not at its start),
// to tell it from a part of the same spelling.
std::u32string NumberedPathPart(const std::u32string& part, unsigned number);

// A name for a message: code page 1251, "?" for what it lacks and for control
// characters, shortened when very long.
std::string NameForMessage(const std::u32string& name);

}  // namespace wrenfield
