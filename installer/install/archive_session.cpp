#include "archive_session.h"

#include "torvane.h"

namespace wrenfield {

bool ArchiveSession::Open(const std::string& path) {
  Close();
  held_ = true;  // even a failed IMGOpen may leave the file held until IMGClose
  if (IMGOpen(path.c_str()) == TORVANE_OK) return true;
  Close();
  return false;
}

int ArchiveSession::AddReplacing(const std::string& path, const std::string& entryName) {
  return IMGAddFile(path.c_str(), entryName.c_str(), 1);
}

void ArchiveSession::Close() {
  if (!held_) return;
  held_ = false;
  IMGClose();
}

}  // namespace wrenfield
