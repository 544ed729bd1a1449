// The library's one open archive: its file, its directory as last read, its
// length as last measured, its journal, and the entry operations on them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "file.h"
#include "img_compact.h"
#include "img_records.h"
#include "journal.h"

namespace torvane {

using img::Entry;

class Archive {
 public:
  // Each returns one of the status codes of torvane.h.
  int Open(const char* path);
  // False when the system reported a failure on closing the archive.
  bool Close();
  int Add(const char* path, const char* name, bool replace);
  int Delete(const char* name);
  int Extract(const char* name, const char* path);

  // Told the bytes moved so far and the bytes to move in all; true asks to
  // stop once the current step is committed.
  using CompactProgress = std::function<bool(std::uint64_t moved, std::uint64_t total)>;
  // Moves entry data down over the holes until the archive ends right after
  // its last entry (compact.cpp). IMGCompact's status codes: 0, 12, 14 (an
  // entry inside the directory), 16, or 18 (stopped on request).
  int Compact(const CompactProgress& progress);
  // A record as a compaction step leaves it in its slot.
  struct SlotRecord {
    std::size_t slot;
    Entry record;
  };

  // Holds the archive and reads its directory as Open does, but only to look:
  // a journal beside it is neither rolled back nor deleted, only reported, and
  // the entry operations refuse to work. Open's status codes.
  int Inspect(const char* path, Journal::Found* journal);

  // The directory as last read from the file; empty unless Open or Inspect returned 0.
  const std::vector<Entry>& Entries() const { return directory_; }
  // The archive's length in bytes as last measured.
  std::uint64_t Length() const { return length_; }
  // Where Open set aside a journal that did not fit the archive; empty when it did not.
  const std::string& SetAsideJournal() const { return journal_.set_aside(); }
  // The archive's journal, as Open or Inspect named it from the resolved path.
  const std::string& JournalPath() const { return journal_.path(); }
  // Why the journal of the last change could not be written, when the system said.
  const std::string& JournalFailure() const { return journal_.failure(); }

 private:
  enum class State { kClosed, kUsable, kUnusable };
  static constexpr std::size_t kNotFound = static_cast<std::size_t>(-1);

  // Holds the file at path and checks its magic; Open's status codes.
  int Hold(const char* path, File::Mode mode);
  int ReplaceEntry(File& source, std::uint64_t bytes, std::size_t target, const char* name,
                   std::size_t length);
  int AddEntry(File& source, std::uint64_t bytes, const char* name, std::size_t length);
  // Makes a change whose writes all succeeded durable and commits it; otherwise
  // (or when that fails) rolls it back. 0 or 16.
  int FinishChange(bool written);

  // Whether an output at path would be the archive or its journal, however
  // the path spells it.
  bool NamesArchiveOrJournal(const char* path) const;
  std::size_t FindFirst(const char* name) const;
  // Zero-fills from the archive's end up to position.
  bool FillTo(std::uint64_t position);

  // Reads the header's count and that many records; Open's status codes.
  int ReadHeaderAndDirectory();
  bool ReadDirectory(std::uint64_t count, bool allow_short);
  // After a change was rolled back: takes the directory and length from the
  // file as it now is, or makes the archive unusable when even that fails.
  void Resync();
  bool MeasureLength() { return file_.Size(&length_); }
  bool WriteRecord(std::size_t slot, const Entry& entry);
  bool WriteCount(std::uint64_t count);
  bool WriteZeros(std::uint64_t from, std::uint64_t to);
  bool ShiftRecordsDown(std::size_t index);
  bool CopyIn(File& source, std::uint64_t bytes, std::uint64_t position);
  // Copies entry index's data to position, at or past the end, and points
  // its record there.
  bool MoveToEnd(std::size_t index, std::uint64_t position);
  bool CopyFromArchive(std::uint64_t from, File& target, std::uint64_t to, std::uint64_t bytes);

  class CompactReporter;
  std::vector<SlotRecord> MovedRecords(const img::CompactPlan& plan,
                                       const img::CompactStep& step) const;
  int MoveStep(const img::CompactPlan& plan, const img::CompactStep& step,
               CompactReporter& reporter);
  bool MoveBlock(const img::CompactBlock& block, CompactReporter& reporter);
  bool WriteRecords(const std::vector<SlotRecord>& records);
  int CutTail(std::uint64_t length);

  State state_ = State::kClosed;
  File file_;
  Journal journal_;
  std::vector<Entry> directory_;
  std::uint64_t length_ = 0;
  // Who the archive and its journal are, for refusing them as an output.
  FileId archive_id_;
  FileId journal_folder_;
  std::string journal_name_;
};

}  // namespace torvane
