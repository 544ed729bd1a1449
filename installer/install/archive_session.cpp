#include "archive_session.h"

#include "torvane.h"

namespace wrenfield {

bool ArchiveSession::Open(const std::string& path) {
  Close();
  path_ = path;
  held_ = true;  // even a failed IMGOpen may leave the file held until IMGClose
  if (IMGOpen(path.c_str()) == TORVANE_OK) return true;
  Close();
  return false;
}

bool ArchiveSession::Reopen() { return Open(path_); }

int ArchiveSession::AddReplacing(const std::string& path, const std::string& entryName) {
  return IMGAddFile(path.c_str(), entryName.c_str(), 1);
}

int ArchiveSession::Extract(const std::string& entryName, const std::string& path) {
  return IMGExtractFile(entryName.c_str(), path.c_str());
}

int ArchiveSession::Delete(const std::string& entryName) { return IMGDelFile(entryName.c_str()); }

void ArchiveSession::Close() {
  if (!held_) return;
  held_ = false;
  IMGClose();
}

}  // namespace wrenfield
