// A file held for exclusive use: no other opener, in this process or another,
// gets it while this object holds it, and opening fails while another holds it.
// The platform's handle is kept as an integer so that no system header leaks here.
// Reads, writes, syncs, truncations, deletions and closes pass the test seam
// (fault_seam.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace torvane {

class File {
 public:
  enum class Mode {
    kReadWriteExisting,  // the archive, or a journal found beside it
    kReadExisting,       // a file to add, or an archive only looked at
    kReadWriteCreate,    // an extraction's output or a journal: created, or emptied once held
  };

  File() = default;
  ~File() { Close(); }
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  File(File&& other) noexcept : handle_(other.handle_) { other.handle_ = kNoHandle; }
  File& operator=(File&& other) noexcept;

  // Opens (or creates) the file at path. False when it cannot be opened or held.
  bool Open(const char* path, Mode mode);
  bool IsOpen() const { return handle_ != kNoHandle; }
  // False when the system reports a failure on closing (a delayed write error).
  bool Close();

  // Current length in bytes.
  bool Size(std::uint64_t* size) const;
  // Reads up to n bytes at pos, stopping early only at the end of the file;
  // *got tells how many arrived. False on an error.
  bool ReadAt(std::uint64_t pos, void* buffer, std::size_t n, std::size_t* got);
  // Writes all n bytes at pos; false unless every byte was written.
  bool WriteAt(std::uint64_t pos, const void* buffer, std::size_t n);
  // Returns once everything written to the file, and its length, is on the
  // device. Only for a file opened for writing.
  bool Sync();
  // Cuts the file to `length` bytes, or lengthens it with zero bytes.
  bool Truncate(std::uint64_t length);

 private:
  static constexpr std::intptr_t kNoHandle = -1;
  std::intptr_t handle_ = kNoHandle;
};

inline File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    Close();
    handle_ = other.handle_;
    other.handle_ = kNoHandle;
  }
  return *this;
}

// What a path names.
enum class PathKind {
  kMissing,  // nothing
  kFile,     // a regular file
  kOther,    // a folder or anything else that is not a regular file
  kUnknown,  // the system would not say
};
PathKind KindOf(const char* path);

// Deletes the file at path (which nobody may hold).
bool RemoveFile(const char* path);

// Makes the creation and deletion of files in the folder holding `path`
// durable. Where the system offers no such call (Windows) it does nothing.
bool SyncFolderOf(const char* path);

// The path made independent of the working directory, so that a file named
// after it is found where it was even after the working directory changes.
bool FullPathOf(const char* path, std::string* full);
// Whether two full paths are the same text as the system compares paths
// (letter case aside on Windows).
bool SamePath(const std::string& a, const std::string& b);

}  // namespace torvane
