// The platform's calls of the file layer (file_layer_posix.cpp on Linux and
// other POSIX systems, file_layer_win.cpp on Windows) that the portable code
// above it uses besides file_system.h: reading a file piece by piece, the
// system's error texts, whole writes, the working directory, new files written
// piece by piece, the temporary folder and private folders in it, unpacked trees
// removed and swept, path spelling, the archive being unpacked and files read at
// any position. Paths are in the system code page (1251 on the players' machines). Writes, syncs,
// renames and closes pass the test seam (fault_seam.h), which only test builds compile in.
#pragma once

#ifdef _WIN32
#include <windows.h>
#endif

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace wrenfield {

// Calls sink with the file's content, a buffer at a time, until it returns
// false or the file ends. Throws the open error.
void ReadFileWhile(const std::string& path,
                   const std::function<bool(const char* data, std::size_t size)>& sink);

// The process's working directory; empty when the platform cannot tell it.
std::string WorkingDirectory();

#ifdef _WIN32
// The system's message for an error code in code page 1251: the user's
// language when the code page holds it, else English, else the bare number.
std::string SystemErrorText(DWORD error);

// Writes all the bytes, in pieces WriteFile takes. False with the last error
// set when a write fails (ERROR_WRITE_FAULT when one writes nothing). It does
// not pass the test seam; callers count their calls there.
bool WriteFully(HANDLE file, const char* data, std::size_t size);

// Paths in the system code page as wide text, and back (false when a character
// does not fit); code points as wide text.
std::wstring WideFromPath(const std::string& path);
bool PathFromWide(const std::wstring& wide, std::string& path);
std::wstring WideFromCodePoints(const std::u32string& text);
#else
// The system's text for an errno value in code page 1251 (ASCII "?" for
// characters the code page lacks).
std::string SystemErrorText(int error);

// Writes all the bytes, going on after short writes and interruptions. False
// with errno set when a write fails (EIO when one writes nothing). It does not
// pass the test seam; callers count their calls there.
bool WriteFully(int fd, const char* data, std::size_t size);
#endif

// A new file written piece by piece; creating it fails when anything stands at its
// path. Reasons are code page 1251.
class NewFile {
 public:
  NewFile() = default;
  ~NewFile();
  NewFile(const NewFile&) = delete;
  NewFile& operator=(const NewFile&) = delete;

  bool Create(const std::string& path, std::string& reason);
  bool Write(const void* data, std::size_t size, std::string& reason);
  bool Close(std::string& reason);

 private:
  std::intptr_t handle_ = -1;
};

// Why the user's temporary folder could not be had or a private folder not made.
enum class FolderFailure {
  kSystem,        // the system refused; reason holds its error text
  kNotSpellable,  // the temporary folder's path has characters the path code page
                  // lacks; reason holds the path with those shown as replacements
};

// The user's temporary folder, without a trailing separator. On failure returns
// false with the kind and reason set.
bool TemporaryFolder(std::string& folder, FolderFailure& failure, std::string& reason);

// Creates a folder that only the user can reach inside parent, named prefix and a
// unique suffix. On failure returns false with the system's reason (code page 1251).
bool CreatePrivateFolder(const std::string& parent, const std::string& prefix, std::string& path,
                         std::string& reason);

// Removes the folder and everything in it, never following a link; what cannot be
// removed stays.
void RemoveTree(const std::string& path);

// The folders in parent whose names begin with prefix, that belong to the user
// and that were last changed more than maxAgeSeconds ago (links never count).
std::vector<std::string> StaleFolders(const std::string& parent, const std::string& prefix,
                                      std::int64_t maxAgeSeconds);

// Whether a character can stand in a path of the path code page.
bool FitsPathCodePage(char32_t c);

// Characters that fit the path code page as path text.
std::string EncodePath(const std::u32string& text);

// The archive being unpacked, read through libarchive's callbacks.
class ArchiveFile {
 public:
  ArchiveFile() = default;
  ~ArchiveFile();
  ArchiveFile(const ArchiveFile&) = delete;
  ArchiveFile& operator=(const ArchiveFile&) = delete;

  bool Open(const std::string& path, std::string& reason);
  // Bytes read (0 at the end), or -1.
  std::int64_t Read(void* buffer, std::size_t size);
  // The new position, or -1; whence is SEEK_SET, SEEK_CUR or SEEK_END.
  std::int64_t Seek(std::int64_t offset, int whence);

 private:
  std::intptr_t handle_ = -1;
};

// A file opened for reading at any position, so that a file is walked without
// being read whole.
class RandomAccessFile {
 public:
  // Throws Error "Не удаётся открыть файл '<full path>': <reason>" (a folder too).
  explicit RandomAccessFile(const std::string& path);
  ~RandomAccessFile();
  RandomAccessFile(const RandomAccessFile&) = delete;
  RandomAccessFile& operator=(const RandomAccessFile&) = delete;

  std::uint64_t size() const { return size_; }
  // Reads exactly n bytes at pos; false when the file ends first or a read fails.
  bool ReadAt(std::uint64_t pos, unsigned char* bytes, std::size_t n) const;
  // Reads up to n bytes at pos into `got` (short only at the end); false on failure.
  bool ReadSome(std::uint64_t pos, unsigned char* bytes, std::size_t n, std::size_t& got) const;

 private:
  std::intptr_t handle_ = -1;
  std::uint64_t size_ = 0;
};

}  // namespace wrenfield
