// The rollback journal that makes every change of the archive atomic and
// durable. It lies beside the archive, "<archive's resolved path>-journal",
// only while a change is under way, or after one was cut off.
//
// Before a change overwrites any byte inside the archive's current length, the
// journal receives what the change will do: the archive's length before and
// after it, the original bytes of every range the change will overwrite, and a
// checksum of the bytes the change will leave there, block by block. It is
// made durable, file and folder; only then is the archive touched. Bytes the
// change appends past the old length need no copy: cutting the archive back to
// its old length removes them. Once the archive is changed and durable, the
// change is committed by zeroing the journal's magic and making that durable;
// then the journal is deleted. A journal that comes back after a power cut is
// void from then on, so it never undoes a change reported as done.
//
// A journal found complete and valid belongs to a change that was cut off, if
// the archive still fits it: its length between the old and the new length,
// and every block of every range holding its old bytes or its new ones (a
// write torn by a crash leaves each block one or the other). Then the original
// bytes are written back and the archive cut to its old length. A journal that
// does not fit was written for another file (a backup copied over the archive
// since, say): it is renamed aside, "<journal>.stale" (".stale.2" and on when
// that exists), never applied and never deleted. A journal found incomplete
// or void was cut off before the archive was touched, or belongs to a
// committed change: it is deleted.
//
//   offset  size  field (little-endian)
//   0       8     magic "TVJOURNL"; zero bytes once the change is committed
//   8       4     version: 2
//   12      4     number of ranges
//   16      8     the archive's length before the change
//   24      8     the archive's length after it
//   32      ...   each range: position (8), length (8), then for each piece of
//                 the range that one block (kBlockSize bytes, counted from the
//                 archive's start) holds: the checksum of the piece's new bytes
//                 (8), its original bytes, zero bytes up to a multiple of 8
//   end-8   8     checksum of everything before it: two 32-bit sums over its
//                 32-bit words (see Checksum in journal.cpp)
//
// New bytes at or past the new length count as zero bytes, as do the
// archive's bytes past its end when a block is compared.
//
// A journal is not applied either when its old length lies past both the
// archive's length and the end of its last range: only a change that shrinks
// the archive leaves it shorter, and that change journals the tail it cuts.
// Release 1.0.0 wrote version 1: the same without the new length (offset 24
// holds the first range) and with each range's original bytes in one run,
// padded to a multiple of 8. Its changes only kept or grew the archive, and
// it knew no sums to compare: such a journal is rolled back, as that release
// did, onto an archive at least as long as its old length, and set aside
// otherwise. A journal of any other version is set aside.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "file.h"
#include "journal_names.h"

namespace torvane {

// The ranges of the archive that a change will overwrite, as far as they lie
// within the archive's length before the change. Each range is one write of
// the change, or several whose calls end at block boundaries (Journal::
// kBlockSize), and no byte is written twice: a change cut off between two
// calls then leaves each block of each range whole, old or new, which is
// what the next open checks.
class Ranges {
 public:
  struct Range {
    std::uint64_t position;
    std::uint64_t length;
  };

  explicit Ranges(std::uint64_t archive_length) : archive_length_(archive_length) {}
  // Adds [position, position + length), cut at the archive's length.
  void Add(std::uint64_t position, std::uint64_t length);
  // The ranges in order of position, overlapping ones merged (touching ones
  // stay apart: they may be written at different times).
  const std::vector<Range>& Merged();

 private:
  std::uint64_t archive_length_;
  std::vector<Range> ranges_;
};

// What a change will write: it fills in the bytes it leaves in its ranges.
class NewBytes {
 public:
  // bytes holds the archive's current bytes at [position, position + n), a
  // part of one range; overwrites each of them that the change will write
  // with what it writes there. False when that cannot be told (a read failed).
  virtual bool Fill(std::uint64_t position, unsigned char* bytes, std::size_t n) = 0;

 protected:
  ~NewBytes() = default;
};

class Journal {
 public:
  // The blocks whose new bytes are summed one by one: a write cut off by a
  // crash leaves each block of this size, at a multiple of it, whole.
  static constexpr std::uint64_t kBlockSize = 4096;

