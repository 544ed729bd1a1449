// What unpacking needs from the system: the user's temporary folder, private
// folders, folders and new files inside them, removal of a whole tree, the code
// page of paths, the archive file itself and the names libarchive gives. The
// file system is the file layer's (file_layer.h); unpack_platform.cpp raises
// unpacking's messages from its failures and reads libarchive's names.
// Paths are in the program's path code page: code page 1251 on POSIX, the system
// code page on Windows (what the file-system layer uses).
#pragma once

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "file_layer.h"

struct archive_entry;

namespace wrenfield::unpack_platform {

// The user's temporary folder, without a trailing separator. Throws Error.
std::string TemporaryFolder();

// Creates a folder that only the user can reach inside parent, named prefix and
// a unique suffix, and returns its path. Throws Error.
std::string CreatePrivateFolder(const std::string& parent, const std::string& prefix);

// The file layer's calls that unpacking uses.
using ::wrenfield::ArchiveFile;
using ::wrenfield::EncodePath;
using ::wrenfield::FitsPathCodePage;
using ::wrenfield::NewFile;
using ::wrenfield::RemoveTree;
using ::wrenfield::StaleFolders;

// While it lives, libarchive converts names to Unicode on this thread (POSIX: a
// UTF-8 locale for the thread; Windows converts through wide strings anyway).
class UnicodeNamesScope {
 public:
  UnicodeNamesScope();
  ~UnicodeNamesScope();
  UnicodeNamesScope(const UnicodeNamesScope&) = delete;
  UnicodeNamesScope& operator=(const UnicodeNamesScope&) = delete;

 private:
  void* state_[2] = {nullptr, nullptr};
};

// libarchive ends the whole process ("No memory") when it cannot convert a name
// and errno holds ENOMEM, even an ENOMEM left over from an earlier failure that
// was handled: every call into it that reads or converts a name starts here.
inline void ClearErrnoForLibarchive() { errno = 0; }

// An entry's name as Unicode; false when libarchive could not convert it.
bool EntryUnicodeName(archive_entry* entry, std::u32string& name);

// An entry's name as the bytes libarchive holds for it without conversion (a name
// stored without a declared encoding, read with no character set given); false
// when it has none.
bool EntryNameBytes(archive_entry* entry, std::string& bytes);

}  // namespace wrenfield::unpack_platform
