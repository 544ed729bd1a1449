// The library's one open archive: its file, its directory as last read, its
// length as last measured, and the entry operations on them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "file.h"
#include "img_records.h"

namespace torvane {

using img::Entry;

class Archive {
 public:
  // Each returns one of the status codes of torvane.h.
  int Open(const char* path);
  void Close();
  int Add(const char* path, const char* name, bool replace);
  int Delete(const char* name);
  int Extract(const char* name, const char* path);

  // The directory as last read from the file; empty unless an Open returned 0.
  const std::vector<Entry>& Entries() const { return directory_; }

 private:
  enum class State { kClosed, kUsable, kUnusable };
  static constexpr std::size_t kNotFound = static_cast<std::size_t>(-1);

  int ReplaceEntry(File& source, std::uint64_t bytes, std::size_t target, const char* name,
                   std::size_t length);
  int AddEntry(File& source, std::uint64_t bytes, const char* name, std::size_t length);

  std::size_t FindFirst(const char* name) const;
  std::uint64_t DirectoryEnd(std::uint64_t count) const { return img::SlotPosition(count); }
  bool InsideArchive(const Entry& entry) const { return entry.DataEnd() <= length_; }
  bool FitsInPlace(std::size_t target, std::uint64_t bytes) const;
  // Where appended data begins: at the archive's end rounded up to a sector,
  // never before directory_end. Zero-fills any gap; false on a write failure
  // or when the position is past the last sector number the format can hold.
  bool PrepareAppend(std::uint64_t directory_end, std::uint64_t* position);

  // Reads the header's count and that many records; Open's status codes.
  int ReadHeaderAndDirectory();
  bool ReadDirectory(std::uint64_t count, bool allow_short);
  // After a failed change: takes the directory and length from the file as it
  // now is, or makes the archive unusable when even that fails.
  void Resync();
  bool MeasureLength() { return file_.Size(&length_); }
  bool WriteRecord(std::size_t slot, const Entry& entry);
  bool WriteCount(std::uint64_t count);
  bool WriteZeros(std::uint64_t from, std::uint64_t to);
  bool CopyIn(File& source, std::uint64_t bytes, std::uint64_t position, std::uint32_t* sectors);
  bool MoveToEnd(std::size_t index, std::uint64_t directory_end);
  bool CopySectors(std::uint64_t from, std::uint64_t to, std::uint32_t sectors);
  bool CopyOut(const Entry& entry, File& output);
  bool CopyFromArchive(std::uint64_t from, File& target, std::uint64_t to, std::uint64_t bytes);

  State state_ = State::kClosed;
  File file_;
  std::vector<Entry> directory_;
  std::uint64_t length_ = 0;
};

}  // namespace torvane
