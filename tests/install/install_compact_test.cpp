// Installs and undos leave holes in gta3.img; compaction takes the space back:
// after fifty of each, the archive is as long as one written fresh with the
// same entries, and every entry is byte for byte as before.
#include <gtest/gtest.h>

#include <string>

#include "archive_compact.h"
#include "archive_image.h"
#include "error.h"
#include "install_test_support.h"
#include "install_undo.h"
#include "readable_text.h"
#include "torvane.h"

namespace wrenfield {
namespace {

using namespace testing;  // the shared test-support layer

// The length of an archive holding these records' data packed after the
// directory's sectors.
std::uint64_t FreshLength(const std::vector<Record>& records) {
  std::uint64_t sectors = (8 + 32 * records.size() + 2047) / 2048;
  for (const Record& record : records) sectors += record.size;
  return sectors * 2048;
}

TEST(InstallAndCompact, FiftyInstallsAndUndosThenCompactionLeaveAFreshArchive) {
  DemoInstall demo(40);
  const Bytes before = ReadAll(demo.archive());
  const std::vector<Record> records = DirectoryOf(before);
  for (int cycle = 0; cycle < 50; ++cycle) {
    SCOPED_TRACE("cycle " + std::to_string(cycle));
    RecordingProgress progress;
    ASSERT_EQ(Install(demo, progress), "");
    try {
      UndoInstall(demo.game, 0, false);
    } catch (const Error& e) {
      FAIL() << e.message();
    }
  }
  ASSERT_GT(ReadAll(demo.archive()).size(), 3 * before.size());

  ASSERT_EQ(IMGOpen(demo.archive().c_str()), TORVANE_OK);
  EXPECT_EQ(IMGCompact(nullptr, nullptr), TORVANE_OK);
  IMGClose();
  const Bytes after = ReadAll(demo.archive());
  // The demo generator leaves a sector of room after the directory; that
  // goes too.
  EXPECT_EQ(after.size(), FreshLength(records));
  const std::vector<Record> compacted = DirectoryOf(after);
  ASSERT_EQ(compacted.size(), records.size());
  for (std::size_t i = 0; i < records.size(); ++i) {
    EXPECT_EQ(compacted[i].name, records[i].name);
    EXPECT_EQ(compacted[i].size, records[i].size);
    EXPECT_EQ(SectorsOf(after, compacted[i].offset, compacted[i].size),
              SectorsOf(before, records[i].offset, records[i].size))
        << records[i].name;
  }
}

// The window's compaction: what it says it would give back is what goes, its
// progress ends with everything moved, and it names both lengths.
TEST(InstallAndCompact, TheGameFoldersArchiveCompactsAsTheListSays) {
  DemoInstall demo(40);
  RecordingProgress progress;
  ASSERT_EQ(Install(demo, progress), "");
  UndoInstall(demo.game, 0, false);
  const GameState before = StateOf(demo.game);
  const std::uint64_t holed = ReadAll(demo.archive()).size();
  const std::uint64_t reclaimable = ReclaimableSpace(demo.game);
  ASSERT_GT(reclaimable, 0u);
  EXPECT_EQ(Readable(ReclaimableText(reclaimable)),
            "Сжатие IMG-архива освободит " + std::to_string(reclaimable) + " байт");

  std::vector<std::pair<std::uint64_t, std::uint64_t>> reports;
  const std::string message =
      CompactGameArchive(demo.game, [&reports](std::uint64_t moved, std::uint64_t total) {
        reports.emplace_back(moved, total);
        return false;
      });
  ASSERT_FALSE(reports.empty());
  EXPECT_EQ(reports.back().first, reports.back().second);
  EXPECT_EQ(ReadAll(demo.archive()).size(), holed - reclaimable);
  EXPECT_EQ(Readable(message), "IMG-архив сжат: было " + std::to_string(holed) + " байт, стало " +
                                   std::to_string(holed - reclaimable) + " байт.");
  EXPECT_EQ(StateDifference(StateOf(demo.game), before), "");
  EXPECT_EQ(ReclaimableSpace(demo.game), 0u);
  EXPECT_EQ(ReclaimableSpace(""), 0u);
}

}  // namespace
}  // namespace wrenfield
