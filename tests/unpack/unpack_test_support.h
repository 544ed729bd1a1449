// Shared scaffolding of the unpack tests: the sample archives, a temporary folder of
// the test's own (so that what unpacking leaves behind can be seen), folder trees
// read back, and zip archives written byte by byte for the cases no tool makes.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "archive_unpack.h"

namespace wrenfield::testing {

// A sample archive made by make_sample_archives.sh, and the tree it was made from.
std::string Sample(const std::string& name);
std::string SampleTree(const std::string& name);
// A sample from libarchive's own test data (RAR archives and encrypted ones).
std::string LibarchiveSample(const std::string& name);

// A sample archive, the mod folder to pick in it ("" when there is one only) and the
// folder of the sample trees (UTF-8) that holds the same mod unpacked by hand.
struct SampleMod {
  const char* archive;
  const char* pick;
  const char* handFolder;
};

// While it lives, the user's temporary folder is a fresh empty folder of its own,
// removed at the end.
class TemporaryRoot {
 public:
  TemporaryRoot();
  ~TemporaryRoot();
  TemporaryRoot(const TemporaryRoot&) = delete;
  TemporaryRoot& operator=(const TemporaryRoot&) = delete;
  const std::string& path() const { return path_; }
  std::size_t EntryCount() const;

 private:
  std::string path_;
  std::string previous_;
  bool hadPrevious_ = false;
};

// Every file of a folder tree: relative path ("/" between parts) -> bytes; folders
// as "<folder>".
using Tree = std::map<std::string, std::string>;
Tree TreeOf(const std::string& folder);
// A game folder's tree with the lines of its install records that say when and
// from where each installation ran left out: two installations of the same mod
// from different places compare equal.
Tree GameTreeOf(const std::string& game);
// A sample tree with its names as the unpacked copy spells them (code page 1251;
// on Linux the sample trees' names are UTF-8).
Tree SampleTreeAsUnpacked(const std::string& name);

// A path inside the sample trees, written in UTF-8, as this system spells it
// (UTF-8 on Linux, the system code page on Windows).
std::string SamplePathText(const std::string& utf8);

// UTF-8 text as code page 1251 (the tests' expectations are written readable).
std::string Cp(const std::string& utf8);
// UTF-8 text as code page 866, as Russian zip tools store names without the
// UTF-8 flag ("?" for what it lacks).
std::string Cp866(const std::string& utf8);

// A zip entry written as given: raw name bytes, general purpose flags, Unix mode
// bits (file type included) when nonzero, deflated or stored, and the sizes and
// CRC the headers claim when they differ from the truth. `deflated`, when set, is
// the entry's deflate stream, written as it is with `claimedSize` and `crc`.
// `dosAttributes` (0x10: a folder) go into the low byte of the external
// attributes, as archivers on Windows write them.
struct ZipEntry {
  std::string name;
  std::string data;
  std::uint16_t flags = 0;
  std::uint32_t unixMode = 0;
  bool deflate = false;
  std::int64_t claimedSize = -1;
  bool wrongCrc = false;
  std::string deflated{};
  std::uint32_t crc = 0;
  std::uint8_t dosAttributes = 0;
};
std::string ZipOf(const std::vector<ZipEntry>& entries);

// An entry of `size` zero bytes, deflated without deflating them all: one
// independently flushed segment repeated.
ZipEntry ZerosEntry(const std::string& name, std::uint64_t size);

// Writes bytes to a file of a fresh scratch folder (removed at the end of the
// test program) and returns its path.
std::string ScratchFile(const std::string& name, const std::string& bytes);

// An archive unpacked into a fresh unpack folder (removed again): the files the
// unpacking reported and the tree it left, or the message it refused with.
struct Unpacked {
  std::vector<std::string> files;
  Tree tree;
  std::string error;
};
Unpacked UnpackToTree(const std::string& archive, const UnpackLimits& limits = {});

}  // namespace wrenfield::testing
