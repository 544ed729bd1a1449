// The modal boxes and shell dialogs the Win32 view shows. Wrenfield.exe uses
// the system's; the window's test program puts recorders in their place.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

namespace wrenfield {

class TShellDialogs {
 public:
  virtual ~TShellDialogs() = default;
  // A modal message box; `type` as for MessageBoxW (icon and buttons). Returns
  // the button pressed (IDOK, IDYES, IDNO...).
  virtual int MessageBox(HWND owner, const std::wstring& text, const std::wstring& caption,
                         UINT type) = 0;
  // A modal list of lines with action buttons and a close button; the index
  // of the action pressed, or -1 when closed.
  virtual int ShowList(HWND owner, const std::wstring& title,
                       const std::vector<std::wstring>& lines,
                       const std::vector<std::wstring>& actions, const std::wstring& closeText) = 0;
  // Prompts, filters and titles are code page 1251, folders and files paths in
  // the system's code page; see TAutoInstallView for the contracts.
  virtual bool SelectFolder(HWND owner, const std::string& prompt, std::string& folder) = 0;
  virtual bool SelectModSource(HWND owner, const std::string& prompt, std::string& path) = 0;
  virtual bool ChooseModFolder(HWND owner, const std::vector<std::string>& candidates,
                               std::size_t& choice) = 0;
  virtual bool OpenFile(HWND owner, const std::string& filter, const std::string& title,
                        std::string& fileName) = 0;
  virtual void OpenLink(const std::string& target) = 0;
};

// The system's message box, folder and file dialogs and shell.
class TSystemShellDialogs : public TShellDialogs {
 public:
  int MessageBox(HWND owner, const std::wstring& text, const std::wstring& caption,
                 UINT type) override;
  int ShowList(HWND owner, const std::wstring& title, const std::vector<std::wstring>& lines,
               const std::vector<std::wstring>& actions, const std::wstring& closeText) override;
  bool SelectFolder(HWND owner, const std::string& prompt, std::string& folder) override;
  bool SelectModSource(HWND owner, const std::string& prompt, std::string& path) override;
  bool ChooseModFolder(HWND owner, const std::vector<std::string>& candidates,
                       std::size_t& choice) override;
  bool OpenFile(HWND owner, const std::string& filter, const std::string& title,
                std::string& fileName) override;
  void OpenLink(const std::string& target) override;
};

// "description|pattern|..." as the double-zero-terminated list the file dialog takes.
std::wstring FileDialogFilter(const std::string& filter);

}  // namespace wrenfield
