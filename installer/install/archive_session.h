// The game's model archive held open through Torvane for one installation,
// undo or recovery.
#pragma once

#include <string>

#include "torvane.h"

namespace wrenfield {

// Torvane keeps the one open archive in its own state; this object only makes
// sure IMGClose follows every IMGOpen, whatever way the work ends.
class ArchiveSession {
 public:
  ArchiveSession() = default;
  ArchiveSession(const ArchiveSession&) = delete;
  ArchiveSession& operator=(const ArchiveSession&) = delete;
  ~ArchiveSession() { Close(); }

  // IMGOpen; true when it returned 0. After a failure the archive is closed.
  bool Open(const std::string& path);
  // Where the last Open saw Torvane set aside the record of an interrupted
  // change that did not match the archive; empty when it did not.
  const std::string& setAsideJournal() const { return setAside_; }
  // Closes and opens the same archive again: after a failed change Torvane may
  // refuse further changes until the directory is read afresh.
  bool Reopen();

  // IMGAddFile with the file's path, its entry name and replacing allowed.
  // Returns Torvane's status code.
  int AddReplacing(const std::string& path, const std::string& entryName);
  // IMGExtractFile and IMGDelFile; Torvane's status codes.
  int Extract(const std::string& entryName, const std::string& path);
  int Delete(const std::string& entryName);
  // IMGCompact with its progress callback and context; Torvane's status code.
  int Compact(TorvaneProgress progress, void* context);

  // IMGClose, once per Open.
  void Close();

  const std::string& path() const { return path_; }

 private:
  std::string path_;
  std::string setAside_;
  bool held_ = false;
};

}  // namespace wrenfield
