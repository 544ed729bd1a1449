#include "auto_install_form.h"

#include <algorithm>
#include <exception>
#include <utility>

#include "error.h"
#include "file_system.h"
#include "messages.h"
#include "plain_text.h"
#include "settings_file.h"
#include "text_encoding.h"

namespace wrenfield {

// The window's share of an installation: lock, success box, unlock.
class TAutoInstallForm::Progress : public InstallProgress {
 public:
  explicit Progress(TAutoInstallView& view) : view_(view) {}
  void ArchiveOpened() override { view_.SetReviewEnabled(false); }
  void Installed() override { view_.ShowInfo(msg::Installed()); }
  void Ended() override { view_.SetReviewEnabled(true); }
  void Recovered(const std::string& message) override { view_.ShowInfo(message); }

 private:
  TAutoInstallView& view_;
};

TAutoInstallForm::TAutoInstallForm(TAutoInstallView& view, TFormServices services)
    : view_(view), services_(std::move(services)) {}

namespace {

// The findings one a line, in the check's order.
std::string FindingLines(const Findings& findings) {
  std::string lines;
  for (const Finding& f : findings) {
    if (!lines.empty()) lines += "\n";
    lines +=
        f.severity == Severity::kError ? msg::ErrorLine(f.message) : msg::WarningLine(f.message);
  }
  return lines;
}

}  // namespace

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
    services_.removeStaleUnpackFolders();
    view_.SetText(TEditField::GTASADir, ReadStoredGameFolder(services_.settingsFilePath()));
    if (!view_.GetText(TEditField::GTASADir).empty()) view_.FocusVehicleDir();
  });
  Dispatch([this] { RecoverInterruptedInstalls(); });
  UpdateUndoButton();
}

void TAutoInstallForm::FormClose() {
  // A write failure is shown, and the window still closes: a user in a folder
  // that cannot be written must not be kept from leaving the program.
  Dispatch([this] {
    StoreGameFolder(services_.settingsFilePath(), view_.GetText(TEditField::GTASADir));
  });
  archive_.reset();
}

void TAutoInstallForm::DirBrowseBtnClick() {
  Dispatch([this] {
    std::string folder;
    view_.SelectFolder(msg::kGameFolderPrompt, folder);
    view_.SetText(TEditField::GTASADir, folder);
  });
  UpdateUndoButton();
}

void TAutoInstallForm::VehDirBrowseBtnClick() {
  Dispatch([this] {
    std::string path;
    view_.SelectModSource(msg::kModFolderPrompt, path);
    view_.SetText(TEditField::VehicleDir, path);
    ReadModSource();
  });
}

void TAutoInstallForm::FormDropFiles(const std::string& path) {
  Dispatch([this, &path] {
    view_.SetText(TEditField::VehicleDir, path);
    ReadModSource();
  });
}

void TAutoInstallForm::VehicleDirKeyDown(int key) {
  if (key != kEnterKey) return;
  Dispatch([this] {
    // An archive's files exist only once it is unpacked, so Enter on an archive
    // reads it, while a folder is only accepted for filling in by hand.
    if (NamesArchive(view_.GetText(TEditField::VehicleDir))) {
      ReadModSource();
    } else {
      AcceptModFolderIfExists();
    }
  });
}

void TAutoInstallForm::SpeedButton1Click() {
  Dispatch([this] { PickFile(msg::kModelFilter, TEditField::DFF); });
}

void TAutoInstallForm::SpeedButton2Click() {
  Dispatch([this] { PickFile(msg::kTextureFilter, TEditField::TXD); });
}

void TAutoInstallForm::InstallBtnClick() {
  Dispatch([this] {
    const TInstallFields fields = FieldsFromView();
    if (!InstallDespiteCheck(fields)) return;
    Progress progress(view_);
    services_.installVehicle(view_.GetText(TEditField::GTASADir), fields, replacedHandlingId_,
                             progress, archive_ ? archiveOrigin_ : std::string());
  });
  UpdateUndoButton();
}

void TAutoInstallForm::UndoBtnClick() {
  Dispatch([this] {
    const std::string gameDir = view_.GetText(TEditField::GTASADir);
    InstallSummary latest;
    if (!services_.findUndoable(gameDir, latest)) throw Error(msg::NothingToUndo());
    if (!view_.Confirm(UndoQuestion(latest))) return;
    const UndoOutcome outcome = services_.undoInstall(gameDir, latest.number);
    for (const std::string& message : outcome.recovered) view_.ShowInfo(message);
    if (!outcome.message.empty()) view_.ShowInfo(outcome.message);
  });
  UpdateUndoButton();
}

void TAutoInstallForm::HistoryBtnClick() {
  Dispatch([this] {
    const std::string gameDir = view_.GetText(TEditField::GTASADir);
    if (gameDir.empty()) throw Error(msg::NoGameFolder());
    view_.ShowHistory(services_.historyLines(gameDir));
  });
}

void TAutoInstallForm::GTASADirChange() { UpdateUndoButton(); }

