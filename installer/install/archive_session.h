// The game's model archive held open through Torvane for one installation.
#pragma once

#include <string>

namespace wrenfield {

// Torvane keeps the one open archive in its own state; this object only makes
// sure IMGClose follows every IMGOpen, whatever way the installation ends.
class ArchiveSession {
 public:
  ArchiveSession() = default;
  ArchiveSession(const ArchiveSession&) = delete;
  ArchiveSession& operator=(const ArchiveSession&) = delete;
  ~ArchiveSession() { Close(); }

  // IMGOpen; true when it returned 0. After a failure the archive is closed.
  bool Open(const std::string& path);

  // IMGAddFile with the file's path, its entry name and replacing allowed.
  // Returns Torvane's status code.
  int AddReplacing(const std::string& path, const std::string& entryName);

  // IMGClose, once per Open.
  void Close();

 private:
  bool held_ = false;
};

}  // namespace wrenfield
