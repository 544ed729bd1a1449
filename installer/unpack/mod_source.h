// What the user points Wrenfield at: a mod folder, or a downloaded archive that is
// unpacked into a private temporary folder where the mod folder is then found.
#pragma once

#include <string>
#include <vector>

#include "archive_unpack.h"

namespace wrenfield {

// A private folder under the user's temporary folder, removed with everything in
// it when its owner goes (or Remove is called), unless Keep was called.
class UnpackFolder {
 public:
  UnpackFolder() = default;
  // Creates a fresh one. Throws Error.
  static UnpackFolder Create();
  ~UnpackFolder() { Remove(); }
  UnpackFolder(UnpackFolder&& other) noexcept;
  UnpackFolder& operator=(UnpackFolder&& other) noexcept;
  UnpackFolder(const UnpackFolder&) = delete;
  UnpackFolder& operator=(const UnpackFolder&) = delete;

  const std::string& path() const { return path_; }  // empty when there is none
  // Leaves the folder in place for a later run; it is removed once stale.
  void Keep() { keep_ = true; }
  void Remove();

 private:
  explicit UnpackFolder(std::string path) : path_(std::move(path)) {}
  std::string path_;
  bool keep_ = false;
};

// The names of unpack folders begin with this, in the user's temporary folder.
extern const char kUnpackFolderPrefix[];

// Removes the unpack folders last changed more than a day ago: those an earlier
// run kept (the CLI's read) or could not remove (it was ended). Never throws.
void RemoveStaleUnpackFolders();

// A mod source: an existing file is an archive, unpacked into a fresh private
// folder that this object owns; anything else is a mod folder used as it is.
class ModSource {
 public:
  // Throws Error when the archive cannot be unpacked or holds no .dff; the private
  // folder is then already removed.
  explicit ModSource(const std::string& path, const UnpackLimits& limits = {});

  const std::string& path() const { return path_; }
  bool isArchive() const { return isArchive_; }

  // The folders of an archive that may be the mod folder: each holds a .dff and,
  // when several do, a .txd as well (all of them when none has one). Paths relative
  // to the archive's top, "/" between parts, "." for the top itself; sorted.
  const std::vector<std::string>& candidates() const { return candidates_; }

  // The folder the reader is to run on: the folder itself, or the chosen candidate
  // (`pick`, or the only one) in the private copy. A candidate without a .txt of its
  // own gets a copy of the read-me of the nearest folder above it that has one.
  // Throws Error for a pick that is no candidate, or when a choice is needed and
  // `pick` is empty.
  std::string ModFolder(const std::string& pick = "");

  // The private folder (empty for a mod folder).
  const std::string& unpackedPath() const { return unpacked_.path(); }
  // Leaves the private folder in place when this object goes (the CLI's read,
  // whose printed paths a later install uses).
  void KeepUnpacked() { unpacked_.Keep(); }

 private:
  std::string path_;
  bool isArchive_ = false;
  UnpackFolder unpacked_;
  std::vector<std::string> candidates_;
};

}  // namespace wrenfield
