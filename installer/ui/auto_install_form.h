// The main window's logic: start-up, close and every event handler, working on
// a TAutoInstallView. Each handler runs inside the window's event dispatch: an
// error ends the handler and is shown in an error box.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "auto_install_view.h"
#include "form_services.h"
#include "install_fields.h"
#include "install_undo.h"
#include "install_vehicle.h"
#include "mod_check.h"

namespace wrenfield {

inline constexpr int kEnterKey = 13;

class TAutoInstallForm {
 public:
  // The services stay the caller's and outlive the form.
  TAutoInstallForm(TAutoInstallView& view, TFormServices& services);
  TAutoInstallForm(const TAutoInstallForm&) = delete;
  TAutoInstallForm& operator=(const TAutoInstallForm&) = delete;

  // Shows the stored game folder and puts right an installation or undo that
  // was interrupted there, saying what was undone.
  void FormCreate();
  // Stores the game folder and removes the window's unpacked archive; the window
  // closes afterwards whatever happened.
  void FormClose();
  void DirBrowseBtnClick();
  void VehDirBrowseBtnClick();
  void VehicleDirKeyDown(int key);
  // A folder or archive dropped on the window: taken as if chosen with the
  // mod's browse button.
  void FormDropFiles(const std::string& path);
  void SpeedButton1Click();
  void SpeedButton2Click();
  void InstallBtnClick();
  // Asks, naming the vehicle and the mod, then undoes the latest installation.
  void UndoBtnClick();
  // Lists the installations into the game folder with the space their
  // records take and what compaction would give back; prunes the records or
  // compacts the archive when the player asks.
  void HistoryBtnClick();
  // The game folder's text changed (typed, chosen or read at start).
  void GTASADirChange();
  void Label12Click();
  void Label12MouseEnter();
  void Label12MouseLeave();

  // The handling identifier of the stock vehicle the read mod replaces.
  const std::string& ReplacedHandlingId() const { return replacedHandlingId_; }

 private:
  class Progress;

  // Runs one event flow; an error stops it and is shown.
  void Dispatch(const std::function<void()>& flow);
  TInstallFields FieldsFromView() const;
  void ShowFields(const TInstallFields& fields);
  void ShowPathOrNotice(TEditField field, const std::string& text, bool notice);
  void AcceptModFolderIfExists();
  bool NamesArchive(const std::string& path) const;
  void ReadModSource();
  void ReadFolder(const std::string& path);
  void ReadArchive(const std::string& path);
  void DropArchiveItems(std::vector<TAdvItem>& items) const;
  void PickFile(const char* filter, TEditField target);
  bool CheckFindings(const TInstallFields& fields, Findings& findings) const;
  void ShowCheckFindings();
  bool InstallDespiteCheck(const TInstallFields& fields);
  void RecoverInterruptedInstalls();
  void UpdateUndoButton();
  void PruneRecords(const std::string& gameDir);
  void CompactArchive(const std::string& gameDir);

  TAutoInstallView& view_;
  TFormServices& services_;
  std::string replacedHandlingId_;
  std::string openDialogFileName_;        // the one open-file dialog keeps its last file
  std::unique_ptr<TModArchive> archive_;  // the archive the fields were read from
  std::string archiveOrigin_;             // that archive's path and the folder picked in it
};

}  // namespace wrenfield
