// The main window's logic: start-up, close and every event handler, working on
// a TAutoInstallView. Each handler runs inside the window's event dispatch: an
// error ends the handler and is shown in an error box.
#pragma once

#include <functional>
#include <string>

#include "auto_install_view.h"
#include "install_fields.h"
#include "install_vehicle.h"

namespace wrenfield {

// What the logic calls outside the window; DefaultFormServices() gives the real ones.
struct TFormServices {
  std::function<void(const std::string&, TInstallFields&, std::string&)> readData;
  std::function<void(const std::string&, const TInstallFields&, const std::string&,
                     InstallProgress&)>
      installVehicle;
  std::function<bool(const std::string&)> directoryExists;
  std::function<std::string()> settingsFilePath;
};

TFormServices DefaultFormServices();

inline constexpr int kEnterKey = 13;

class TAutoInstallForm {
 public:
  TAutoInstallForm(TAutoInstallView& view, TFormServices services);
  TAutoInstallForm(const TAutoInstallForm&) = delete;
  TAutoInstallForm& operator=(const TAutoInstallForm&) = delete;

  void FormCreate();
  // Stores the game folder; the window closes afterwards whatever happened.
  void FormClose();
  void DirBrowseBtnClick();
  void VehDirBrowseBtnClick();
  void VehicleDirKeyDown(int key);
  void SpeedButton1Click();
  void SpeedButton2Click();
  void InstallBtnClick();
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
  void PickFile(const char* filter, TEditField target);

  TAutoInstallView& view_;
  TFormServices services_;
  std::string replacedHandlingId_;
  std::string openDialogFileName_;  // the one open-file dialog keeps its last file
};

}  // namespace wrenfield
