// The entry name a file is stored under when no name is given: the part of its
// path after the last separator ('\' on Windows, '/' elsewhere), empty when the
// path has none. Letter case is kept.
#pragma once

#include <cstddef>
#include <string>

#include "img_layout.h"

namespace img {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// A pointer into path: its last component, or the empty text at its end.
const char* EntryNameOf(const char* path);
std::string EntryNameOf(const std::string& path);

// Whether the game takes two entry names for one: it looks entries up without
// regard to the letter case of ASCII letters, and keeps the first it meets. The
// library's own matching stays exact; the installer and `img check` use this.
bool SameNameToGame(const char* a, std::size_t a_length, const char* b, std::size_t b_length);
// An order of names under which names the game takes for one are neighbours:
// negative, zero or positive as a sorts before, with or after b.
int CompareNamesAsGame(const char* a, std::size_t a_length, const char* b, std::size_t b_length);

// Whether a name of that many characters fits a record's name field with its
// terminating zero.
constexpr bool FitsNameField(std::size_t length) { return length <= kMaxNameLength; }

// Whether a name of that many characters can name an entry the installer
// puts in: the library takes an empty name too, but the game could never
// look such an entry up.
constexpr bool CanBeEntryName(std::size_t length) { return length > 0 && FitsNameField(length); }

}  // namespace img
