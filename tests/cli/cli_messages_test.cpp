// The command-line section of the message table: the sentences whose form
// depends on their values (plurals, padding, columns), and values that look
// like placeholders.
#include "cli_messages.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "archive_image.h"
#include "commands.h"
#include "gtest_support.h"
#include "run_command.h"
#include "scratch_dir.h"

namespace wrenfield {
namespace {

using namespace testing;  // the shared test-support layer
namespace text = msg::cli;

TEST(CliMessagesTest, CountsTakeTheirSingularAndPlural) {
  EXPECT_EQ(text::EntryCount("a.img", 1), "a.img: 1 entry");
  EXPECT_EQ(text::EntryCount("a.img", 0), "a.img: 0 entries");
  EXPECT_EQ(text::Problems("a.img", 1), "a.img: 1 problem found");
  EXPECT_EQ(text::Problems("a.img", 2), "a.img: 2 problems found");
  EXPECT_EQ(text::CompactionPlan("a.img", 10, true, 4, 2),
            "a.img: 10 bytes; compaction would reclaim 4 bytes, moving 2 bytes");
  EXPECT_EQ(text::CompactionPlan("a.img", 10, false, 4, 2),
            "a.img: 10 bytes; compaction reclaims 4 bytes, moving 2 bytes");
}

TEST(CliMessagesTest, ProgressKeepsThePercentageInThreePlaces) {
  EXPECT_EQ(text::CompactProgress(5, 1, 20), "compacting:   5% (1 of 20 bytes moved)");
  EXPECT_EQ(text::CompactProgress(100, 20, 20), "compacting: 100% (20 of 20 bytes moved)");
}

// A path or a name given on the command line is put in as it is, even when it
// looks like a placeholder.
TEST(CliMessagesTest, ValuesAreNeverFilledAgain) {
  EXPECT_EQ(text::NoSuchEntry("{2}.img", "{1}"), "{2}.img has no entry '{1}'");
  EXPECT_EQ(text::FieldsJson("expected '{'", 7), "fields JSON: expected '{' (at byte 7)");
}

// The heading of `img list` stands over its columns: each heading ends where
// the numbers under it end, and "name" starts where the names start.
TEST(CliMessagesTest, ListHeadingLinesUpWithTheRows) {
  ScratchDir dir{"cli-messages"};
  const std::string archive = dir.Path("gta3.img");
  WriteAll(archive, BuildArchive({{1, 2, "car.dff"}}));
  const CommandResult listed = RunCommand(cli::RunImgCommand, {"list", archive});
  ASSERT_EQ(listed.status, 0) << listed.err;
  std::istringstream lines(listed.out);
  std::string count, heading, row;
  std::getline(lines, count);
  std::getline(lines, heading);
  std::getline(lines, row);
  EXPECT_EQ(heading, text::ListHeading());
  ASSERT_EQ(heading.size(), row.size()) << heading << "\n" << row;
  EXPECT_EQ(heading.find("name"), row.find("car.dff"));
  for (const std::string column : {"#", "sector", "sectors", "bytes"}) {
    const std::size_t end = heading.find(" " + column) + 1 + column.size();
    ASSERT_LE(end, row.size()) << column;
    EXPECT_NE(row[end - 1], ' ') << column << "\n" << heading << "\n" << row;
    EXPECT_TRUE(end == row.size() || row[end] == ' ') << column << "\n" << row;
  }
}

}  // namespace
}  // namespace wrenfield
