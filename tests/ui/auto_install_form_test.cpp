// The window logic driven through a fake view: start-up and close with the
// stored setting, every handler, the locked and open states and the error box.
#include "auto_install_form.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>

#include "error.h"
#include "fake_view.h"
#include "file_bytes.h"
#include "file_system.h"
#include "messages.h"
#include "scratch_dir.h"
#include "settings_file.h"

namespace wrenfield {
namespace {

namespace fs = std::filesystem;
using testing::FakeView;
using testing::ReadAll;
using testing::ScratchDir;
using testing::WriteAll;

// Records the calls the logic makes to the reader, the installer and unpacking.
struct Calls {
  int sweeps = 0, unpacks = 0;
  std::vector<std::string> released;  // the unpacked archives, as they went
  int reads = 0;
  std::string readFolder;
  TInstallFields readGot;
  int installs = 0;
  std::string installGameDir, installHandlingId, installOrigin;
  TInstallFields installGot;
  std::vector<std::string> recoveries;
  std::vector<unsigned> undone;
  std::vector<std::string> checkedGameDirs;  // one per run of the mod check
};

// An unpacked archive as the logic sees it; its private folder is the name
// "unpacked-N", and its release is recorded.
class FakeArchive : public TModArchive {
 public:
  FakeArchive(std::string unpacked, std::vector<std::string> candidates,
              std::vector<std::string>& released)
      : unpacked_(std::move(unpacked)), candidates_(std::move(candidates)), released_(released) {}
  ~FakeArchive() override { released_.push_back(unpacked_); }
  const std::vector<std::string>& Candidates() const override { return candidates_; }
  std::string ModFolder(const std::string& candidate) override {
    return unpacked_ + kPathSeparator + candidate;
  }
  const std::string& UnpackedPath() const override { return unpacked_; }

 private:
  std::string unpacked_;
  std::vector<std::string> candidates_;
  std::vector<std::string>& released_;
};

class FormTest : public ::testing::Test {
 protected:
  FormTest() : form_(view_, Services()) {}

  TFormServices Services() {
    TFormServices services;
    services.readData = [this](const std::string& folder, TInstallFields& fields,
                               std::string& handlingId) {
      ++calls_.reads;
      calls_.readFolder = folder;
      calls_.readGot = fields;
      if (readError_) throw Error(*readError_);
      if (!folder.empty()) {
        fields.handling = "HANDLING LINE";
        fields.DFF = folder + "/car.dff";
        fields.TXD = "no texture here";  // the reader's notice
        fields.TXDNotFound = true;
        fields.Adv = {{folder + "/wheel.dff", false}, {folder + "/wheel.txd", false}};
        handlingId = "BANSHEE";
      }
    };
    services.installVehicle = [this](const std::string& gameDir, const TInstallFields& fields,
                                     const std::string& handlingId, InstallProgress& progress,
                                     const std::string& origin) {
      ++calls_.installs;
      calls_.installOrigin = origin;
      calls_.installGameDir = gameDir;
      calls_.installGot = fields;
      calls_.installHandlingId = handlingId;
      if (installErrorBeforeOpen_) throw Error(*installErrorBeforeOpen_);
      progress.ArchiveOpened();
      if (installErrorAfterOpen_) {
        progress.Ended();
        throw Error(*installErrorAfterOpen_);
      }
      progress.Installed();
      progress.Ended();
    };
    services.directoryExists = DirectoryExists;
    services.settingsFilePath = [this] { return settingsPath_; };
    services.recoverInstalls = [this](const std::string& gameDir,
                                      std::vector<std::string>& messages) {
      calls_.recoveries.push_back(gameDir);
      messages = recovered_;
      return true;
    };
    services.findUndoable = [this](const std::string& gameDir, InstallSummary& summary) {
      if (!undoable_ || gameDir.empty()) return false;
      summary = *undoable_;
      return true;
    };
    services.undoInstall = [this](const std::string&, unsigned number) {
      calls_.undone.push_back(number);
      undoable_.reset();
      return UndoOutcome{recovered_, "undone"};
    };
    services.historyLines = [](const std::string& gameDir) {
      return std::vector<std::string>{"1  " + gameDir, "0"};
    };
    services.fileExists = FileExists;
    services.openArchive = [this](const std::string& path) -> std::unique_ptr<TModArchive> {
      if (archiveError_) throw Error(*archiveError_);
      return std::make_unique<FakeArchive>("unpacked-" + std::to_string(++calls_.unpacks),
                                           archiveFolders_.at(path), calls_.released);
    };
    services.removeStaleUnpackFolders = [this] { ++calls_.sweeps; };
    services.checkMod = [this](const std::string& gameDir, const TInstallFields&) {
      calls_.checkedGameDirs.push_back(gameDir);
      if (checkError_) throw Error(*checkError_);
      return findings_;
    };
    return services;
  }

