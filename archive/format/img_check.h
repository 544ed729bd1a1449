// Whether an archive's directory is sound: what `wrenfield-cli img check`
// reports. The library itself works with archives that are not (it never
// writes over another entry's data or the directory), but a user who wonders
// whether an archive is whole wants to know.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "img_records.h"

namespace img {

struct Finding {
  enum class Kind {
    kDirectoryPastEnd,  // the file ends inside the directory; `entry` is the count
    kPastEnd,           // the entry's sectors run past the archive's end
    kInsideDirectory,   // the entry's sectors hold part of the header or directory
    kOverlap,           // the entry's sectors overlap those of `other`
    kDuplicateName,     // the entry bears the name of `other`, an earlier one, or one
                        // that differs only in the letter case of ASCII letters
  };
  Kind kind;
  std::size_t entry;
  std::size_t other;
};

// Everything unsound in a directory read from an archive of `length` bytes.
// Entries of size 0 occupy nothing, so they overlap nothing and run past nothing.
std::vector<Finding> CheckDirectory(const std::vector<Entry>& directory, std::uint64_t length);

}  // namespace img
