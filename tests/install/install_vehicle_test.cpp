#include "install_vehicle.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <iterator>

#include "archive_image.h"
#include "data_files.h"
#include "demo_game.h"
#include "file_system.h"
#include "install_test_support.h"
#include "install_undo.h"
#include "line_replace.h"
#include "messages.h"
#include "readable_text.h"
#include "torvane.h"

namespace wrenfield {
namespace {

using namespace testing;  // the shared test-support layer

// The data file as it should be after the installation: every line that
// begins with the key as a whole name replaced, CR LF throughout.
std::string Patched(const std::string& original, const std::string& key,
                    const std::string& replacement) {
  Lines lines = SplitLines(original);
  for (auto& line : lines) {
    if (line.compare(0, key.size(), key) == 0 &&
        (line.size() == key.size() || line[key.size()] == ',' || line[key.size()] == ' ' ||
         line[key.size()] == '\t')) {
      line = replacement;
    }
  }
  return JoinLinesCrLf(lines);
}

std::string CopyOfArchive(const DemoInstall& demo) {
  const std::string copy = demo.dir.Path("gta3-before.img");
  WriteAll(copy, ReadAll(demo.archive()));
  return copy;
}

bool Exists(const std::string& path) { return testing::Exists(path); }

std::string DataKey(const char* name) { return std::string("data") + kPathSeparator + name; }

TEST(InstallVehicle, InstallsTheDemoModAndTouchesNoOtherVehicle) {
  DemoInstall demo;
  const auto before = TreeSnapshot(demo.game);
  const std::string archiveBefore = CopyOfArchive(demo);
  RecordingProgress progress;
  ASSERT_EQ(Install(demo, progress), "");
  EXPECT_EQ(progress.events, "OIE");

  const auto after = TreeSnapshot(demo.game);
  const auto file = [&](const char* name) { return after.at(DataKey(name)); };
  const auto old = [&](const char* name) { return before.at(DataKey(name)); };
  EXPECT_TRUE(
      SameBytes(file("carcols.dat"), Patched(old("carcols.dat"), "monster", DemoCarcolsLine())));
  EXPECT_TRUE(
      SameBytes(file("carmods.dat"), Patched(old("carmods.dat"), "monster", DemoCarmodsLine())));
  EXPECT_TRUE(
      SameBytes(file("vehicles.ide"), Patched(old("vehicles.ide"), "444", DemoVehiclesLine())));
  EXPECT_TRUE(
      SameBytes(file("handling.cfg"), Patched(old("handling.cfg"), "MONSTER", DemoHandlingLine())));
  EXPECT_FALSE(SameBytes(file("carcols.dat"), old("carcols.dat")));
  // The lines of monstera and monsterb, whose names begin with monster, stay.
  EXPECT_NE(file("carcols.dat").find("\r\nmonstera, "), std::string::npos);
  EXPECT_NE(file("carmods.dat").find("\r\nmonsterb, "), std::string::npos);

  EXPECT_TRUE(SameBytes(file("carcols_Backup.dat"), old("carcols.dat")));
  EXPECT_TRUE(SameBytes(file("handling_Backup.cfg"), old("handling.cfg")));
  EXPECT_TRUE(SameBytes(file("vehicles_Backup.ide"), old("vehicles.ide")));
  EXPECT_TRUE(SameBytes(file("carmods_Backup.dat"), old("carmods.dat")));

  EXPECT_TRUE(
      SameBytes(ExtractEntry(demo.archive(), "monster.dff"), AsEntry(ReadAll(demo.fields.DFF))));
  EXPECT_TRUE(
      SameBytes(ExtractEntry(demo.archive(), "monster.txd"), AsEntry(ReadAll(demo.fields.TXD))));
  EXPECT_TRUE(SameBytes(ExtractEntry(demo.archive(), "monstera.dff"),
                        ExtractEntry(archiveBefore, "monstera.dff")));
  EXPECT_TRUE(SameBytes(ExtractEntry(demo.archive(), "landstal.txd"),
                        ExtractEntry(archiveBefore, "landstal.txd")));
}

// Runs the installation after setup and expects the message, the callbacks
// and not one byte changed in the game folder.
void ExpectRefusedUnchanged(const std::function<void(DemoInstall&)>& setup,
                            const std::string& message, const std::string& events) {
  DemoInstall demo;
  setup(demo);
  const auto before = TreeSnapshot(demo.dir.path());
  RecordingProgress progress;
  EXPECT_EQ(Install(demo, progress), message);
  EXPECT_EQ(progress.events, events);
  EXPECT_TRUE(TreeSnapshot(demo.dir.path()) == before) << "the game folder changed";
  // The archive was released: Torvane is closed and the file can be taken again.
  const int reopened = IMGOpen(demo.archive().c_str());
  IMGClose();
  EXPECT_NE(reopened, TORVANE_ALREADY_OPEN);
  if (Exists(demo.archive())) {
    EXPECT_NE(reopened, TORVANE_CANNOT_OPEN);
  }
}

// A journal beside the archive that Torvane cannot match to it (here one of
// a later layout) is set aside on opening; the installation says so once,
// naming the file Torvane chose, and goes on. Where a link (one that leads
// nowhere) takes the first place, Torvane passes over it, and so does the name.
TEST(InstallVehicle, SaysOnceThatARecordOfAnInterruptedChangeWasSetAside) {
  std::vector<bool> link_first = {false};
#ifndef _WIN32
  link_first.push_back(true);
#endif
  for (const bool linked : link_first) {
    SCOPED_TRACE(linked ? "a link at the first place" : "the first place free");
    DemoInstall demo;
    const std::string journal = demo.archive() + "-journal";
    std::string later = std::string("TVJOURNL") + std::string("\x03\0\0\0", 4);
    later.resize(48, '\0');
    WriteAll(journal, later);
    const std::string stale = linked ? journal + ".stale.2" : journal + ".stale";
    if (linked) std::filesystem::create_symlink(demo.dir.Path("nowhere"), journal + ".stale");
    RecordingProgress progress;
    ASSERT_EQ(Install(demo, progress), "");
    EXPECT_EQ(progress.events, "ORIE");
    ASSERT_EQ(progress.recovered.size(), 1u);
    const std::string said = Readable(progress.recovered[0]);
    EXPECT_EQ(
        said.rfind("Запись прерванного изменения не совпала с IMG-архивом и отложена в файл '", 0),
        0u)
        << said;
    EXPECT_NE(said.find(stale.substr(stale.find_last_of("/\\") + 1) + "'"), std::string::npos)
        << said;
    EXPECT_FALSE(Exists(journal));
    EXPECT_EQ(ReadAll(stale), later);
    EXPECT_TRUE(UndoInstall(demo.game, 0, false).recovered.empty());
  }
}

TEST(InstallVehicle, FailsBeforeOpeningTheArchive) {
  ExpectRefusedUnchanged([](DemoInstall& d) { d.game.clear(); }, msg::NoGameFolder(), "");
  ExpectRefusedUnchanged([](DemoInstall& d) { d.game = d.dir.Path("nowhere"); },
                         msg::ArchiveOpenFailed(), "");
  ExpectRefusedUnchanged([](DemoInstall& d) { std::remove(d.archive().c_str()); },
                         msg::ArchiveOpenFailed(), "");
  ExpectRefusedUnchanged([](DemoInstall& d) { WriteAll(d.archive(), "VER1\0\0\0\0"); },
                         msg::ArchiveOpenFailed(), "");
}

TEST(InstallVehicle, LineThatCannotBeReplacedFailsBeforeAnythingIsWritten) {
  ExpectRefusedUnchanged([](DemoInstall& d) { d.fields.carcols = "nosuchcar, 1,1"; },
                         msg::DataLineNotReplaced("carcols.dat"), "OE");
  ExpectRefusedUnchanged([](DemoInstall& d) { d.fields.carcols = "monster 1 1"; },
                         msg::DataLineNotReplaced("carcols.dat"), "OE");
  ExpectRefusedUnchanged([](DemoInstall& d) { d.fields.carcols = "   "; },
                         msg::DataLineNotReplaced("carcols.dat"), "OE");
  ExpectRefusedUnchanged([](DemoInstall& d) { d.replacedHandlingId.clear(); },
                         msg::DataLineNotReplaced("handling.cfg"), "OE");
  // The handling line is that of another vehicle than the one being replaced.
  ExpectRefusedUnchanged([](DemoInstall& d) { d.fields.handling = "BUS\t1.0\t2.0"; },
                         msg::DataLineNotReplaced("handling.cfg"), "OE");
  ExpectRefusedUnchanged([](DemoInstall& d) { d.replacedHandlingId = "MONSTE"; },
                         msg::DataLineNotReplaced("handling.cfg"), "OE");
  ExpectRefusedUnchanged(
      [](DemoInstall& d) {
        d.replacedHandlingId = "NOSUCHID";
        d.fields.handling = "NOSUCHID\t1.0";
      },
      msg::DataLineNotReplaced("handling.cfg"), "OE");
  ExpectRefusedUnchanged([](DemoInstall& d) { d.fields.vehicles = "44, monster"; },
                         msg::DataLineNotReplaced("vehicles.ide"), "OE");
  ExpectRefusedUnchanged([](DemoInstall& d) { d.fields.carmods = "Monster, nto_b_l"; },
                         msg::DataLineNotReplaced("carmods.dat"), "OE");
}

TEST(InstallVehicle, UnreadableDataFileFailsWithItsOpenErrorBeforeAnythingIsWritten) {
  const auto expectOpenError = [](const std::string& message) {
    return message.find("carmods.dat': ") != std::string::npos;
  };
  for (int folder = 0; folder < 2; ++folder) {
    DemoInstall demo;
    std::remove(demo.data("carmods.dat").c_str());
    if (folder) testing::MakeDir(demo.data("carmods.dat"));
    const auto before = TreeSnapshot(demo.dir.path());
    RecordingProgress progress;
    const std::string message = Install(demo, progress);
    EXPECT_TRUE(expectOpenError(message)) << message;
    EXPECT_NE(message.find(FullPath(demo.data("carmods.dat"))), std::string::npos) << message;
    EXPECT_EQ(progress.events, "OE");
    EXPECT_TRUE(TreeSnapshot(demo.dir.path()) == before);
  }
}

TEST(InstallVehicle, MissingHandlingFileFailsWithItsOpenErrorWhateverTheHandlingKey) {
  // handling.cfg is read before its lines are looked at, so its open error
  // comes first even when no handling line could match.
  const std::function<void(DemoInstall&)> keys[] = {
      [](DemoInstall& d) { d.replacedHandlingId.clear(); },
      [](DemoInstall& d) { d.fields.handling = "BUS\t1.0\t2.0"; },
  };
  for (const auto& setKey : keys) {
    DemoInstall demo;
    setKey(demo);
    std::remove(demo.data("handling.cfg").c_str());
    const auto before = TreeSnapshot(demo.dir.path());
    RecordingProgress progress;
    const std::string message = Install(demo, progress);
    EXPECT_NE(message.find("'" + FullPath(demo.data("handling.cfg")) + "': "), std::string::npos)
        << message;
    EXPECT_EQ(progress.events, "OE");
    EXPECT_TRUE(TreeSnapshot(demo.dir.path()) == before);
  }
}

TEST(InstallVehicle, ModelAndTextureAreCheckedBeforeAnythingIsWritten) {
  const std::string notice = "\xD4\xE0\xE9\xEB \xEC\xEE\xE4\xE5\xEB\xE8";  // Файл модели
  ExpectRefusedUnchanged([&](DemoInstall& d) { d.fields.DFF = notice; }, msg::ModelNotFound(),
                         "OE");
  ExpectRefusedUnchanged([](DemoInstall& d) { d.fields.DFF = d.mod; }, msg::ModelNotFound(), "OE");
  ExpectRefusedUnchanged([](DemoInstall& d) { d.fields.DFF += ".gone"; }, msg::ModelNotFound(),
                         "OE");
  ExpectRefusedUnchanged([](DemoInstall& d) { d.fields.TXD = ""; }, msg::TextureNotFound(), "OE");
  // 24 characters: too long for an entry name.
  ExpectRefusedUnchanged(
      [](DemoInstall& d) {
        d.fields.DFF = JoinPath(d.mod, "a_name_of_24_chars_x.dff");
        WriteAll(d.fields.DFF, "model");
      },
      msg::ModelReplaceFailed(), "OE");
  ExpectRefusedUnchanged(
      [](DemoInstall& d) {
        d.fields.TXD = JoinPath(d.mod, "a_name_of_24_chars_x.txd");
        WriteAll(d.fields.TXD, "texture");
      },
      msg::TextureReplaceFailed(), "OE");
  // A file the archive cannot take (here the held archive itself) is refused up front.
  ExpectRefusedUnchanged([](DemoInstall& d) { d.fields.DFF = d.archive(); },
                         msg::ModelReplaceFailed(), "OE");
  ExpectRefusedUnchanged([](DemoInstall& d) { d.fields.TXD = d.archive(); },
                         msg::TextureReplaceFailed(), "OE");
  // The model is checked first.
  ExpectRefusedUnchanged(
      [](DemoInstall& d) {
        d.fields.DFF.clear();
        d.fields.TXD.clear();
      },
      msg::ModelNotFound(), "OE");
}

TEST(InstallVehicle, NameOfTwentyThreeCharactersIsStoredUnderItself) {
  DemoInstall demo;
  const std::string name = "a_name_of_23_chars_.dff";
  ASSERT_EQ(name.size(), 23u);
  demo.fields.DFF = JoinPath(demo.mod, name);
  WriteAll(demo.fields.DFF, "model bytes");
  RecordingProgress progress;
  ASSERT_EQ(Install(demo, progress), "");
  EXPECT_TRUE(SameBytes(ExtractEntry(demo.archive(), name), AsEntry("model bytes")));
}

TEST(InstallVehicle, RelativePathsAreStoredUnderTheFilesOwnName) {
  DemoInstall demo;
  WriteAll(demo.fields.DFF, "relative model");
  WriteAll(demo.fields.TXD, "relative texture");
  const auto saved = std::filesystem::current_path();
  std::filesystem::current_path(demo.mod);
  demo.fields.DFF = "monster.dff";
  demo.fields.TXD = std::string(".") + kPathSeparator + "monster.txd";
  RecordingProgress progress;
  const std::string message = Install(demo, progress);
  std::filesystem::current_path(saved);
  ASSERT_EQ(message, "");
  EXPECT_TRUE(SameBytes(ExtractEntry(demo.archive(), "monster.dff"), AsEntry("relative model")));
  EXPECT_TRUE(SameBytes(ExtractEntry(demo.archive(), "monster.txd"), AsEntry("relative texture")));
  EXPECT_EQ(ExtractEntry(demo.archive(), ""), "<none>");
}

#ifdef _WIN32
TEST(InstallVehicle, ForwardSlashesInAWindowsPathStillGiveTheFilesOwnName) {
  DemoInstall demo;
  WriteAll(demo.fields.DFF, "slashed model");
  for (char& c : demo.fields.DFF) {
    if (c == '\\') c = '/';
  }
  RecordingProgress progress;
  ASSERT_EQ(Install(demo, progress), "");
  EXPECT_TRUE(SameBytes(ExtractEntry(demo.archive(), "monster.dff"), AsEntry("slashed model")));
}
#endif

TEST(InstallVehicle, EmptyFieldsLeaveDataFilesAloneWhileBackupsRefresh) {
  DemoInstall demo;
  // An LF file would come back with CR LF if it were rewritten.
  WriteAll(demo.data("carcols.dat"), "car\nmonster, 1,1\n");
  WriteAll(demo.data("carcols_Backup.dat"), "stale backup");
  demo.fields.handling.clear();
  demo.fields.vehicles.clear();
  demo.fields.carcols.clear();
  demo.fields.carmods.clear();
  demo.replacedHandlingId.clear();
  const auto before = TreeSnapshot(demo.game);
  RecordingProgress progress;
  ASSERT_EQ(Install(demo, progress), "");
  const auto after = TreeSnapshot(demo.game);
  for (const char* name : {"carcols.dat", "handling.cfg", "vehicles.ide", "carmods.dat"}) {
    EXPECT_TRUE(SameBytes(after.at(DataKey(name)), before.at(DataKey(name)))) << name;
  }
  EXPECT_TRUE(SameBytes(after.at(DataKey("carcols_Backup.dat")), "car\nmonster, 1,1\n"));
  EXPECT_TRUE(
      SameBytes(after.at(DataKey("carmods_Backup.dat")), before.at(DataKey("carmods.dat"))));
  EXPECT_TRUE(
      SameBytes(ExtractEntry(demo.archive(), "monster.dff"), AsEntry(ReadAll(demo.fields.DFF))));
}

TEST(InstallVehicle, SecondInstallationBacksUpWhatTheFirstLeft) {
  DemoInstall demo;
  const std::string stock = ReadAll(demo.data("carcols.dat"));
  RecordingProgress first;
  ASSERT_EQ(Install(demo, first), "");
  const std::string afterFirst = ReadAll(demo.data("carcols.dat"));
  demo.fields.carcols = "monster, 3,3";
  RecordingProgress second;
  ASSERT_EQ(Install(demo, second), "");
  EXPECT_TRUE(SameBytes(ReadAll(demo.data("carcols_Backup.dat")), afterFirst));
  EXPECT_NE(afterFirst, stock);
  EXPECT_TRUE(
      SameBytes(ReadAll(demo.data("carcols.dat")), Patched(stock, "monster", "monster, 3,3")));
}

TEST(InstallVehicle, AdditionalFilesCheckedAndPresentAreAddedInListOrder) {
  DemoInstall demo;
  const auto file = [&](const std::string& name, const std::string& bytes) {
    WriteAll(JoinPath(demo.mod, name), bytes);
    return JoinPath(demo.mod, name);
  };
  demo.fields.Adv = {
      {file("wheels.dff", "wheels"), true},   {file("unchecked.txd", "unchecked"), false},
      {JoinPath(demo.mod, "gone.dff"), true}, {demo.mod, true},  // a folder counts as no file
      {file("monster.dff", "again"), true},  // replaces the model just added (same path)
      {file("extra.txd", "extra"), true},
  };
  RecordingProgress progress;
  ASSERT_EQ(Install(demo, progress), "");
  EXPECT_TRUE(SameBytes(ExtractEntry(demo.archive(), "wheels.dff"), AsEntry("wheels")));
  EXPECT_TRUE(SameBytes(ExtractEntry(demo.archive(), "extra.txd"), AsEntry("extra")));
  EXPECT_TRUE(SameBytes(ExtractEntry(demo.archive(), "monster.dff"), AsEntry("again")));
  EXPECT_TRUE(SameBytes(ExtractEntry(demo.archive(), "unchecked.txd"), "<none>"));
  EXPECT_TRUE(SameBytes(ExtractEntry(demo.archive(), "gone.dff"), "<none>"));
}

// The game finds entries without regard to the letter case of ASCII letters and
// uses the first it meets: a file whose name differs from an entry's only in
// that case replaces the entry, under the name it is stored under, and files
// the game takes for one go into one entry, the last one's bytes winning. An
// undo then gives the stock entries back.
TEST(InstallVehicle, NamesDifferingOnlyInLetterCaseReplaceTheEntryTheGameFinds) {
  DemoInstall demo;
  const GameState stock = StateOf(demo.game);
  const std::size_t entries = DirectoryOf(ReadAll(demo.archive())).size();
  const auto file = [&](const std::string& name, const std::string& bytes) {
    WriteAll(JoinPath(demo.mod, name), bytes);
    return JoinPath(demo.mod, name);
  };
  demo.fields.DFF = file("Monster.dff", "model");
  demo.fields.TXD = file("MONSTER.TXD", "texture");
  demo.fields.Adv = {{file("Wheels.DFF", "first wheels"), true},
                     {file("wheels.dff", "wheels"), true},
                     {file("MonSter.Txd", "texture again"), true}};
  RecordingProgress progress;
  ASSERT_EQ(Install(demo, progress), "");
  EXPECT_TRUE(SameBytes(ExtractEntry(demo.archive(), "monster.dff"), AsEntry("model")));
  EXPECT_TRUE(SameBytes(ExtractEntry(demo.archive(), "monster.txd"), AsEntry("texture again")));
  EXPECT_TRUE(SameBytes(ExtractEntry(demo.archive(), "Wheels.DFF"), AsEntry("wheels")));
  for (const char* added : {"Monster.dff", "MONSTER.TXD", "MonSter.Txd", "wheels.dff"}) {
    EXPECT_EQ(ExtractEntry(demo.archive(), added), "<none>") << added;
  }
  EXPECT_EQ(DirectoryOf(ReadAll(demo.archive())).size(), entries + 1);

  EXPECT_NO_THROW(UndoInstall(demo.game, 1, false));
  EXPECT_EQ(StateDifference(StateOf(demo.game), stock), "");
}

// A ticked additional file whose name is too long for an entry is refused
// before anything changes, naming it; an unticked one is passed over as before.
TEST(InstallVehicle, TickedAdditionalFileWhoseNameCannotBeAnEntryNameIsRefusedNamingIt) {
  DemoInstall demo;
  const std::string longName = JoinPath(demo.mod, "a_name_of_24_chars_x.txd");
  WriteAll(longName, "long");
  demo.fields.Adv = {{longName, true}};
  const auto before = TreeSnapshot(demo.game);
  RecordingProgress progress;
  EXPECT_EQ(Readable(Install(demo, progress)),
            "Имя дополнительного файла '" + FullPath(longName) +
                "' длиннее 23 символов и не может быть именем записи IMG-архива");
  EXPECT_EQ(progress.events, "OE");
  EXPECT_TRUE(TreeSnapshot(demo.game) == before);

  demo.fields.Adv = {{longName, false}};
  EXPECT_EQ(Install(demo, progress), "");
  EXPECT_EQ(ExtractEntry(demo.archive(), "a_name_of_24_chars_x.tx"), "<none>");
}

// Checks, from inside the callbacks, that the archive is closed when the
// success message is shown and when the controls are enabled again.
class ArchiveStateProgress : public RecordingProgress {
 public:
  explicit ArchiveStateProgress(std::string archive) : archive_(std::move(archive)) {}
  void Installed() override {
    RecordingProgress::Installed();
    events += Probe();
  }
  void Ended() override {
    RecordingProgress::Ended();
    events += Probe();
  }