  // An archive file holding the given mod folders.
  std::string Archive(const std::string& name, std::vector<std::string> folders) {
    const std::string path = temp_.Path(name);
    WriteAll(path, "archive");
    archiveFolders_[path] = std::move(folders);
    return path;
  }
  static std::string Unpacked(int number, const std::string& folder) {
    return "unpacked-" + std::to_string(number) + kPathSeparator + folder;
  }

  ScratchDir temp_{"ui"};
  std::string settingsPath_ = temp_.Path("lastdir.ini");
  std::optional<std::string> readError_, installErrorBeforeOpen_, installErrorAfterOpen_,
      archiveError_, checkError_;
  Findings findings_;  // what the mod check finds
  std::optional<InstallSummary> undoable_;
  std::vector<std::string> recovered_;
  std::map<std::string, std::vector<std::string>> archiveFolders_;
  Calls calls_;
  FakeView view_;
  TAutoInstallForm form_;
};

TEST_F(FormTest, FirstStartWithoutSettingLeavesGameFolderEmptyAndFocusAlone) {
  form_.FormCreate();
  EXPECT_EQ(view_.GetText(TEditField::GTASADir), "");
  EXPECT_EQ(view_.focus, "");
  EXPECT_TRUE(view_.errors.empty());
  EXPECT_FALSE(view_.reviewEnabled);

  form_.FormClose();  // closing creates the file with an empty value
  EXPECT_EQ(ReadStoredGameFolder(settingsPath_), "");
  EXPECT_NE(ReadAll(settingsPath_).find("[SALastDir]"), std::string::npos);
  EXPECT_NE(ReadAll(settingsPath_).find("Value="), std::string::npos);
}

TEST_F(FormTest, StartWithStoredFolderShowsItAndFocusesModFolder) {
  WriteAll(settingsPath_, "[SALastDir]\r\nValue=C:\\Games\\No Such GTA\r\n");
  form_.FormCreate();
  EXPECT_EQ(view_.GetText(TEditField::GTASADir), "C:\\Games\\No Such GTA");
  EXPECT_EQ(view_.focus, "VehicleDir");
}

TEST_F(FormTest, UnreadableOrOddSettingsStartEmptyWithoutMessage) {
  fs::create_directory(settingsPath_);  // a folder where the file should be
  form_.FormCreate();
  EXPECT_EQ(view_.GetText(TEditField::GTASADir), "");
  EXPECT_TRUE(view_.errors.empty());
  fs::remove(settingsPath_);

  WriteAll(settingsPath_, "[Other]\nValue=elsewhere\n");
  form_.FormCreate();
  EXPECT_EQ(view_.GetText(TEditField::GTASADir), "");

  WriteAll(settingsPath_, "[SALastDir]\nValue=" + std::string(3000, 'x') + "\n");
  form_.FormCreate();
  EXPECT_EQ(view_.GetText(TEditField::GTASADir), std::string(2047, 'x'));
}

TEST_F(FormTest, CloseStoresGameFolderAndKeepsOtherContent) {
  WriteAll(settingsPath_, "; kept\r\n[Window]\r\nLeft=10\r\n[SALastDir]\r\nValue=old\r\n");
  view_.SetText(TEditField::GTASADir, "D:\\GTA San Andreas");
  form_.FormClose();
  EXPECT_EQ(ReadAll(settingsPath_),
            "; kept\r\n[Window]\r\nLeft=10\r\n[SALastDir]\r\nValue=D:\\GTA San Andreas\r\n");

  view_.SetText(TEditField::GTASADir, "");
  form_.FormClose();
  FakeView next;
  TAutoInstallForm again(next, Services());
  again.FormCreate();
  EXPECT_EQ(next.GetText(TEditField::GTASADir), "");
  EXPECT_EQ(next.focus, "");
  EXPECT_TRUE(view_.errors.empty());
}

TEST_F(FormTest, CloseThatCannotWriteShowsErrorAndStillReturns) {
  fs::create_directory(settingsPath_);
  view_.SetText(TEditField::GTASADir, "C:\\Games");
  form_.FormClose();
  ASSERT_EQ(view_.errors.size(), 1u);
  EXPECT_EQ(view_.errors[0], "Unable to write to " + settingsPath_ + ".");
  EXPECT_TRUE(fs::is_directory(settingsPath_));
}

TEST_F(FormTest, SettingFollowsWorkingDirectoryAtEachAccess) {
  const fs::path before = fs::current_path();
  fs::create_directory(temp_.Path("first"));
  fs::create_directory(temp_.Path("second"));
  FakeView view;
  TFormServices services = Services();
  services.settingsFilePath = SettingsFilePath;
  TAutoInstallForm form(view, services);

  fs::current_path(temp_.Path("first"));
  view.SetText(TEditField::GTASADir, "E:\\GTA");
  form.FormClose();
  fs::current_path(temp_.Path("second"));
  form.FormCreate();
  EXPECT_EQ(view.GetText(TEditField::GTASADir), "");
  fs::current_path(temp_.Path("first"));
  form.FormCreate();
  EXPECT_EQ(view.GetText(TEditField::GTASADir), "E:\\GTA");
  fs::current_path(before);
  EXPECT_TRUE(fs::exists(temp_.Path("first") + "/lastdir.ini"));
}

TEST_F(FormTest, GameFolderBrowseSetsOrEmptiesTheEdit) {
  view_.SetText(TEditField::GTASADir, "C:\\Before");
  view_.folderReplies = {std::string("C:\\Games\\GTA"), std::nullopt};
  form_.DirBrowseBtnClick();
  EXPECT_EQ(view_.GetText(TEditField::GTASADir), "C:\\Games\\GTA");
  EXPECT_EQ(view_.folderPrompts.back(), msg::kGameFolderPrompt);
  form_.DirBrowseBtnClick();  // cancelled: emptied even though it held a folder
  EXPECT_EQ(view_.GetText(TEditField::GTASADir), "");
  EXPECT_EQ(calls_.reads, 0);
  EXPECT_FALSE(view_.reviewEnabled);
}

TEST_F(FormTest, ModFolderBrowseReadsShowsAndOpensReview) {
  view_.SetText(TEditField::carcols, "typed by hand");
  view_.folderReplies = {temp_.path()};
  form_.VehDirBrowseBtnClick();
  EXPECT_EQ(view_.folderPrompts.back(), msg::kModFolderPrompt);
  EXPECT_EQ(calls_.reads, 1);
  EXPECT_EQ(calls_.readFolder, temp_.path());
  EXPECT_EQ(calls_.readGot.carcols, "typed by hand");  // the reader gets the fields as they stand
  EXPECT_EQ(view_.GetText(TEditField::VehicleDir), temp_.path());
  EXPECT_EQ(view_.GetText(TEditField::handling), "HANDLING LINE");
  EXPECT_EQ(view_.GetText(TEditField::DFF), temp_.path() + "/car.dff");
  EXPECT_EQ(view_.GetText(TEditField::TXD), "no texture here");
  EXPECT_EQ(view_.notices, std::set<TEditField>{TEditField::TXD});  // shown as a notice
  EXPECT_EQ(view_.GetText(TEditField::carcols), "typed by hand");
  ASSERT_EQ(view_.adv.size(), 2u);
  EXPECT_TRUE(view_.adv[0].checked && view_.adv[1].checked);
  EXPECT_TRUE(view_.reviewEnabled);
  EXPECT_EQ(view_.focus, "GroupBox1");
  EXPECT_EQ(form_.ReplacedHandlingId(), "BANSHEE");
}

TEST_F(FormTest, CancelledOrMissingModFolderStillReadsButKeepsReviewState) {
  view_.SetText(TEditField::VehicleDir, "C:\\Before");
  view_.folderReplies = {std::nullopt};
  form_.VehDirBrowseBtnClick();
  EXPECT_EQ(view_.GetText(TEditField::VehicleDir), "");
  EXPECT_EQ(calls_.reads, 1);
  EXPECT_EQ(calls_.readFolder, "");
  EXPECT_FALSE(view_.reviewEnabled);
  EXPECT_EQ(view_.focus, "");

  view_.folderReplies = {temp_.path()};
  form_.VehDirBrowseBtnClick();
  ASSERT_TRUE(view_.reviewEnabled);
  view_.folderReplies = {std::nullopt, temp_.Path("gone")};
  form_.VehDirBrowseBtnClick();
  form_.VehDirBrowseBtnClick();
  EXPECT_EQ(calls_.reads, 4);
  EXPECT_TRUE(view_.reviewEnabled);  // the window never locks them again itself
  EXPECT_EQ(std::count(view_.log.begin(), view_.log.end(), "lock"), 0);
}

TEST_F(FormTest, ReaderErrorIsShownAndDoesNotOpenReview) {
  readError_ = "\xCD\xE5 \xF3\xE4\xE0\xEB\xEE\xF1\xFC";  // Не удалось (ends in a letter)
  view_.folderReplies = {temp_.path()};
  form_.VehDirBrowseBtnClick();
  ASSERT_EQ(view_.errors.size(), 1u);
  EXPECT_EQ(view_.errors[0], *readError_ + ".");
  EXPECT_FALSE(view_.reviewEnabled);
  EXPECT_EQ(view_.focus, "");
  EXPECT_EQ(view_.GetText(TEditField::VehicleDir), temp_.path());
}

TEST_F(FormTest, EnterOnExistingModFolderOpensReviewWithoutReading) {
  form_.VehicleDirKeyDown(kEnterKey);  // empty text never names a folder
  EXPECT_FALSE(view_.reviewEnabled);
  view_.SetText(TEditField::VehicleDir, temp_.Path("missing"));
  form_.VehicleDirKeyDown(kEnterKey);
  EXPECT_FALSE(view_.reviewEnabled);
  view_.SetText(TEditField::VehicleDir, temp_.path());
  form_.VehicleDirKeyDown('A');
  form_.VehicleDirKeyDown(9);
  EXPECT_FALSE(view_.reviewEnabled);
  form_.VehicleDirKeyDown(kEnterKey);
  EXPECT_TRUE(view_.reviewEnabled);
  EXPECT_EQ(view_.focus, "GroupBox1");
  EXPECT_EQ(calls_.reads, 0);
  EXPECT_EQ(view_.GetText(TEditField::handling), "");
}

TEST_F(FormTest, ArchiveChosenDroppedOrEnteredIsUnpackedReadAndOpensReview) {
  const std::string single = Archive("single.zip", {"Car"});
  const std::string variants = Archive("variants.7z", {"Mod/v1", "Mod/v2"});
  form_.FormCreate();
  EXPECT_EQ(calls_.sweeps, 1);  // stale unpack folders go at start

  view_.folderReplies = {single};
  form_.VehDirBrowseBtnClick();
  EXPECT_EQ(view_.folderPrompts.back(), msg::kModFolderPrompt);
  EXPECT_EQ(view_.GetText(TEditField::VehicleDir), single);
  EXPECT_TRUE(view_.offeredChoices.empty());  // one mod folder: nothing to choose
  EXPECT_EQ(calls_.readFolder, Unpacked(1, "Car"));
  EXPECT_EQ(view_.GetText(TEditField::DFF), Unpacked(1, "Car") + "/car.dff");
  EXPECT_TRUE(view_.reviewEnabled);
  EXPECT_EQ(view_.focus, "GroupBox1");

  view_.adv.push_back({"C:\\picked\\own.dff", true});
  view_.choiceReplies = {1};
  form_.FormDropFiles(variants);
  EXPECT_EQ(view_.GetText(TEditField::VehicleDir), variants);
  EXPECT_EQ(view_.offeredChoices, (std::vector<std::vector<std::string>>{{"Mod/v1", "Mod/v2"}}));
  EXPECT_EQ(calls_.readFolder, Unpacked(2, "Mod/v2"));
  // The first archive went once the second was read, and its additional files
  // with it; a file picked elsewhere stays.
  EXPECT_EQ(calls_.released, std::vector<std::string>{"unpacked-1"});
  ASSERT_EQ(calls_.readGot.Adv.size(), 1u);
  EXPECT_EQ(calls_.readGot.Adv[0].path, "C:\\picked\\own.dff");

  view_.SetText(TEditField::VehicleDir, single);  // typed: Enter reads an archive
  view_.choiceReplies = {};
  form_.VehicleDirKeyDown(kEnterKey);
  EXPECT_EQ(calls_.readFolder, Unpacked(3, "Car"));
  EXPECT_EQ(calls_.released, (std::vector<std::string>{"unpacked-1", "unpacked-2"}));

  form_.FormDropFiles(temp_.path());  // a folder is another mod too
  EXPECT_EQ(calls_.readFolder, temp_.path());
  EXPECT_EQ(calls_.released.size(), 3u);
  EXPECT_EQ(calls_.reads, 4);
  form_.FormClose();
  EXPECT_EQ(calls_.released.size(), 3u);
  EXPECT_TRUE(view_.errors.empty());
}

// The history names what the player chose: the archive and the folder picked
// in it, not the unpacked copy; a mod folder read since names itself.
TEST_F(FormTest, InstallOfAnArchiveNamesItAndTheFolderPickedInIt) {
  const std::string variants = Archive("variants.7z", {"Mod/v1", "Mod/v2"});
  form_.FormCreate();
  view_.SetText(TEditField::GTASADir, "C:\\GTA");
  view_.choiceReplies = {1};
  form_.FormDropFiles(variants);
  form_.InstallBtnClick();
  EXPECT_EQ(calls_.installOrigin, variants + kPathSeparator + "Mod/v2");
  form_.FormDropFiles(temp_.path());
  form_.InstallBtnClick();
  EXPECT_EQ(calls_.installs, 2);
  EXPECT_EQ(calls_.installOrigin, "");
}

TEST_F(FormTest, RefusedArchiveCancelledChoiceOrDialogKeepTheArchiveReadUntilClose) {
  const std::string single = Archive("single.zip", {"Car"});
  const std::string variants = Archive("variants.7z", {"v1", "v2"});
  archiveError_ = "\xCD\xE5 \xE0\xF0\xF5\xE8\xE2";  // Не архив
  form_.FormDropFiles(single);
  ASSERT_EQ(view_.errors.size(), 1u);
  EXPECT_EQ(view_.errors[0], *archiveError_ + ".");
  EXPECT_FALSE(view_.reviewEnabled);
  EXPECT_EQ(calls_.reads, 0);
  archiveError_.reset();

  form_.FormDropFiles(single);
  view_.choiceReplies = {std::nullopt};
  form_.FormDropFiles(variants);  // the choice cancelled: that archive goes, nothing else
  EXPECT_EQ(calls_.reads, 1);
  EXPECT_EQ(calls_.released, std::vector<std::string>{"unpacked-2"});
  EXPECT_EQ(view_.GetText(TEditField::DFF), Unpacked(1, "Car") + "/car.dff");
  EXPECT_EQ(view_.GetText(TEditField::VehicleDir), variants);

  view_.folderReplies = {std::nullopt};
  form_.VehDirBrowseBtnClick();  // cancelled: read on the empty text, the archive kept
  EXPECT_EQ(calls_.readFolder, "");
  EXPECT_EQ(calls_.released.size(), 1u);
  form_.FormClose();  // the window's own unpacked archive goes with it
  EXPECT_EQ(calls_.released, (std::vector<std::string>{"unpacked-2", "unpacked-1"}));
}

TEST_F(FormTest, FileButtonsShareOneDialogThatRemembersTheLastFile) {
  view_.SetText(TEditField::DFF, "keep me");
  view_.fileReplies = {std::nullopt, std::string("C:\\mods\\car.dff"), std::nullopt,
                       std::string("C:\\mods\\car.txd")};
  form_.SpeedButton1Click();
  EXPECT_EQ(view_.GetText(TEditField::DFF), "keep me");
  EXPECT_EQ(view_.fileFilters.back(), msg::kModelFilter);
  EXPECT_EQ(view_.fileTitles.back(), msg::kOpenDialogTitle);
  EXPECT_EQ(view_.fileStartNames.back(), "");

  form_.SpeedButton1Click();
  EXPECT_EQ(view_.GetText(TEditField::DFF), "C:\\mods\\car.dff");

  form_.SpeedButton2Click();  // cancelled: TXD unchanged, the remembered file stays
  EXPECT_EQ(view_.fileFilters.back(), msg::kTextureFilter);
  EXPECT_EQ(view_.fileStartNames.back(), "C:\\mods\\car.dff");
  EXPECT_EQ(view_.GetText(TEditField::TXD), "");

  form_.SpeedButton2Click();
  EXPECT_EQ(view_.fileStartNames.back(), "C:\\mods\\car.dff");
  EXPECT_EQ(view_.GetText(TEditField::TXD), "C:\\mods\\car.txd");
  EXPECT_EQ(view_.GetText(TEditField::DFF), "C:\\mods\\car.dff");
}

TEST_F(FormTest, InstallPassesTheFieldsAsLeftAndLocksAroundTheSuccessBox) {
  view_.folderReplies = {temp_.path()};
  form_.VehDirBrowseBtnClick();
  view_.log.clear();
  view_.SetText(TEditField::GTASADir, "C:\\GTA");
  view_.SetText(TEditField::vehicles, "edited line");
  view_.adv[1].checked = false;
  form_.InstallBtnClick();

  EXPECT_EQ(calls_.installs, 1);
  EXPECT_EQ(calls_.installGameDir, "C:\\GTA");
  EXPECT_EQ(calls_.installHandlingId, "BANSHEE");
  EXPECT_EQ(calls_.installGot.vehicles, "edited line");
  EXPECT_EQ(calls_.installGot.handling, "HANDLING LINE");
  ASSERT_EQ(calls_.installGot.Adv.size(), 2u);
  EXPECT_TRUE(calls_.installGot.Adv[0].checked);
  EXPECT_FALSE(calls_.installGot.Adv[1].checked);
  EXPECT_EQ(view_.infos, std::vector<std::string>{msg::Installed()});
  EXPECT_EQ(view_.log, (std::vector<std::string>{"lock", "info while locked", "unlock"}));
  EXPECT_TRUE(view_.errors.empty());
  EXPECT_TRUE(view_.reviewEnabled);
}

TEST_F(FormTest, InstallErrorsAreShownWithTheDotRuleAndLeaveReviewOpen) {
  view_.SetReviewEnabled(true);
  view_.log.clear();
  installErrorBeforeOpen_ = "\xD3\xEA\xE0\xE6\xE8\xF2\xE5!";  // Укажите!
  form_.InstallBtnClick();
  EXPECT_EQ(view_.errors.back(), *installErrorBeforeOpen_);
  EXPECT_TRUE(view_.log.empty());

  installErrorBeforeOpen_.reset();
  installErrorAfterOpen_ = "Cannot open file 'C:\\GTA\\data\\carmods.dat'";
  form_.InstallBtnClick();
  EXPECT_EQ(view_.errors.back(), *installErrorAfterOpen_);

  installErrorAfterOpen_ = "Cannot open file C:\\GTA\\data\\carmods.dat";
  form_.InstallBtnClick();
  EXPECT_EQ(view_.errors.back(), *installErrorAfterOpen_ + ".");
  EXPECT_TRUE(view_.infos.empty());
  EXPECT_TRUE(view_.reviewEnabled);
  EXPECT_EQ(view_.log, (std::vector<std::string>{"lock", "unlock", "lock", "unlock"}));
}

TEST_F(FormTest, StartRecoversTheStoredGameFolderOnceAndEnablesUndo) {
  WriteAll(settingsPath_, "[SALastDir]\r\nValue=C:\\GTA\r\n");
  recovered_ = {"put right"};
  undoable_ = InstallSummary{2, true, RecordState::kComplete, "", "MONSTER", "C:\\mod"};
  form_.FormCreate();
  EXPECT_EQ(calls_.recoveries, std::vector<std::string>{"C:\\GTA"});
  EXPECT_EQ(view_.infos, std::vector<std::string>{"put right"});
  EXPECT_TRUE(view_.undoEnabled);
  view_.SetText(TEditField::GTASADir, "");
  form_.GTASADirChange();
  EXPECT_FALSE(view_.undoEnabled);
}

TEST_F(FormTest, UndoAsksNamingVehicleAndModAndUndoesOnlyOnYes) {
  view_.SetText(TEditField::GTASADir, "C:\\GTA");
  undoable_ = InstallSummary{3, true, RecordState::kComplete, "", "MONSTER", "C:\\mod"};
  form_.UndoBtnClick();  // answered No
  ASSERT_EQ(view_.questions.size(), 1u);
  EXPECT_EQ(view_.questions[0], UndoQuestion(*undoable_));
  EXPECT_NE(view_.questions[0].find("MONSTER"), std::string::npos);
  EXPECT_NE(view_.questions[0].find("C:\\mod"), std::string::npos);
  EXPECT_TRUE(calls_.undone.empty());
  EXPECT_TRUE(view_.undoEnabled);

  view_.confirmReplies = {true};
  form_.UndoBtnClick();
  EXPECT_EQ(calls_.undone, std::vector<unsigned>{3});
  EXPECT_EQ(view_.infos, std::vector<std::string>{"undone"});
  EXPECT_FALSE(view_.undoEnabled);
  form_.UndoBtnClick();  // nothing left: said so, nothing asked
  EXPECT_EQ(view_.errors, std::vector<std::string>{std::string(msg::NothingToUndo()) + "."});
  EXPECT_EQ(view_.questions.size(), 2u);

  form_.HistoryBtnClick();
  EXPECT_EQ(view_.histories, (std::vector<std::vector<std::string>>{{"1  C:\\GTA", "0"}}));
}

TEST_F(FormTest, LinkOpensTheShownAddressAndColoursFollowTheMouse) {
  form_.Label12Click();
  EXPECT_EQ(view_.links, std::vector<std::string>{msg::kAuthorPage});
  EXPECT_EQ(view_.linkColour, 0x800000u);
  for (int i = 0; i < 3; ++i) {
    form_.Label12MouseEnter();
    EXPECT_EQ(view_.linkColour, 0xFF0000u);
    form_.Label12MouseLeave();
    EXPECT_EQ(view_.linkColour, 0x800000u);
  }
}

}  // namespace
}  // namespace wrenfield

