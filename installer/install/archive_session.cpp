#include "archive_session.h"

#include <filesystem>
#include <system_error>

#include "torvane.h"

namespace wrenfield {

namespace {

// The name under which IMGOpen would set aside a journal beside the archive
// now: Torvane puts the journal beside the archive's resolved path and sets
// one that does not match aside as "-journal.stale", then ".stale.2" and on,
// never replacing one. Empty when the path cannot be resolved.
std::string NextSetAsideName(const std::string& path) {
  std::error_code error;
  const std::filesystem::path resolved = std::filesystem::canonical(path, error);
  if (error) return {};
  const std::string journal = resolved.string() + "-journal";
  for (unsigned n = 1; n <= 1000; ++n) {
    const std::string name = n == 1 ? journal + ".stale" : journal + ".stale." + std::to_string(n);
    if (!std::filesystem::exists(name, error) && !error) return name;
  }
  return {};
}

}  // namespace

bool ArchiveSession::Open(const std::string& path) {
  Close();
  path_ = path;
  setAside_.clear();
  const std::string next = NextSetAsideName(path);
  held_ = true;  // even a failed IMGOpen may leave the file held until IMGClose
  if (IMGOpen(path.c_str()) != TORVANE_OK) {
    Close();
    return false;
  }
  std::error_code error;
  if (!next.empty() && std::filesystem::exists(next, error)) setAside_ = next;
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

int ArchiveSession::Compact(TorvaneProgress progress, void* context) {
  return IMGCompact(progress, context);
}

void ArchiveSession::Close() {
  if (!held_) return;
  held_ = false;
  IMGClose();
}

}  // namespace wrenfield
