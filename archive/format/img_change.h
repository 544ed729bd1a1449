// The rules by which an archive takes a file: where its data goes, which
// entries a growing directory pushes to the end, when a replacement writes
// over the old data, and what refuses the change before anything is written.
// Planned over the directory and the archive's length alone, so that the
// library and anyone who wants to know beforehand whether it will take a file
// (the installer) apply the same rules.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "img_records.h"

namespace img {

// Whether the entry's data can be read whole from an archive of `length`
// bytes. An entry of size 0 reads nothing, wherever its offset points.
inline bool InsideArchive(const Entry& entry, std::uint64_t length) {
  return entry.size == 0 || entry.DataEnd() <= length;
}

// Whether the entry's sectors hold part of the header or of a directory that
// ends at directory_end: archives from elsewhere may carry such offsets.
inline bool InsideDirectory(const Entry& entry, std::uint64_t directory_end) {
  return entry.size != 0 && entry.DataBegin() < directory_end;
}

// Whether the entry's data is in the way of a directory that grows to end at
// directory_end, and must move to the archive's end.
inline bool InTheWay(const Entry& entry, std::uint64_t directory_end) {
  return entry.DataBegin() <= directory_end;
}

// Where appended data begins: at the archive's end rounded up to a sector,
// never before directory_end. False when that is past the last sector number
// the format can hold.
bool AppendPosition(std::uint64_t length, std::uint64_t directory_end, std::uint64_t* position);

// Whether `bytes` can replace the data of entry `target` where it lies: the
// allotment holds them and the sectors to be written hold neither the header
// and directory, nor any other entry's data, nor anything past the archive's
// last sector.
bool FitsInPlace(const std::vector<Entry>& directory, std::size_t target, std::uint64_t bytes,
                 std::uint64_t length);

// An entry moved to the archive's end by a growing directory.
struct EntryMove {
  std::size_t index = 0;
  std::uint64_t to = 0;  // where its data begins afterwards
};

struct ChangePlan {
  enum class Verdict {
    kReady,
    kFull,        // the count, a size or a position would not fit its field
    kUnreadable,  // entry `blocking` must move but runs past the archive's end
  };
  Verdict verdict = Verdict::kReady;
  std::size_t blocking = 0;
  std::uint64_t position = 0;    // where the new data begins
  bool in_place = false;         // a replacement over the old data
  std::vector<EntryMove> moves;  // an addition's moved entries, in directory order
  std::uint64_t new_length = 0;  // the archive's length afterwards

  bool ready() const { return verdict == Verdict::kReady; }
};

// Adding a file of `bytes` bytes: its record takes the slot past the
// directory, its data goes to the end, and every entry in the way of the
// grown directory moves after it, in directory order.
ChangePlan PlanAddition(const std::vector<Entry>& directory, std::uint64_t length,
                        std::uint64_t bytes);
// Replacing the data of entry `target` with `bytes` bytes: in place when it
// fits there, otherwise appended.
ChangePlan PlanReplacement(const std::vector<Entry>& directory, std::uint64_t length,
                           std::size_t target, std::uint64_t bytes);

// The directory and length a ready plan leaves; `record` is the new or
// replacing record (its offset and size those of the plan).
void ApplyAddition(const ChangePlan& plan, const Entry& record, std::vector<Entry>& directory,
                   std::uint64_t& length);
void ApplyReplacement(const ChangePlan& plan, std::size_t target, const Entry& record,
                      std::vector<Entry>& directory, std::uint64_t& length);

}  // namespace img