namespace wrenfield {
namespace {

const Finding kWarning{Severity::kWarning, "carcols-name", "carcols.dat", "colours elsewhere"};
const Finding kError{Severity::kError, "ide-fields", "vehicles.ide", "fields missing"};

TEST_F(FormTest, ReadingAModShowsWhatTheCheckFinds) {
  view_.SetText(TEditField::GTASADir, "C:\\GTA");
  form_.VehDirBrowseBtnClick();  // cancelled: no mod read, no check
  EXPECT_TRUE(calls_.checkedGameDirs.empty());

  view_.folderReplies = {temp_.path()};
  form_.VehDirBrowseBtnClick();  // a clean mod: no box
  EXPECT_EQ(calls_.checkedGameDirs, std::vector<std::string>{"C:\\GTA"});
  EXPECT_TRUE(view_.infos.empty());

  findings_ = {kWarning};
  view_.folderReplies = {temp_.path()};
  form_.VehDirBrowseBtnClick();
  ASSERT_EQ(view_.infos.size(), 1u);
  EXPECT_EQ(view_.infos[0], msg::Findings(msg::WarningLine("colours elsewhere")));
  EXPECT_TRUE(view_.errors.empty());

  findings_ = {kError, kWarning};
  form_.FormDropFiles(Archive("mod.zip", {"."}));
  ASSERT_EQ(view_.errors.size(), 1u);
  EXPECT_EQ(view_.errors[0], msg::Findings(msg::ErrorLine("fields missing") + "\n" +
                                           msg::WarningLine("colours elsewhere")));
  EXPECT_TRUE(view_.reviewEnabled);  // the fields stay open for correcting
}

TEST_F(FormTest, AModWithErrorsIsInstalledOnlyWhenTheUserSaysSo) {
  view_.SetText(TEditField::GTASADir, "C:\\GTA");
  view_.SetReviewEnabled(true);
  findings_ = {kError};
  form_.InstallBtnClick();  // the question's default answer: no
  ASSERT_EQ(view_.questions.size(), 1u);
  EXPECT_EQ(view_.questions[0], msg::InstallAnyway(msg::ErrorLine("fields missing")));
  EXPECT_EQ(calls_.installs, 0);

  view_.confirmReplies = {true};
  form_.InstallBtnClick();
  EXPECT_EQ(calls_.installs, 1);

  findings_ = {kWarning};  // warnings never stop it, nor ask
  form_.InstallBtnClick();
  EXPECT_EQ(calls_.installs, 2);
  EXPECT_EQ(view_.questions.size(), 2u);

  checkError_ = "game unreadable";  // left to the installation to report
  form_.InstallBtnClick();
  EXPECT_EQ(calls_.installs, 3);
  EXPECT_TRUE(view_.errors.empty());
}

}  // namespace
}  // namespace wrenfield
