#include "archive_session.h"

#include <filesystem>
#include <system_error>

#include "journal_names.h"
#include "torvane.h"

namespace wrenfield {

namespace {

namespace fs = std::filesystem;

// 1 when anything stands at path (a link is not followed), 0 when nothing
// does, -1 when the system would not say: as Torvane looks before it sets a
// journal aside.
int Taken(const std::string& path) {
  std::error_code error;
  const fs::file_type type = fs::symlink_status(path, error).type();
  if (type == fs::file_type::not_found) return 0;
  return error ? -1 : 1;
}

// The journal of the archive at path, named as Torvane names it from the
// archive's resolved path; empty when the path cannot be resolved.
std::string JournalOf(const std::string& path) {
  std::error_code error;
  const fs::path resolved = fs::canonical(path, error);
  return error ? std::string() : img::JournalPathFor(resolved.string());
}

}  // namespace

bool ArchiveSession::Open(const std::string& path) {
  Close();
  path_ = path;
  setAside_.clear();
  // Torvane sets a journal aside at the first free place of the shared rule:
  // the place free before the open and holding a file after it is that one.
  const std::string journal = JournalOf(path);
  const unsigned next = journal.empty() ? 0 : img::NextStale(journal, Taken);
  held_ = true;  // even a failed IMGOpen may leave the file held until IMGClose
  if (IMGOpen(path.c_str()) != TORVANE_OK) {
    Close();
    return false;
  }
  if (next == 0) return true;
  const std::string stale = img::StalePathFor(journal, next);
  std::error_code error;
  if (fs::symlink_status(stale, error).type() == fs::file_type::regular) setAside_ = stale;
  return true;
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
