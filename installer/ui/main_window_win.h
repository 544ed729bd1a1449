// The Win32 view of the main window: creates the window and its controls and
// turns window messages into calls on TAutoInstallForm.
#pragma once

#include <windows.h>
// after windows.h
#include <commctrl.h>
#include <shellapi.h>

#include <memory>
#include <string>
#include <vector>

#include "auto_install_form.h"
#include "auto_install_view.h"
#include "banner_win.h"
#include "shell_dialogs_win.h"
#include "window_layout_win.h"

namespace wrenfield {

class TMainWindow : public TAutoInstallView {
 public:
  // Registers the window classes, creates the application window (task bar
  // title) and the main window with every control, not yet shown.
  TMainWindow(HINSTANCE instance, TShellDialogs& dialogs, std::unique_ptr<TFormServices> services);
  ~TMainWindow() override;
  TMainWindow(const TMainWindow&) = delete;
  TMainWindow& operator=(const TMainWindow&) = delete;

  // Shows the window (which runs FormCreate) and runs the event loop until it closes.
  int Run();
  void Show();
  // The event loop's handling of one message (keyboard navigation included).
  void Dispatch(MSG& message);

  HWND handle() const { return window_; }
  HWND applicationWindow() const { return application_; }
  // Any control by its identifier.
  HWND Control(int id) const;
  const TBanner& banner() const { return banner_; }
  int Scale(int pixels) const;

  std::string GetText(TEditField field) const override;
  void SetText(TEditField field, const std::string& text) override;
  void ShowNotice(TEditField field, const std::string& notice) override;
  std::vector<TAdvItem> GetAdvItems() const override;
  void SetAdvItems(const std::vector<TAdvItem>& items) override;
  void SetReviewEnabled(bool enabled) override;
  void SetUndoEnabled(bool enabled) override;
  void FocusVehicleDir() override;
  void FocusReviewGroup() override;
  void ShowError(const std::string& message) override;
  void ShowInfo(const std::string& message) override;
  bool Confirm(const std::string& question) override;
  THistoryAction ShowHistory(const std::vector<std::string>& lines) override;
  void BeginWork(const std::string& title) override;
  bool WorkProgress(std::uint64_t done, std::uint64_t total) override;
  void EndWork() override;
  // The progress window while work runs (null otherwise).
  HWND workWindow() const { return work_.window; }
  bool SelectFolder(const std::string& prompt, std::string& folder) override;
  bool SelectModSource(const std::string& prompt, std::string& path) override;
  bool ChooseModFolder(const std::vector<std::string>& candidates, std::size_t& choice) override;
  bool OpenFile(const std::string& filter, const std::string& title,
                std::string& fileName) override;
  void OpenLink(const std::string& target) override;
  void HighlightLink() override;
  void UnhighlightLink() override;

 private:
  // The window procedures (main_window_procs_win.cpp).
  static void RegisterClasses(HINSTANCE instance);
  static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM);
  static LRESULT CALLBACK ApplicationProc(HWND, UINT, WPARAM, LPARAM);
  static LRESULT CALLBACK PanelProc(HWND, UINT, WPARAM, LPARAM);
  static LRESULT CALLBACK LinkProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
  static LRESULT CALLBACK ModFolderEditProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);

  static bool HoldsPath(TEditField field);
  bool ShowsNotice(TEditField field) const;
  void SetEditText(TEditField field, const std::wstring& text, bool notice);

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void OnCommand(int id, int code);
  void OnDropFiles(HDROP drop);
  void OnActivate(bool active);
  void CreateControls();
  void SetUpInstallButtonPicture();
  HWND ControlOf(TEditField field) const;

  HINSTANCE instance_;
  TShellDialogs& dialogs_;
  TBanner banner_;
  int dpi_;
  TWindowFonts fonts_;
  HWND application_ = nullptr;
  HWND window_ = nullptr;
  HWND tooltip_ = nullptr;
  HWND savedFocus_ = nullptr;
  HIMAGELIST installPicture_ = nullptr;
  HBITMAP installBitmap_ = nullptr;
  bool linkHot_ = false;
  bool noticeShown_[8] = {};  // by TEditField: the edit was given a notice
  std::vector<std::pair<int, HWND>> controls_;
  // The progress of long work: a small window owned by the main window, which
  // is disabled meanwhile (work_progress_win.cpp).
  struct TWork {
    HWND window = nullptr;
    HWND bar = nullptr;
    bool stopAsked = false;
  } work_;
  std::unique_ptr<TFormServices> services_;
  std::unique_ptr<TAutoInstallForm> form_;
};

}  // namespace wrenfield
