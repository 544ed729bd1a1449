// The install record: its manifest read back as written, what an installation
// records and what its checks refuse before anything is written, the sweep of
// leftovers, and the history.
#include "install_record.h"

#include <gtest/gtest.h>

#include <string>

#include "archive_image.h"
#include "error.h"
#include "file_system.h"
#include "install_test_support.h"
#include "install_undo.h"
#include "messages.h"
#include "readable_text.h"
#include "sha256.h"

namespace wrenfield {
namespace {

using namespace testing;  // the shared test-support layer

InstallRecord SampleRecord() {
  InstallRecord record;
  record.number = 12;
  record.state = RecordState::kUndoing;
  record.forced = true;
  record.date = "2026-05-04 13:22:10";
  record.modFolder = "C:\\mods\\100% \xCC\xEE\xE4";  // "%" and Cyrillic
  record.vehicle = "MONSTER";
  record.fields.handling = "MONSTER\t5000.0\r\nstray";  // a tab stays, a line break is escaped
  record.fields.DFF = "C:\\mods\\monster.dff";
  record.fields.Adv = {{"C:\\mods\\a.dff", true}, {"C:\\mods\\b.txd", false}};
  record.dataFiles.push_back(
      {DataFile::kHandling, std::string(64, 'a'), std::string(64, 'b'), {0, 41}, "MONSTER 1"});
  RecordedEntry replaced{"monster.dff", false, "entry-1.bin", std::string(64, 'c'),
                         std::string(64, 'd')};
  RecordedEntry added{"wheel.dff", true, "", "", std::string(64, 'e')};
  record.entries = {replaced, added};
  return record;
}

TEST(InstallRecordManifest, ReadsBackWhatItWrites) {
  const InstallRecord record = SampleRecord();
  const std::string text = FormatManifest(record);
  EXPECT_NE(text.find("state: undoing\r\nundo: forced\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("mod folder: C:\\mods\\100%25 \xCC\xEE\xE4\r\n"), std::string::npos);
  EXPECT_NE(text.find("  replaced lines: 1 42\r\n"), std::string::npos);
  InstallRecord back;
  ASSERT_TRUE(ParseManifest(text, back));
  EXPECT_EQ(FormatManifest(back), text);
  EXPECT_EQ(back.fields.handling, record.fields.handling);
  EXPECT_EQ(back.modFolder, record.modFolder);
  EXPECT_EQ(back.dataFiles[0].lines, record.dataFiles[0].lines);
  ASSERT_EQ(back.fields.Adv.size(), 2u);
  EXPECT_FALSE(back.fields.Adv[1].checked);
}

TEST(InstallRecordManifest, RefusesWhatItDoesNotWrite) {
  const std::string text = FormatManifest(SampleRecord());
  const std::pair<std::string, std::string> edits[] = {
      {"copy: entry-1.bin", "copy: ../../models/gta3.img"},  // a copy outside the record
      {"state: undoing", "state: done"},
      {"number: 12", "number: 0"},
      {"  old: " + std::string(64, 'c'), "  old: xyz"},
      {"Wrenfield install record 1", "Wrenfield install record 9"},
      {"\r\nvehicle: MONSTER\r\n", "\r\nvehicle: MONSTER\n"},
  };
  for (const auto& [from, to] : edits) {
    std::string edited = text;
    edited.replace(edited.find(from), from.size(), to);
    InstallRecord record;
    EXPECT_FALSE(ParseManifest(edited, record)) << to;
  }
  InstallRecord record;
  EXPECT_FALSE(ParseManifest(text.substr(0, text.size() - 1), record));  // cut short
}

TEST(InstallRecord, HoldsTheDataFilesAndOldEntriesAsTheyWere) {
  DemoInstall demo;
  const GameState before = StateOf(demo.game);
  WriteAll(JoinPath(demo.mod, "wheel.dff"), "new wheel");
  demo.fields.Adv = {{JoinPath(demo.mod, "wheel.dff"), true}};
  RecordingProgress progress;
  ASSERT_EQ(Install(demo, progress), "");

  InstallRecord record;
  ASSERT_TRUE(ReadRecord(demo.game, 1, record));
  EXPECT_EQ(record.state, RecordState::kComplete);
  EXPECT_EQ(record.vehicle, "MONSTER");
  EXPECT_EQ(record.modFolder, FullPath(demo.mod));
  ASSERT_EQ(record.dataFiles.size(), 4u);
  for (const RecordedDataFile& file : record.dataFiles) {
    const std::string copy = ReadAll(RecordFile(demo.game, 1, DataFileCopyName(file.file)));
    EXPECT_TRUE(SameBytes(copy, before.dataFiles.at(DataFileName(file.file))));
    EXPECT_EQ(file.before, Sha256Hex(copy));
    EXPECT_EQ(file.after, Sha256Hex(ReadAll(DataFilePath(demo.game, file.file))));
  }
  ASSERT_EQ(record.entries.size(), 3u);
  EXPECT_EQ(record.entries[0].name, "monster.dff");
  EXPECT_TRUE(SameBytes(ReadAll(RecordFile(demo.game, 1, record.entries[0].copy)),
                        before.entries.at("monster.dff")));
  EXPECT_EQ(record.entries[0].newHash, Sha256Hex(AsEntry(ReadAll(demo.fields.DFF))));
  EXPECT_TRUE(record.entries[2].added);
  EXPECT_EQ(record.entries[2].newHash, Sha256Hex(AsEntry("new wheel")));
}

// A record at sector 0 whose size runs past the end: IMGOpen takes the
// archive, but adding an entry would have to move that one.
TEST(InstallRecord, ArchiveChangeThatWouldFailIsRefusedBeforeAnythingIsWritten) {
  DemoInstall demo;
  Bytes image = ReadAll(demo.archive());
  PutRecord(image, 5, {0, 100000, RecordAt(image, 5).name});
  WriteAll(demo.archive(), image);
  WriteAll(JoinPath(demo.mod, "newpart.dff"), "part");
  demo.fields.DFF = JoinPath(demo.mod, "newpart.dff");
  const auto before = TreeSnapshot(demo.game);
  RecordingProgress progress;
  EXPECT_EQ(Readable(Install(demo, progress)),
            "IMG-архив '" + FullPath(demo.archive()) + "' повреждён: данные записи '" +
                RecordAt(image, 5).name + "' выходят за конец файла");
  EXPECT_TRUE(TreeSnapshot(demo.game) == before);

  // The model's name twice, exactly or but for letter case (the game finds
  // entries either way): which entry a replacement takes is unclear.
  demo.fields.DFF = JoinPath(demo.mod, "monster.dff");
  for (const char* second : {"monster.dff", "MONSTER.DFF"}) {
    Bytes twice = image;
    PutRecord(twice, 5, {RecordAt(twice, 7).offset, RecordAt(twice, 7).size, second});
    WriteAll(demo.archive(), twice);
    const auto withTwice = TreeSnapshot(demo.game);
    EXPECT_EQ(Readable(Install(demo, progress)),
              "В IMG-архиве '" + FullPath(demo.archive()) +
                  "' несколько записей 'monster.dff'; какую из них заменять, неясно")
        << second;
    EXPECT_TRUE(TreeSnapshot(demo.game) == withTwice) << second;
  }
}

TEST(InstallRecord, StaleTemporaryFilesAndRecordsWithoutManifestAreSwept) {
  DemoInstall demo;
  WriteAll(demo.data("handling.cfg.wrenfield-999999.tmp"), "left by a killed run");
  WriteAll(demo.data("carcols_Backup.dat.wrenfield-1.tmp"), "x");
  MakeDir(RecordsFolder(demo.game));
  MakeDir(RecordFolder(demo.game, 1));  // a record that never got its manifest
  WriteAll(RecordFile(demo.game, 1, "carcols.dat"), "half a record");
  WriteAll(demo.data("notes.tmp"), "not ours");
  RecordingProgress progress;
  ASSERT_EQ(Install(demo, progress), "");
  EXPECT_FALSE(Exists(demo.data("handling.cfg.wrenfield-999999.tmp")));
  EXPECT_FALSE(Exists(demo.data("carcols_Backup.dat.wrenfield-1.tmp")));
  EXPECT_TRUE(Exists(demo.data("notes.tmp")));
  const auto installs = ListInstalls(demo.game);
  ASSERT_EQ(installs.size(), 1u);  // the new record took number 1
  EXPECT_EQ(installs[0].number, 1u);
  EXPECT_EQ(progress.events, "OIE");  // nothing to recover: no message
}

TEST(InstallHistory, OneLinePerInstallThenTheSpaceTheRecordsTake) {
  DemoInstall demo;
  EXPECT_EQ(HistoryLines(demo.game), std::vector<std::string>{msg::RecordsSpace(0)});
  EXPECT_EQ(Readable(msg::RecordsSpace(0)), "Записи об установках занимают на диске 0 байт");
  RecordingProgress progress;
  ASSERT_EQ(Install(demo, progress), "");
  ASSERT_EQ(
      Install(demo.game, OtherVehicleFields(demo, "landstal", "LANDSTAL", 1), "LANDSTAL", progress),
      "");
  UndoInstall(demo.game, 1, false);
  const std::vector<std::string> lines = HistoryLines(demo.game);
  ASSERT_EQ(lines.size(), 3u);
  InstallRecord first;
  ASSERT_TRUE(ReadRecord(demo.game, 1, first));
  EXPECT_EQ(Readable(lines[0]),
            "1  " + first.date + "  MONSTER  " + FullPath(demo.mod) + "  отменена");
  EXPECT_EQ(lines[1].rfind("2  ", 0), 0u);
  EXPECT_NE(lines[1].find("  LANDSTAL  "), std::string::npos);
  EXPECT_EQ(
      Readable(lines[1]).substr(Readable(lines[1]).size() - std::string("установлена").size()),
      "установлена");
  EXPECT_EQ(Readable(lines[2]), "Записи об установках занимают на диске " +
                                    std::to_string(RecordsSize(demo.game)) + " байт");
  EXPECT_GT(RecordsSize(demo.game), 0u);
}

}  // namespace
}  // namespace wrenfield
