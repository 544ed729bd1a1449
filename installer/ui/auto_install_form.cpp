#include "auto_install_form.h"

#include <exception>
#include <utility>

#include "error.h"
#include "install_messages.h"
#include "plain_text.h"
#include "settings_file.h"
#include "ui_texts.h"

namespace wrenfield {

// The window's share of an installation: lock, success box, unlock.
class TAutoInstallForm::Progress : public InstallProgress {
 public:
  explicit Progress(TAutoInstallView& view) : view_(view) {}
  void ArchiveOpened() override { view_.SetReviewEnabled(false); }
  void Installed() override { view_.ShowInfo(install_messages::kInstalled); }
  void Ended() override { view_.SetReviewEnabled(true); }

 private:
  TAutoInstallView& view_;
};

TAutoInstallForm::TAutoInstallForm(TAutoInstallView& view, TFormServices services)
    : view_(view), services_(std::move(services)) {}

void TAutoInstallForm::Dispatch(const std::function<void()>& flow) {
  try {
    flow();
  } catch (const Error& error) {
    view_.ShowError(ErrorBoxText(error.message()));
  } catch (const std::exception& error) {
    view_.ShowError(ErrorBoxText(error.what()));
  }
}

void TAutoInstallForm::FormCreate() {
  Dispatch([this] {
    view_.SetText(TEditField::GTASADir, ReadStoredGameFolder(services_.settingsFilePath()));
    if (!view_.GetText(TEditField::GTASADir).empty()) view_.FocusVehicleDir();
  });
}

void TAutoInstallForm::FormClose() {
  // A write failure is shown, and the window still closes: a user in a folder
  // that cannot be written must not be kept from leaving the program.
  Dispatch([this] {
    StoreGameFolder(services_.settingsFilePath(), view_.GetText(TEditField::GTASADir));
  });
}

void TAutoInstallForm::DirBrowseBtnClick() {
  Dispatch([this] {
    std::string folder;
    view_.SelectFolder(ui_texts::kGameFolderPrompt, folder);
    view_.SetText(TEditField::GTASADir, folder);
  });
}

void TAutoInstallForm::VehDirBrowseBtnClick() {
  Dispatch([this] {
    std::string folder;
    view_.SelectFolder(ui_texts::kModFolderPrompt, folder);
    view_.SetText(TEditField::VehicleDir, folder);
    TInstallFields fields = FieldsFromView();
    services_.readData(view_.GetText(TEditField::VehicleDir), fields, replacedHandlingId_);
    ShowFields(fields);
    AcceptModFolderIfExists();
  });
}

void TAutoInstallForm::VehicleDirKeyDown(int key) {
  if (key != kEnterKey) return;
  Dispatch([this] { AcceptModFolderIfExists(); });
}

void TAutoInstallForm::SpeedButton1Click() {
  Dispatch([this] { PickFile(ui_texts::kModelFilter, TEditField::DFF); });
}

void TAutoInstallForm::SpeedButton2Click() {
  Dispatch([this] { PickFile(ui_texts::kTextureFilter, TEditField::TXD); });
}

void TAutoInstallForm::InstallBtnClick() {
  Dispatch([this] {
    Progress progress(view_);
    services_.installVehicle(view_.GetText(TEditField::GTASADir), FieldsFromView(),
                             replacedHandlingId_, progress);
  });
}

void TAutoInstallForm::Label12Click() {
  Dispatch([this] { view_.OpenLink(ui_texts::kAuthorPage); });
}

void TAutoInstallForm::Label12MouseEnter() {
  Dispatch([this] { view_.HighlightLink(); });
}

void TAutoInstallForm::Label12MouseLeave() {
  Dispatch([this] { view_.UnhighlightLink(); });
}

TInstallFields TAutoInstallForm::FieldsFromView() const {
  TInstallFields fields;
  fields.handling = view_.GetText(TEditField::handling);
  fields.vehicles = view_.GetText(TEditField::vehicles);
  fields.carcols = view_.GetText(TEditField::carcols);
  fields.carmods = view_.GetText(TEditField::carmods);
  fields.DFF = view_.GetText(TEditField::DFF);
  fields.TXD = view_.GetText(TEditField::TXD);
  fields.Adv = view_.GetAdvItems();
  return fields;
}

void TAutoInstallForm::ShowFields(const TInstallFields& fields) {
  view_.SetText(TEditField::handling, fields.handling);
  view_.SetText(TEditField::vehicles, fields.vehicles);
  view_.SetText(TEditField::carcols, fields.carcols);
  view_.SetText(TEditField::carmods, fields.carmods);
  ShowPathOrNotice(TEditField::DFF, fields.DFF, fields.DFFNotFound);
  ShowPathOrNotice(TEditField::TXD, fields.TXD, fields.TXDNotFound);
  std::vector<TAdvItem> items = fields.Adv;
  for (TAdvItem& item : items) item.checked = true;  // a fresh read offers every file
  view_.SetAdvItems(items);
}

void TAutoInstallForm::ShowPathOrNotice(TEditField field, const std::string& text, bool notice) {
  if (notice) {
    view_.ShowNotice(field, text);
  } else {
    view_.SetText(field, text);
  }
}

void TAutoInstallForm::AcceptModFolderIfExists() {
  if (!services_.directoryExists(view_.GetText(TEditField::VehicleDir))) return;
  view_.SetReviewEnabled(true);
  view_.FocusReviewGroup();
}

void TAutoInstallForm::PickFile(const char* filter, TEditField target) {
  std::string fileName = openDialogFileName_;
  if (!view_.OpenFile(filter, ui_texts::kOpenDialogTitle, fileName)) return;
  openDialogFileName_ = fileName;
  view_.SetText(target, fileName);
}

}  // namespace wrenfield