void TAutoInstallForm::Label12Click() {
  Dispatch([this] { view_.OpenLink(msg::kAuthorPage); });
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

bool TAutoInstallForm::NamesArchive(const std::string& path) const {
  return !path.empty() && services_.fileExists(path);
}

// Reads the mod that VehicleDir names: an archive, or else a folder.
void TAutoInstallForm::ReadModSource() {
  const std::string path = view_.GetText(TEditField::VehicleDir);
  if (NamesArchive(path)) {
    ReadArchive(path);
  } else {
    ReadFolder(path);
  }
}

// The reader runs on the text as it is, also when empty. A folder named (not a
// cancelled choice) is another mod: the archive read before goes with its files,
// once the new read has succeeded.
void TAutoInstallForm::ReadFolder(const std::string& path) {
  const bool anotherMod = !path.empty();
  TInstallFields fields = FieldsFromView();
  if (anotherMod) DropArchiveItems(fields.Adv);
  services_.readData(path, fields, replacedHandlingId_);
  ShowFields(fields);
  if (anotherMod) archive_.reset();
  AcceptModFolderIfExists();
  if (anotherMod && services_.directoryExists(path)) ShowCheckFindings();
}

// Unpacks the archive, lets the user choose when it holds several mod folders
// (cancelling changes nothing), reads the mod folder and opens the review. The
// archive read before goes with its files once this one has been read.
void TAutoInstallForm::ReadArchive(const std::string& path) {
  std::unique_ptr<TModArchive> archive = services_.openArchive(path);
  const std::vector<std::string>& candidates = archive->Candidates();
  std::size_t choice = 0;
  if (candidates.size() > 1 && !view_.ChooseModFolder(candidates, choice)) return;
  if (choice >= candidates.size()) return;
  const std::string folder = archive->ModFolder(candidates[choice]);
  const std::string origin = candidates[choice] == "."
                                 ? PathAsText(path)
                                 : PathAsText(path) + kPathSeparator + candidates[choice];
  TInstallFields fields = FieldsFromView();
  DropArchiveItems(fields.Adv);
  services_.readData(folder, fields, replacedHandlingId_);
  ShowFields(fields);
  archive_ = std::move(archive);
  archiveOrigin_ = origin;
  view_.SetReviewEnabled(true);
  view_.FocusReviewGroup();
  ShowCheckFindings();
}

// The check against the game folder; false when it cannot run (no check
// service, or a game folder it cannot read: the installation says why).
bool TAutoInstallForm::CheckFindings(const TInstallFields& fields, Findings& findings) const {
  if (!services_.checkMod) return false;
  try {
    findings = services_.checkMod(view_.GetText(TEditField::GTASADir), fields);
  } catch (const Error&) {
    return false;
  }
  return true;
}

// After a mod is read: what the check finds, in one box; errors in an error box.
void TAutoInstallForm::ShowCheckFindings() {
  Findings findings;
  if (!CheckFindings(FieldsFromView(), findings) || findings.empty()) return;
  const std::string message = msg::Findings(FindingLines(findings));
  if (HasErrors(findings)) {
    view_.ShowError(message);
  } else {
    view_.ShowInfo(message);
  }
}

// Before installing: a mod with errors is installed only when the user says so
// (the question's default answer is no); warnings do not stop it.
bool TAutoInstallForm::InstallDespiteCheck(const TInstallFields& fields) {
  Findings findings;
  if (!CheckFindings(fields, findings) || !HasErrors(findings)) return true;
  return view_.Confirm(msg::InstallAnyway(FindingLines(findings)));
}

// The reader keeps the additional files of earlier reads; those of the archive
// that is about to go would name files that no longer exist.
void TAutoInstallForm::DropArchiveItems(std::vector<TAdvItem>& items) const {
  if (!archive_) return;
  const std::string inside = archive_->UnpackedPath() + kPathSeparator;
  items.erase(std::remove_if(items.begin(), items.end(),
                             [&](const TAdvItem& item) {
                               return item.path.compare(0, inside.size(), inside) == 0;
                             }),
              items.end());
}

void TAutoInstallForm::RecoverInterruptedInstalls() {
  std::vector<std::string> messages;
  // A game that holds its archive now keeps the record for the next installation.
  services_.recoverInstalls(view_.GetText(TEditField::GTASADir), messages);
  for (const std::string& message : messages) view_.ShowInfo(message);
}

void TAutoInstallForm::UpdateUndoButton() {
  InstallSummary latest;
  bool undoable = false;
  try {
    undoable = services_.findUndoable(view_.GetText(TEditField::GTASADir), latest);
  } catch (const std::exception&) {
    undoable = false;  // a folder that cannot be searched has nothing to undo
  }
  view_.SetUndoEnabled(undoable);
}

void TAutoInstallForm::PickFile(const char* filter, TEditField target) {
  std::string fileName = openDialogFileName_;
  if (!view_.OpenFile(filter, msg::kOpenDialogTitle, fileName)) return;
  openDialogFileName_ = fileName;
  view_.SetText(target, fileName);
}

}  // namespace wrenfield
