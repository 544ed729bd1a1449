// A file held for exclusive use: no other opener, in this process or another,
// gets it while this object holds it, and opening fails while another holds it.
// The platform's handle is kept as an integer so that no system header leaks here.
// Writes and closes pass the test seam (fault_seam.h).
#pragma once

#include <cstddef>
#include <cstdint>

namespace torvane {

class File {
 public:
  enum class Mode {
    kReadWriteExisting,  // the archive
    kReadExisting,       // a file to add
    kReadWriteCreate,    // an extraction's output: created, or emptied once held
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

}  // namespace torvane
