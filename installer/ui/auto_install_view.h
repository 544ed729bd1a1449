// What the window logic needs from a window: a small pure-virtual view, so the
// logic runs the same on Windows and in native tests with a fake view. Text is
// single-byte: messages, labels and data-file lines in code page 1251, paths in
// the system's code page (the same on the Russian systems the program is made
// for); the view converts for display.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "install_fields.h"

namespace wrenfield {

// The edits whose texts the logic reads and writes.
// What the player chose in the list of installations.
enum class THistoryAction { kClose, kPrune, kCompact };

enum class TEditField { GTASADir, VehicleDir, handling, vehicles, carcols, carmods, DFF, TXD };

class TAutoInstallView {
 public:
  virtual ~TAutoInstallView() = default;

  virtual std::string GetText(TEditField field) const = 0;
  virtual void SetText(TEditField field, const std::string& text) = 0;
  // A notice in place of a path (DFF or TXD: the reader found no such file),
  // code page 1251 like a message. GetText gives it back byte for byte until
  // the edit's text is changed.
  virtual void ShowNotice(TEditField field, const std::string& notice) = 0;
  // The check-list of additional files: item texts with their check marks.
  virtual std::vector<TAdvItem> GetAdvItems() const = 0;
  virtual void SetAdvItems(const std::vector<TAdvItem>& items) = 0;

  // Enables or disables the 18 review controls together.
  virtual void SetReviewEnabled(bool enabled) = 0;
  // The undo button: enabled while the game folder has an installation to undo.
  virtual void SetUndoEnabled(bool enabled) = 0;
  // Keyboard focus: the mod folder edit, or the review group (Tab goes on to `handling`).
  virtual void FocusVehicleDir() = 0;
  virtual void FocusReviewGroup() = 0;

  // Modal boxes owned by the window, captioned with the application title.
  virtual void ShowError(const std::string& message) = 0;
  virtual void ShowInfo(const std::string& message) = 0;
  // A question with Yes and No buttons; true for Yes.
  virtual bool Confirm(const std::string& question) = 0;
  // The installations into the game folder, one line each, in a modal list
  // with buttons to prune the records and to compact the archive; says which
  // the player pressed.
  virtual THistoryAction ShowHistory(const std::vector<std::string>& lines) = 0;
  // A long piece of work (compaction). BeginWork shows its progress and takes
  // every control that could start another change out of the player's reach;
  // WorkProgress shows how far it came and lets the window handle its
  // messages meanwhile (so it never freezes), and is true once the player
  // asked to stop; EndWork gives the controls back.
  virtual void BeginWork(const std::string& title) = 0;
  virtual bool WorkProgress(std::uint64_t done, std::uint64_t total) = 0;
  virtual void EndWork() = 0;

  // The folder dialog; true with the chosen folder in `folder` when confirmed,
  // false (folder untouched) when cancelled or when it cannot be shown.
  virtual bool SelectFolder(const std::string& prompt, std::string& folder) = 0;
  // The same dialog for the mod: it shows and accepts mod archives (.zip, .7z,
  // .rar) besides folders; `path` gets the chosen folder or archive.
  virtual bool SelectModSource(const std::string& prompt, std::string& path) = 0;
  // A short modal list of the mod folders an archive holds (paths inside it, "/"
  // between parts, "." for its top, in the system's code page); true with the
  // chosen one's index in `choice` when confirmed, false when cancelled.
  virtual bool ChooseModFolder(const std::vector<std::string>& candidates, std::size_t& choice) = 0;
  // The open-file dialog with a "description|pattern" filter and a title;
  // `fileName` is the starting file in and the confirmed full path out.
  virtual bool OpenFile(const std::string& filter, const std::string& title,
                        std::string& fileName) = 0;

  // Opens a web address or document with its default handler; never reports.
  virtual void OpenLink(const std::string& target) = 0;
  // The link label's colour: blue while the mouse is over it, navy otherwise.
  virtual void HighlightLink() = 0;
  virtual void UnhighlightLink() = 0;
};

}  // namespace wrenfield
