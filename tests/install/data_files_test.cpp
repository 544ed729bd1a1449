#include "data_files.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "error_of.h"
#include "file_system.h"
#include "install_test_support.h"
#include "messages.h"

namespace wrenfield {
namespace {

using namespace testing;  // the shared test-support layer

// A game folder with only a data folder.
class DataFilesTest : public ::testing::Test {
 protected:
  DataFilesTest() { testing::MakeDir(JoinPath(game_, "data")); }
  std::string Path(DataFile file) const { return DataFilePath(game_, file); }
  std::string Backup(DataFile file) const { return BackupFilePath(game_, file); }
  std::string PatchMessage(DataFile file, const std::string& replacement, const std::string& key) {
    return testing::ErrorOf([&] { PatchDataFile(game_, file, replacement, key); });
  }

  ScratchDir dir_;
  std::string game_ = dir_.Path("game");
};

TEST_F(DataFilesTest, PathsUseTheNativeSeparator) {
  EXPECT_EQ(Path(DataFile::kCarcols),
            game_ + kPathSeparator + "data" + kPathSeparator + "carcols.dat");
  EXPECT_EQ(Backup(DataFile::kHandling),
            game_ + kPathSeparator + "data" + kPathSeparator + "handling_Backup.cfg");
  EXPECT_EQ(Backup(DataFile::kVehicles),
            game_ + kPathSeparator + "data" + kPathSeparator + "vehicles_Backup.ide");
  EXPECT_EQ(Backup(DataFile::kCarmods),
            game_ + kPathSeparator + "data" + kPathSeparator + "carmods_Backup.dat");
}

TEST_F(DataFilesTest, RewritesLfCrAndUnterminatedFilesWithCrLf) {
  WriteAll(Path(DataFile::kCarcols), "col\nmonster, 1,1\nmonstera, 1,1\nend");
  EXPECT_EQ(PatchMessage(DataFile::kCarcols, "monster, 5,5", "monster"), "");
  EXPECT_EQ(ReadAll(Path(DataFile::kCarcols)), "col\r\nmonster, 5,5\r\nmonstera, 1,1\r\nend\r\n");

  WriteAll(Path(DataFile::kCarmods), "mods\rtug, a\r\rtugstair, b\r");
  EXPECT_EQ(PatchMessage(DataFile::kCarmods, "tug, c", "tug"), "");
  EXPECT_EQ(ReadAll(Path(DataFile::kCarmods)), "mods\r\ntug, c\r\n\r\ntugstair, b\r\n");

  const std::string withNul("400, x\r\n401,\0y\n", 15);
  WriteAll(Path(DataFile::kVehicles), withNul);
  EXPECT_EQ(PatchMessage(DataFile::kVehicles, "400, z", "400"), "");
  EXPECT_EQ(ReadAll(Path(DataFile::kVehicles)), std::string("400, z\r\n401,\0y\r\n", 16));
}

TEST_F(DataFilesTest, ReplacesEveryMatchingLineInEverySection) {
  WriteAll(Path(DataFile::kCarcols),
           "car\r\nmonster, 1,1\r\nbus, 2,2\r\nend\r\ncar4\r\nmonster, 1,1,1,1\r\nend\r\n");
  EXPECT_EQ(PatchMessage(DataFile::kCarcols, "monster, 7,7", "monster"), "");
  EXPECT_EQ(ReadAll(Path(DataFile::kCarcols)),
            "car\r\nmonster, 7,7\r\nbus, 2,2\r\nend\r\ncar4\r\nmonster, 7,7\r\nend\r\n");
}

TEST_F(DataFilesTest, NoMatchFailsWithTheRowsMessageAndLeavesTheFile) {
  const std::string text = "mods\nmonstera, nto_b_l\n MONSTER, x\n";
  for (const DataFile file : kAllDataFiles) WriteAll(Path(file), text);
  EXPECT_EQ(PatchMessage(DataFile::kCarcols, "monster, 1", "monster"),
            msg::DataLineNotReplaced("carcols.dat"));
  EXPECT_EQ(PatchMessage(DataFile::kHandling, "MONSTER 1", "MONSTER"),
            msg::DataLineNotReplaced("handling.cfg"));
  EXPECT_EQ(PatchMessage(DataFile::kVehicles, "444, m", "444"),
            msg::DataLineNotReplaced("vehicles.ide"));
  EXPECT_EQ(PatchMessage(DataFile::kCarmods, "x", ""), msg::DataLineNotReplaced("carmods.dat"));
  for (const DataFile file : kAllDataFiles) EXPECT_EQ(ReadAll(Path(file)), text);

  WriteAll(Path(DataFile::kCarcols), "");
  EXPECT_EQ(PatchMessage(DataFile::kCarcols, "monster, 1", "monster"),
            msg::DataLineNotReplaced("carcols.dat"));
  EXPECT_EQ(ReadAll(Path(DataFile::kCarcols)), "");
}

TEST_F(DataFilesTest, MissingFileFailsWithTheOpenErrorNamingItsFullPath) {
  const std::string message = PatchMessage(DataFile::kVehicles, "400, x", "400");
  EXPECT_NE(message.find("'" + FullPath(Path(DataFile::kVehicles)) + "': "), std::string::npos)
      << message;
  EXPECT_FALSE(testing::Exists(Path(DataFile::kVehicles)));
}

TEST_F(DataFilesTest, TemporaryFileBlockedFailsWithTheCreateErrorAndKeepsTheFile) {
  // A folder stands where the rewrite puts its temporary file (named after the
  // target and the process).
  WriteAll(Path(DataFile::kCarcols), "monster, 1,1\n");
  testing::MakeDir(Path(DataFile::kCarcols) + ".wrenfield-" + std::to_string(testing::ProcessId()) +
                   ".tmp");
  const std::string message = PatchMessage(DataFile::kCarcols, "monster, 2,2", "monster");
  EXPECT_NE(message.find("'" + FullPath(Path(DataFile::kCarcols)) + "': "), std::string::npos)
      << message;
  EXPECT_EQ(ReadAll(Path(DataFile::kCarcols)), "monster, 1,1\n");
}

TEST_F(DataFilesTest, BackupsCopyOverwriteAndPassOverMissingDataFiles) {
  WriteAll(Path(DataFile::kCarcols), "carcols v1");
  WriteAll(Path(DataFile::kHandling), "handling v1");
  WriteAll(Backup(DataFile::kCarcols), "old backup");
  WriteAll(Backup(DataFile::kVehicles), "backup of a missing file");
  BackupDataFiles(game_);
  EXPECT_EQ(ReadAll(Backup(DataFile::kCarcols)), "carcols v1");
  EXPECT_EQ(ReadAll(Backup(DataFile::kHandling)), "handling v1");
  EXPECT_EQ(ReadAll(Backup(DataFile::kVehicles)), "backup of a missing file");
  EXPECT_FALSE(testing::Exists(Backup(DataFile::kCarmods)));
}

TEST_F(DataFilesTest, BackupThatCannotBeWrittenStopsWithItsFullPath) {
  WriteAll(Path(DataFile::kCarcols), "carcols");
  WriteAll(Path(DataFile::kHandling), "handling");
  testing::MakeDir(Backup(DataFile::kHandling));
  EXPECT_EQ(testing::ErrorOf([&] { BackupDataFiles(game_); }),
            msg::BackupFailed(FullPath(Backup(DataFile::kHandling))));
  EXPECT_EQ(ReadAll(Backup(DataFile::kCarcols)), "carcols");
  EXPECT_FALSE(testing::Exists(Backup(DataFile::kVehicles)));

  // The same folder standing in the way of a missing data file's backup is no failure.
  testing::MakeDir(Backup(DataFile::kVehicles));
  std::remove(Path(DataFile::kHandling).c_str());
  EXPECT_NO_THROW(BackupDataFiles(game_));
}

}  // namespace
}  // namespace wrenfield