 private:
  std::string Probe() const {
    const bool free = IMGOpen(archive_.c_str()) == TORVANE_OK;
    IMGClose();
    return free ? "(closed)" : "(held)";
  }
  std::string archive_;
};

TEST(InstallVehicle, ArchiveIsClosedBeforeSuccessAndEndAreReported) {
  DemoInstall demo;
  ArchiveStateProgress progress(demo.archive());
  ASSERT_EQ(Install(demo, progress), "");
  EXPECT_EQ(progress.events, "OI(closed)E(closed)");

  DemoInstall failing;
  failing.fields.TXD.clear();
  ArchiveStateProgress failed(failing.archive());
  EXPECT_EQ(Install(failing, failed), msg::TextureNotFound());
  EXPECT_EQ(failed.events, "OE(closed)");
}

TEST(InstallVehicle, BackupThatCannotBeWrittenStopsBeforeAnyDataFileChanges) {
  DemoInstall demo;
  testing::MakeDir(demo.data("vehicles_Backup.ide"));
  const auto before = TreeSnapshot(demo.dir.path());
  RecordingProgress progress;
  EXPECT_EQ(
      Readable(Install(demo, progress)),
      "Не удаётся создать резервную копию '" + FullPath(demo.data("vehicles_Backup.ide")) + "'");
  EXPECT_EQ(progress.events, "OE");
  auto after = TreeSnapshot(demo.dir.path());
  const std::string game = std::string("game") + kPathSeparator;
  EXPECT_TRUE(SameBytes(after[game + DataKey("carcols_Backup.dat")],
                        before.at(game + DataKey("carcols.dat"))));
  after.erase(game + DataKey("carcols_Backup.dat"));
  after.erase(game + DataKey("handling_Backup.cfg"));
  for (auto file = after.begin(); file != after.end();) {  // the record of the attempt
    file = file->first.rfind(game + "Wrenfield", 0) == 0 ? after.erase(file) : std::next(file);
  }
  EXPECT_TRUE(after == before) << "more than the first two backups changed";
  const auto installs = ListInstalls(demo.game);
  ASSERT_EQ(installs.size(), 1u);
  EXPECT_EQ(installs[0].state, RecordState::kRolledBack);
}

TEST(InstallVehicle, DataFileThatCannotBeReplacedIsRefusedBeforeAnythingChanges) {
  DemoInstall demo;
  const std::string handling = demo.data("handling.cfg");
  testing::MakeDir(handling + ".wrenfield-" + std::to_string(testing::ProcessId()) + ".tmp");
  const auto before = TreeSnapshot(demo.game);
  RecordingProgress progress;
  const std::string message = Install(demo, progress);
  EXPECT_EQ(message.rfind(CreateFileErrorMessage(FullPath(handling), ""), 0), 0u) << message;
  EXPECT_EQ(progress.events, "OE");
  EXPECT_TRUE(TreeSnapshot(demo.game) == before) << "something was written";
}

}  // namespace
}  // namespace wrenfield
