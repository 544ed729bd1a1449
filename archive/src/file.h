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

// What tells files apart: the device (or volume) and the file's number on it.
struct FileId {
  std::uint64_t device = 0;
  std::uint64_t index = 0;
  bool operator==(const FileId& other) const {
    return device == other.device && index == other.index;
  }
};

class File {
 public:
  enum class Mode {
    kReadWriteExisting,  // the archive, or a journal found beside it
    kReadExisting,       // a file to add, or an archive only looked at
    kReadWriteCreate,    // an extraction's output: created, or emptied once held
    kCreateNew,          // a journal: created here and now, never through a link; fails
                         // when anything stands at the path
    kReadWriteNoLink,    // a journal found beside the archive: fails when the path is a link
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

  // The file's identity: the same for every path and link that leads to it.
  bool Id(FileId* id) const;
  // The full path of the open file, every link and "." or ".." resolved, so
  // that every way of naming one file gives one text. `path` is the path it
  // was opened by (some systems need it).
  bool FinalPath(const char* path, std::string* full) const;

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

// What a path names, the path itself (a link is not followed).
enum class PathKind {
  kMissing,  // nothing
  kFile,     // a regular file
  kLink,     // a symbolic link or another reparse point, whatever it leads to
  kOther,    // a folder or anything else that is not a regular file
  kUnknown,  // the system would not say
};
PathKind KindOf(const char* path);

// Gives the file at `from` the name `to`, which must not exist yet; then the
// folder's change is made durable as by SyncFolderOf.
bool RenameNoReplace(const char* from, const char* to);

// Where a file created at path would land once every link on the way is
// followed (with follow_last, the last component's too, even one that leads
// nowhere yet): the identity of the folder that would hold it and its name
// there. False when the folder does not exist or cannot be looked at.
bool LandingOf(const char* path, bool follow_last, FileId* folder, std::string* name);
// The identity of the file at path, links followed; false when there is none.
bool IdOf(const char* path, FileId* id);

// Deletes the file at path (which nobody may hold).
bool RemoveFile(const char* path);

// Makes the creation and deletion of files in the folder holding `path`
// durable. Where the system offers no such call (Windows) it does nothing.
bool SyncFolderOf(const char* path);

// The system's description of why its last call failed.
std::string LastSystemError();

// Whether two names in one folder name the same entry as the system compares
// them (letter case aside on Windows).
bool SameName(const std::string& a, const std::string& b);

}  // namespace torvane
