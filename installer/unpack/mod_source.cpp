#include "mod_source.h"

#include <algorithm>
#include <set>
#include <utility>

#include "error.h"
#include "file_system.h"
#include "messages.h"
#include "unpack_platform.h"

namespace wrenfield {

const char kUnpackFolderPrefix[] = "wrenfield-mod-";

namespace {

constexpr std::int64_t kStaleAfterSeconds = 24 * 60 * 60;
constexpr char kTopFolder[] = ".";

// Matched as the reader matches the files it looks for.
bool Matches(const char* pattern, const std::string& relativeFile) {
  return MatchesWildcard(pattern, relativeFile.substr(relativeFile.rfind('/') + 1));
}

std::string FolderOf(const std::string& relativeFile) {
  const std::size_t slash = relativeFile.rfind('/');
  return slash == std::string::npos ? kTopFolder : relativeFile.substr(0, slash);
}

// The folders holding a .dff, narrowed to those also holding a .txd when that
// leaves at least one.
std::vector<std::string> ModFolderCandidates(const std::vector<std::string>& files) {
  std::set<std::string> withModel, withTexture;
  for (const std::string& file : files) {
    if (Matches("*.dff", file)) withModel.insert(FolderOf(file));
    if (Matches("*.txd", file)) withTexture.insert(FolderOf(file));
  }
  std::vector<std::string> both;
  for (const std::string& folder : withModel) {
    if (withTexture.count(folder) != 0) both.push_back(folder);
  }
  if (withModel.size() > 1 && !both.empty()) return both;
  return std::vector<std::string>(withModel.begin(), withModel.end());
}

std::string JoinRelative(const std::string& root, const std::string& relative) {
  if (relative == kTopFolder) return root;
  std::string path = root;
  path += kPathSeparator;
  for (const char c : relative) path += c == '/' ? kPathSeparator : c;
  return path;
}

// The first read-me (in the reader's order) of a folder that is a file, or "".
std::string FirstReadme(const std::string& folder) {
  for (const std::string& name : FindFiles(JoinPath(folder, "*.txt"))) {
    if (FileExists(JoinPath(folder, name))) return name;
  }
  return "";
}

// Gives a mod folder without a read-me a copy of the nearest one above it, up to
// the archive's top.
void PlaceReadme(const std::string& root, const std::string& relative) {
  const std::string modFolder = JoinRelative(root, relative);
  if (!FindFiles(JoinPath(modFolder, "*.txt")).empty()) return;
  std::string above = relative;
  while (above != kTopFolder) {
    above = FolderOf(above);
    const std::string folder = JoinRelative(root, above);
    const std::string readme = FirstReadme(folder);
    if (readme.empty()) continue;
    WriteFileReplacing(JoinPath(modFolder, readme), ReadFileBytes(JoinPath(folder, readme)));
    return;
  }
}

}  // namespace

UnpackFolder UnpackFolder::Create() {
  const std::string parent = unpack_platform::TemporaryFolder();
  return UnpackFolder(unpack_platform::CreatePrivateFolder(parent, kUnpackFolderPrefix));
}

UnpackFolder::UnpackFolder(UnpackFolder&& other) noexcept
    : path_(std::move(other.path_)), keep_(other.keep_) {
  other.path_.clear();
}

UnpackFolder& UnpackFolder::operator=(UnpackFolder&& other) noexcept {
  if (this != &other) {
    Remove();
    path_ = std::move(other.path_);
    keep_ = other.keep_;
    other.path_.clear();
  }
  return *this;
}

void UnpackFolder::Remove() {
  if (!path_.empty() && !keep_) unpack_platform::RemoveTree(path_);
  path_.clear();
}

void RemoveStaleUnpackFolders() {
  try {
    const std::string parent = unpack_platform::TemporaryFolder();
    for (const std::string& folder :
         unpack_platform::StaleFolders(parent, kUnpackFolderPrefix, kStaleAfterSeconds)) {
      unpack_platform::RemoveTree(folder);
    }
  } catch (const Error&) {
    // No temporary folder: nothing can be stale either.
  }
}

ModSource::ModSource(const std::string& path, const UnpackLimits& limits)
    : path_(path), isArchive_(FileExists(path)) {
  if (!isArchive_) return;
  unpacked_ = UnpackFolder::Create();
  candidates_ = ModFolderCandidates(UnpackArchive(path, unpacked_.path(), limits));
  if (candidates_.empty()) throw Error(msg::NoModel(FullPath(path)));
}

std::string ModSource::ModFolder(const std::string& pick) {
  if (!isArchive_) return path_;
  std::string chosen = pick;
  if (chosen.empty()) {
    if (candidates_.size() != 1) throw Error(msg::SeveralModFolders(FullPath(path_)));
    chosen = candidates_.front();
  } else if (std::find(candidates_.begin(), candidates_.end(), chosen) == candidates_.end()) {
    throw Error(msg::NoSuchModFolder(FullPath(path_), chosen));
  }
  PlaceReadme(unpacked_.path(), chosen);
  return JoinRelative(unpacked_.path(), chosen);
}

}  // namespace wrenfield
