// A fresh folder under the system's temporary folder for one test, benchmark or
// fuzz run, removed with everything in it when the object goes.
#pragma once

#include <cstddef>
#include <string>

namespace wrenfield::testing {

// The separator the platform's own paths use.
#ifdef _WIN32
inline constexpr char kSeparator = '\\';
#else
inline constexpr char kSeparator = '/';
#endif

class ScratchDir {
 public:
  // `label` becomes part of the folder's name, to tell whose folder it is.
  explicit ScratchDir(const std::string& label = "test");
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::string& path() const { return path_; }
  // The folder, a separator and name.
  std::string Path(const std::string& name) const { return path_ + kSeparator + name; }
  // Writes a file of raw bytes (creating or emptying it); returns its path.
  std::string Write(const std::string& name, const std::string& bytes) const;
  // Creates a folder (and those above it); returns its path.
  std::string MakeFolder(const std::string& name) const;
  // The number of entries directly in the folder.
  std::size_t EntryCount() const;

 private:
  std::string path_;
};

}  // namespace wrenfield::testing
