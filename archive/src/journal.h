// The rollback journal that makes every change of the archive atomic and
// durable. It lies beside the archive as "<archive path>-journal" only while a
// change is under way, or after one was cut off.
//
// Before a change overwrites any byte inside the archive's current length, the
// journal receives that length and the original bytes of every range the change
// will overwrite, and is made durable, file and folder. Only then is the archive
// touched. Bytes the change appends past the old length need no copy: cutting the
// archive back to its old length removes them. Once the archive is changed and
// durable, the change is committed by zeroing the journal's magic and making
// that durable; then the journal is deleted. A journal that comes back after a
// power cut is void from then on, so it never undoes a change reported as done.
//
// A journal found complete and valid belongs to a change that was cut off: its
// bytes are written back and the archive cut to its old length. A journal found
// incomplete or void was cut off before the archive was touched, or belongs to
// a committed change: it is deleted.
//
//   offset  size  field (little-endian)
//   0       8     magic "TVJOURNL"; zero bytes once the change is committed
//   8       4     version: 1
//   12      4     number of ranges
//   16      8     the archive's length before the change
//   24      ...   each range: position (8), length (8), the original bytes, then
//                 zero bytes up to a multiple of 8
//   end-8   8     checksum of everything before it: two 32-bit sums over its
//                 32-bit words (see Checksum in journal.cpp)
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "file.h"

namespace torvane {

// The ranges of the archive that a change will overwrite, as far as they lie
// within the archive's length before the change.
class Ranges {
 public:
  struct Range {
    std::uint64_t position;
    std::uint64_t length;
  };

  explicit Ranges(std::uint64_t archive_length) : archive_length_(archive_length) {}
  // Adds [position, position + length), cut at the archive's length.
  void Add(std::uint64_t position, std::uint64_t length);
  // The ranges in order of position, overlapping and touching ones merged.
  const std::vector<Range>& Merged();

 private:
  std::uint64_t archive_length_;
  std::vector<Range> ranges_;
};

class Journal {
 public:
  // What stands where an archive's journal goes, as Inspect finds it.
  enum class Found {
    kNone,        // nothing
    kRollBack,    // a complete journal: the next open rolls its change back
    kIncomplete,  // an incomplete or void journal: the next open deletes it
    kNotAFile,    // a folder or the like: every change fails until it is gone
    kUnreadable,  // a file that cannot be read: the next open fails
  };

  // The journal of the archive whose full path is given.
  void SetArchivePath(const std::string& archive_path) { path_ = PathFor(archive_path); }
  static std::string PathFor(const std::string& archive_path) { return archive_path + "-journal"; }
  const std::string& path() const { return path_; }

  // Writes the journal of a change (the archive's length and the current bytes
  // of each range) and makes it durable. False when that fails; then the
  // archive must not be touched.
  bool Begin(File& archive, std::uint64_t archive_length, Ranges& ranges);
  // The commit point: voids the journal durably, then deletes it (a journal
  // that cannot be deleted is void, and the next open deletes it). False when
  // the journal could not be voided: the change is not committed.
  bool Commit();
  // Undoes the change that Begin was called for, whatever part of it reached
  // the archive, and makes the archive durable. True when the archive is as it
  // was; false leaves the journal for the next open to roll back.
  bool RollBack(File& archive);

  // At open, with the archive held and before its directory is read: rolls back
  // a complete journal left by a change that was cut off and deletes it, or
  // deletes an incomplete or void one. False when that cannot be done; both
  // files are then left as they are.
  bool Recover(File& archive);
  // What stands at the journal's path; changes nothing.
  Found Inspect();

 private:
  bool Void();
  bool Delete();
  bool RestoreFrom(File& journal, File& archive);

  std::string path_;
  File file_;
  bool voided_ = false;
};

}  // namespace torvane