  // What stands where an archive's journal goes, as Inspect finds it.
  enum class Found {
    kNone,        // nothing
    kRollBack,    // a complete journal: the next open rolls its change back
    kStale,       // a complete journal that does not fit the archive: the next
                  // open sets it aside
    kIncomplete,  // an incomplete or void journal: the next open deletes it
    kLink,        // a link: never followed; every change fails until it is gone
    kNotAFile,    // a folder or the like: every change fails until it is gone
    kUnreadable,  // a file that cannot be read: the next open fails
  };

  // The journal of the archive whose resolved path is given.
  void SetArchivePath(const std::string& archive_path) {
    path_ = img::JournalPathFor(archive_path);
  }
  const std::string& path() const { return path_; }

  // Writes the journal of a change that takes the archive from old_length to
  // new_length and overwrites the ranges (as far as they lie within
  // old_length), new_bytes telling what it writes there, and makes it
  // durable. Every byte a range covers must be told or stay as it is. False
  // when that fails; then the archive must not be touched, and failure()
  // tells why.
  //
  // new_bytes is asked during Begin only, before anything is written: a
  // change that moves bytes within the archive tells them by reading the
  // archive's current bytes from where they come. A change that shrinks the
  // archive (new_length below old_length) journals the tail it cuts off as a
  // range, whose new bytes count as zero, and truncates last.
  bool Begin(File& archive, std::uint64_t old_length, std::uint64_t new_length, Ranges& ranges,
             NewBytes& new_bytes);
  // Whether the n bytes a change is about to write at position are the new
  // bytes Begin was told, for each block's piece of a range that the write
  // covers whole (the sums of a change's first 8192 pieces are kept as they
  // are written; later ones are read back from the journal, so memory stays
  // bounded). A source read twice, once for Begin and once for the write, may
  // have changed in between: writing other bytes would leave blocks neither
  // old nor new, which no later open could tell from another file. False
  // then, or when the journal cannot be read; the change must fail.
  bool Expects(std::uint64_t position, const unsigned char* bytes, std::size_t n);
  // The commit point: voids the journal durably, then deletes it (a journal
  // that cannot be deleted is void, and the next open deletes it). False when
  // the journal could not be voided: the change is not committed.
  bool Commit();
  // Undoes the change that Begin was called for, whatever part of it reached
  // the archive, and makes the archive durable. True when the archive is as it
  // was; false leaves the journal for the next open to roll back.
  bool RollBack(File& archive);

  // The system's reason why the last Begin failed, when it was the system's.
  const std::string& failure() const { return failure_; }

  // At open, with the archive held and before its directory is read: rolls back
  // a complete journal left by a change that was cut off, if the archive fits
  // it, and deletes it; sets one that does not fit aside; deletes an
  // incomplete or void one (one that cannot be deleted is left, harmless). A
  // link or folder at the journal's path is left alone. False when that cannot
  // be done; both files are then left as they are.
  bool Recover(File& archive);
  // Where the last Recover set a journal aside; empty when it did not.
  const std::string& set_aside() const { return set_aside_; }
  // What stands at the journal's path, judged against the archive; changes nothing.
  Found Inspect(File& archive);

 private:
  bool Create();
  bool Void();
  bool Delete();
  bool SetAside();
  // checked: the journal was just checked whole, and is not read once more for it.
  bool RestoreFrom(File& journal, File& archive, bool checked);

  // Where each range of the change under way lies, and where its pieces begin
  // in the journal.
  struct Placed {
    std::uint64_t position;
    std::uint64_t length;
    std::uint64_t offset;
    std::uint64_t first_sum;  // the index of its first piece's sum among those kept
  };
  bool PieceExpects(const Placed& range, std::uint64_t piece, std::uint64_t piece_end,
                    const unsigned char* bytes);

  std::string path_;
  File file_;
  std::vector<Placed> placed_;
  bool voided_ = false;
  std::string failure_;
  std::string set_aside_;
};

}  // namespace torvane
