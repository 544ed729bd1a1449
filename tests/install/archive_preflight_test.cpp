// The installation's pre-check of the archive against what Torvane then does:
// over random archives, sound and damaged, the pre-check accepts a set of
// files exactly when the library copies each entry to be replaced and takes
// every file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "archive_image.h"
#include "archive_layout.h"
#include "error.h"
#include "scratch_dir.h"
#include "torvane.h"

namespace wrenfield {
namespace {

using namespace testing;  // the shared test-support layer

std::string Upper(std::string name) {
  for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return name;
}

// An archive and the files an installation puts into it.
struct Case {
  Bytes image;
  std::vector<ArchiveChange> changes;
};

class ArchivePreflight : public ::testing::Test {
 protected:
  bool PreflightAccepts(const Case& c) {
    WriteAll(archive_, c.image);
    const ArchiveLayout layout = ReadArchiveLayout(archive_);
    EXPECT_TRUE(layout.known);
    try {
      CheckArchiveChanges(layout, archive_, c.changes);
    } catch (const Error&) {
      return false;
    }
    return true;
  }

  // As the installation drives the library: each entry a file replaces is
  // copied out first, then the files go in, in order, under the names the
  // game finds.
  bool LibraryTakes(const Case& c) {
    WriteAll(archive_, c.image);
    const ArchiveLayout layout = ReadArchiveLayout(archive_);
    std::vector<std::string> names;
    for (const ArchiveChange& change : c.changes) names.push_back(change.name);
    names = NamesAsTheGameFinds(layout, names);
    if (IMGOpen(archive_.c_str()) != TORVANE_OK) {
      IMGClose();
      ADD_FAILURE() << "IMGOpen refused the archive";
      return false;
    }
    bool taken = true;
    const std::set<std::string> distinct(names.begin(), names.end());
    for (const std::string& name : distinct) {
      taken = taken && IMGExtractFile(name.c_str(), dir_.Path("old.bin").c_str()) == TORVANE_OK;
    }
    for (std::size_t i = 0; taken && i < c.changes.size(); ++i) {
      const std::string source =
          dir_.Write("file" + std::to_string(i), Pattern(c.changes[i].bytes, 7 + i));
      taken = IMGAddFile(source.c_str(), names[i].c_str(), 1) == TORVANE_OK;
    }
    IMGClose();
    return taken;
  }

  ScratchDir dir_{"preflight"};
  std::string archive_ = dir_.Path("gta3.img");
};

// The image cut to `length` bytes.
Bytes CutTo(Bytes image, std::uint64_t length) {
  image.resize(length);
  return image;
}

// An entry of size 0 reads nothing wherever it points: replacing one whose
// offset lies past the archive's end, or moving it out of a growing
// directory's way, is done by the library, and the pre-check lets it be.
TEST_F(ArchivePreflight, AnEmptyEntryPastTheEndStopsNothing) {
  const Bytes image = BuildArchive({{1, 1, "wheel.dff"}, {60, 0, "car.dff"}});
  Case replaced{CutTo(image, 2 * img::kSectorSize), {{"car.dff", 3000}}};
  EXPECT_TRUE(PreflightAccepts(replaced));
  EXPECT_TRUE(LibraryTakes(replaced));

  std::vector<Record> records;
  for (int i = 0; i < 62; ++i) records.push_back({0, 0, "e" + std::to_string(i) + ".dff"});
  records[5] = {1, 0, "car.dff"};  // in the way of a directory of 64 records
  Case moved{CutTo(BuildArchive(records), 2040), {{"new.dff", 10}, {"new.txd", 10}}};
  EXPECT_TRUE(PreflightAccepts(moved));
  EXPECT_TRUE(LibraryTakes(moved));
}

// Small directories, and ones about to grow into the first data sector;
// entries that overlap, lie inside the directory, run past the end or point
// far beyond it; archives cut short; files replacing entries (under another
// letter case too) or added, some under names the game takes for one.
Case RandomCase(std::mt19937& random) {
  auto pick = [&random](std::uint32_t n) { return static_cast<std::uint32_t>(random() % n); };
  const std::uint32_t count = pick(2) == 0 ? pick(6) : 58 + pick(8);
  std::vector<Record> records;
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint32_t offset = pick(8) == 0 ? 200 + pick(50) : pick(8);
    records.push_back({offset, pick(4), "e" + std::to_string(i) + ".dff"});
  }
  Bytes image = BuildArchive(records, pick(4) * img::kSectorSize);
  if (pick(3) != 0) {
    const std::uint64_t floor = img::SlotPosition(count);
    const std::uint64_t span = std::min<std::uint64_t>(image.size() - floor, 4 * img::kSectorSize);
    image.resize(floor + random() % (span + 1));
  }
  Case c{image, {}};
  const std::uint64_t sizes[] = {0, 1, 2048, 2049, 6000};
  for (std::uint32_t k = 1 + pick(3); k > 0; --k) {
    std::string name = "n" + std::to_string(pick(2)) + ".dff";
    if (count > 0 && pick(2) == 0) name = records[pick(count)].name;
    if (pick(3) == 0) name = Upper(name);
    c.changes.push_back({name, sizes[pick(5)]});
  }
  return c;
}

TEST_F(ArchivePreflight, AcceptsExactlyWhatTheLibraryTakes) {
  std::mt19937 random(2101);
  int accepted = 0;
  int refused = 0;
  for (int i = 0; i < 200; ++i) {
    const Case c = RandomCase(random);
    const bool preflight = PreflightAccepts(c);
    ASSERT_EQ(preflight, LibraryTakes(c)) << "case " << i;
    ++(preflight ? accepted : refused);
  }
  // Both outcomes are met often enough for the comparison to mean something.
  EXPECT_GT(accepted, 60) << refused;
  EXPECT_GT(refused, 40) << accepted;
}

}  // namespace
}  // namespace wrenfield
