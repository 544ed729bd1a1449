// Archive writes that fail for real: the installation runs in a forked child
// whose file size limit stops Torvane's writes part-way, as a full disk would.
// (Wrenfield's own file layer has a test seam: install_write_failure_test.)
#include <gtest/gtest.h>

#include <string>

#include "child_process_posix.h"
#include "data_files.h"
#include "demo_game.h"
#include "file_system.h"
#include "install_messages.h"
#include "install_test_support.h"
#include "line_replace.h"

namespace wrenfield {
namespace {

using namespace testing;  // the shared test-support layer
namespace msg = install_messages;

struct ChildResult {
  std::string events;
  std::string message;
};

// Installs in a child process limited to files of at most limit bytes.
ChildResult InstallWithFileSizeLimit(const DemoInstall& demo, std::uint64_t limit) {
  const std::string out = testing::InChildWithFileSizeLimit(limit, [&] {
    RecordingProgress progress;
    const std::string message = Install(demo, progress);
    return progress.events + '\n' + message;
  });
  const auto newline = out.find('\n');
  if (newline == std::string::npos) return {"", out};
  return {out.substr(0, newline), out.substr(newline + 1)};
}

// The archive may not grow: a file that does not fit its entry's allotment
// has to go to the archive's end, and that write fails.
TEST(InstallWithWriteFailures, ModelThatCannotBeWrittenFailsAfterTheDataFiles) {
  DemoInstall demo;
  const std::string archiveSize = ReadAll(demo.archive());
  const std::string stock = ReadAll(demo.data("vehicles.ide"));
  WriteAll(demo.fields.DFF, DemoBytes(64 * 1024, 1));
  const ChildResult result = InstallWithFileSizeLimit(demo, archiveSize.size());
  EXPECT_EQ(result.message, msg::kModelReplaceFailed);
  EXPECT_EQ(result.events, "OE");
  EXPECT_TRUE(SameBytes(ReadAll(demo.data("vehicles_Backup.ide")), stock));
  EXPECT_FALSE(SameBytes(ReadAll(demo.data("vehicles.ide")), stock));
  EXPECT_FALSE(
      SameBytes(ExtractEntry(demo.archive(), "monster.dff"), AsEntry(ReadAll(demo.fields.DFF))));
}

TEST(InstallWithWriteFailures, TextureThatCannotBeWrittenFailsAfterTheModel) {
  DemoInstall demo;
  const std::size_t archiveSize = ReadAll(demo.archive()).size();
  WriteAll(demo.fields.TXD, DemoBytes(64 * 1024, 2));
  const ChildResult result = InstallWithFileSizeLimit(demo, archiveSize);
  EXPECT_EQ(result.message, msg::kTextureReplaceFailed);
  EXPECT_EQ(result.events, "OE");
  EXPECT_TRUE(
      SameBytes(ExtractEntry(demo.archive(), "monster.dff"), AsEntry(ReadAll(demo.fields.DFF))));
}

TEST(InstallWithWriteFailures, AdditionalFileThatCannotBeWrittenIsNoSuccess) {
  DemoInstall demo;
  const std::size_t archiveSize = ReadAll(demo.archive()).size();
  const std::string refused = JoinPath(demo.mod, "a_name_of_24_chars_x.dff");
  const std::string big = JoinPath(demo.mod, "wheels.dff");
  WriteAll(refused, "refused by name");
  WriteAll(big, DemoBytes(64 * 1024, 3));
  demo.fields.Adv = {{refused, true}, {big, true}};
  const ChildResult result = InstallWithFileSizeLimit(demo, archiveSize);
  EXPECT_EQ(result.message, msg::kArchiveWriteFailed);
  EXPECT_EQ(result.events, "OE");
  EXPECT_TRUE(
      SameBytes(ExtractEntry(demo.archive(), "monster.txd"), AsEntry(ReadAll(demo.fields.TXD))));
}

}  // namespace
}  // namespace wrenfield
