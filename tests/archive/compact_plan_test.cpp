// The plan of a compaction, run over random directories (holes, overlapping
// and empty entries, shuffled directory order) with small step limits: each
// step is carried out on a model of the archive's sectors, and no step may
// write a sector that a record covers unless its journal holds it.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "img_compact.h"

namespace tvtest {
namespace {

using img::CompactPlan;
using img::Entry;
constexpr std::uint64_t kSector = img::kSectorSize;

struct Archive {
  std::vector<Entry> directory;
  std::uint64_t sectors = 0;
};

Archive RandomArchive(std::mt19937& random) {
  Archive archive;
  const std::size_t count = random() % 30;
  std::uint32_t cursor =
      static_cast<std::uint32_t>(img::SectorsFor(img::SlotPosition(count)) + random() % 3);
  for (std::size_t i = 0; i < count; ++i) {
    Entry entry;
    const unsigned kind = random() % 10;
    if (kind == 0) {  // empty, anywhere
      entry.offset = random() % 2000;
    } else if (kind == 1 && i > 0 && archive.directory.back().size > 0) {  // overlapping
      const Entry& before = archive.directory.back();
      entry.offset = before.offset + random() % before.size;
      entry.size = 1 + random() % 30;
    } else {
      if (random() % 2 == 0) cursor += 1 + random() % 20;
      entry.offset = cursor;
      entry.size = 1 + random() % 40;
    }
    cursor = std::max<std::uint32_t>(cursor, entry.offset + entry.size);
    archive.directory.push_back(entry);
  }
  std::shuffle(archive.directory.begin(), archive.directory.end(), random);
  archive.sectors = cursor + random() % 4;
  return archive;
}

// What each entry's sectors hold, as tokens of the original sectors.
std::vector<std::vector<std::uint64_t>> Contents(const std::vector<Entry>& directory,
                                                 const std::vector<std::uint64_t>& sectors) {
  std::vector<std::vector<std::uint64_t>> contents;
  for (const Entry& entry : directory) {
    contents.emplace_back(sectors.begin() + entry.offset * (entry.size > 0),
                          sectors.begin() + (entry.offset + entry.size) * (entry.size > 0));
  }
  return contents;
}

bool Covered(const std::vector<Entry>& directory, std::uint64_t sector) {
  return std::any_of(directory.begin(), directory.end(), [&](const Entry& e) {
    return e.size > 0 && sector >= e.offset && sector < e.offset + e.size;
  });
}

TEST(CompactPlanTest, StepsKeepEveryEntryAndOverwriteOnlyWhatTheirJournalHolds) {
  std::mt19937 random(17);
  for (int round = 0; round < 400; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const Archive archive = RandomArchive(random);
    const img::CompactLimits limits{(1 + random() % 60) * kSector, (1 + random() % 60) * kSector,
                                    (random() % 20) * kSector};
    const CompactPlan plan =
        img::PlanCompaction(archive.directory, archive.sectors * kSector, limits);
    ASSERT_EQ(plan.verdict, CompactPlan::Verdict::kReady);

    std::vector<std::uint64_t> sectors(archive.sectors);
    for (std::uint64_t s = 0; s < sectors.size(); ++s) sectors[s] = s;
    const auto expected = Contents(archive.directory, sectors);
    std::vector<Entry> committed = archive.directory;
    std::uint64_t moved = 0;
    for (const img::CompactStep& step : plan.steps) {
      ASSERT_TRUE(step.bytes <= limits.step_bytes || step.last == step.first + 1);
      ASSERT_TRUE(step.overwritten_end - step.overwritten_begin <=
                      std::max(limits.journal_bytes, limits.spill_bytes) ||
                  step.last == step.first + 1);
      std::vector<Entry> next = committed;
      for (std::size_t b = step.first; b < step.last; ++b) {
        const img::CompactBlock& block = plan.blocks[b];
        ASSERT_LT(block.to, block.from);
        for (std::uint64_t k = 0; k < block.bytes / kSector; ++k) {
          const std::uint64_t to = block.to / kSector + k;
          const bool journalled =
              to * kSector >= step.overwritten_begin && to * kSector < step.overwritten_end;
          ASSERT_TRUE(journalled || !Covered(committed, to)) << "sector " << to;
          sectors[to] = sectors[block.from / kSector + k];
        }
        for (std::size_t k = block.first; k < block.last; ++k) {
          next[plan.order[k]].offset -=
              static_cast<std::uint32_t>((block.from - block.to) / kSector);
        }
        moved += block.bytes;
      }
      committed = next;
      ASSERT_EQ(Contents(committed, sectors), expected);
    }
    EXPECT_EQ(moved, plan.bytes_to_move);
    // No hole is left between the directory's sector and the compacted end.
    const std::uint64_t floor = img::SectorsFor(img::SlotPosition(committed.size()));
    for (std::uint64_t s = floor; s < plan.compacted_length / kSector; ++s) {
      ASSERT_TRUE(Covered(committed, s)) << "sector " << s;
    }
    for (const Entry& entry : committed) {
      if (entry.size > 0) {
        EXPECT_LE(entry.DataEnd(), plan.compacted_length);
      }
    }
  }
}

}  // namespace
}  // namespace tvtest
