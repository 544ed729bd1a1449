// Wrenfield's file-system layer: existence tests, wildcard directory search,
// whole-file reads and safe whole-file writes. Paths are single-byte code page
// 1251 text; the portable parts in file_system.cpp, above the platform's file
// layer (file_layer.h: file_layer_posix.cpp, file_layer_win.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace wrenfield {

// The separator that joins a folder and a name: "\" on Windows, "/" elsewhere.
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// folder + separator + name, as they stand (no separator is removed or added
// besides the one between them).
std::string JoinPath(const std::string& folder, const std::string& name);

// True when the path names an existing directory; empty text never does.
bool DirectoryExists(const std::string& path);

// True when the path names an existing entry that is not a directory.
bool FileExists(const std::string& path);

// The same without following a symbolic link (or, on Windows, any reparse
// point): a real folder, and a regular file, named by the path itself.
bool IsRealFolder(const std::string& path);
bool IsRegularFile(const std::string& path);

// The system's text for the error the calling thread met last (errno, or
// GetLastError on Windows); "" when none is set. For a library that reports
// only a status code, read right after its call.
std::string LastSystemErrorText();
// Forgets the last error, so that LastSystemErrorText tells one met after this.
void ClearLastSystemError();

// Names (without folder) of the entries of a folder whose names match the
// pattern's last part. The pattern is split at its last separator ("folder/*.txt";
// no separator searches the working directory); "*" matches any run of
// characters and "?" exactly one, ASCII letters without regard to case. Entries
// of every kind are returned (folders, hidden files...) in the file system's
// order; a folder that cannot be searched gives no names.
std::vector<std::string> FindFiles(const std::string& pattern);

// True when name matches the wildcard pattern ("*" and "?", ASCII case folded).
bool MatchesWildcard(const std::string& pattern, const std::string& name);

// True when the file can be opened now for reading without sharing, the way
// the archive library opens a file to add (on POSIX: a regular file that no one
// holds locked). Lets a caller refuse such a file before changing anything.
bool CanOpenExclusively(const std::string& path);

// The whole file, raw. Throws Error "Не удаётся открыть файл '<full path>': <reason>"
// when it cannot be opened or read (a directory included).
std::string ReadFileBytes(const std::string& path);

// The file's content handed to sink a piece at a time (at most 64 KiB each).
// Throws the open error as ReadFileBytes does.
void ReadFileChunks(const std::string& path,
                    const std::function<void(const char* data, std::size_t size)>& sink);

// The first maxBytes bytes of the file, or all of it when it is shorter.
// Throws the open error as ReadFileBytes does.
std::string ReadFileHead(const std::string& path, std::size_t maxBytes);

// The file's length in bytes; false when it cannot be told.
bool FileSize(const std::string& path, std::uint64_t& size);

// Replaces the file with the bytes: writes a temporary file beside the target,
// then renames it over the target, so that a failure never leaves a part-written
// target. The temporary file is removed on any failure. A target reached
// through a symbolic link is replaced where the link leads, and the link stays;
// an existing target's permissions (on Windows its hidden and system
// attributes) pass to its replacement. Throws Error
// "Не удаётся создать файл '<full path>': <reason>" naming the target.
void WriteFileReplacing(const std::string& path, const std::string& bytes);

// Checks, without changing anything, that WriteFileReplacing could replace the
// existing file now: the file can be opened for writing (not read-only,
// immutable or held by another program) and a temporary file can be created
// beside it. Throws the create error naming the file (the reason may be the
// temporary file's).
void CheckReplaceable(const std::string& path);

// Makes the folder's entries (files created, renamed or removed in it) durable.
// Throws the create error naming the folder. Windows keeps a folder's entries
// itself; there only the test seam counts the call.
void SyncFolder(const std::string& path);

// Creates the folder unless it exists (a link to a folder counts). Throws the
// create error.
void CreateFolder(const std::string& path);

// Creates a folder; true also when a folder stands there already (a link to one
// does not count). Otherwise false with the system's reason (code page 1251).
bool TryCreateFolder(const std::string& path, std::string& reason);

// Remove a file, or an empty folder; false when it cannot be removed (a
// missing one included).
bool RemoveFile(const std::string& path);
bool RemoveEmptyFolder(const std::string& path);

// Copies a file over another (created or replaced the same safe way as
// WriteFileReplacing). False on any failure, with nothing reported; the target
// is then either untouched or absent as before.
bool CopyFileOver(const std::string& from, const std::string& to);

// The absolute form of a path: relative paths are taken from the working
// directory (symbolic links are not resolved). Empty text stays empty.
std::string FullPath(const std::string& path);

// The message texts of the open and create errors (code page 1251).
std::string OpenFileErrorMessage(const std::string& fullPath, const std::string& reason);
std::string CreateFileErrorMessage(const std::string& fullPath, const std::string& reason);

}  // namespace wrenfield
