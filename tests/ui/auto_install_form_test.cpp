// The window logic driven through a fake view: start-up and close with the
// stored setting, every handler, the locked and open states and the error box.
#include "auto_install_form.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "error.h"
#include "fake_view.h"
#include "file_bytes.h"
#include "file_system.h"
#include "install_messages.h"
#include "scratch_dir.h"
#include "settings_file.h"
#include "ui_texts.h"

namespace wrenfield {
namespace {

namespace fs = std::filesystem;
using testing::FakeView;
using testing::ReadAll;
using testing::ScratchDir;
using testing::WriteAll;

// Records the calls the logic makes to the reader and the installer.
struct Calls {
  int reads = 0;
  std::string readFolder;
  TInstallFields readGot;
  int installs = 0;
  std::string installGameDir, installHandlingId;
  TInstallFields installGot;
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
                                     const std::string& handlingId, InstallProgress& progress) {
      ++calls_.installs;
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
    return services;
  }

  ScratchDir temp_{"ui"};
  std::string settingsPath_ = temp_.Path("lastdir.ini");
  std::optional<std::string> readError_, installErrorBeforeOpen_, installErrorAfterOpen_;
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
  EXPECT_EQ(view_.folderPrompts.back(), ui_texts::kGameFolderPrompt);
  form_.DirBrowseBtnClick();  // cancelled: emptied even though it held a folder
  EXPECT_EQ(view_.GetText(TEditField::GTASADir), "");
  EXPECT_EQ(calls_.reads, 0);
  EXPECT_FALSE(view_.reviewEnabled);
}

TEST_F(FormTest, ModFolderBrowseReadsShowsAndOpensReview) {
  view_.SetText(TEditField::carcols, "typed by hand");
  view_.folderReplies = {temp_.path()};
  form_.VehDirBrowseBtnClick();
  EXPECT_EQ(view_.folderPrompts.back(), ui_texts::kModFolderPrompt);
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

TEST_F(FormTest, FileButtonsShareOneDialogThatRemembersTheLastFile) {
  view_.SetText(TEditField::DFF, "keep me");
  view_.fileReplies = {std::nullopt, std::string("C:\\mods\\car.dff"), std::nullopt,
                       std::string("C:\\mods\\car.txd")};
  form_.SpeedButton1Click();
  EXPECT_EQ(view_.GetText(TEditField::DFF), "keep me");
  EXPECT_EQ(view_.fileFilters.back(), ui_texts::kModelFilter);
  EXPECT_EQ(view_.fileTitles.back(), ui_texts::kOpenDialogTitle);
  EXPECT_EQ(view_.fileStartNames.back(), "");

  form_.SpeedButton1Click();
  EXPECT_EQ(view_.GetText(TEditField::DFF), "C:\\mods\\car.dff");

  form_.SpeedButton2Click();  // cancelled: TXD unchanged, the remembered file stays
  EXPECT_EQ(view_.fileFilters.back(), ui_texts::kTextureFilter);
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
  EXPECT_EQ(view_.infos, std::vector<std::string>{install_messages::kInstalled});
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

TEST_F(FormTest, LinkOpensTheShownAddressAndColoursFollowTheMouse) {
  form_.Label12Click();
  EXPECT_EQ(view_.links, std::vector<std::string>{ui_texts::kAuthorPage});
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
