#include "shell_dialogs_win.h"

#include <commdlg.h>

#include <vector>

#include "extra_win.h"
#include "list_dialog_win.h"
#include "mod_folder_list_win.h"
#include "text_win.h"
#include "window_layout_win.h"

namespace wrenfield {

std::wstring FileDialogFilter(const std::string& filter) {
  std::wstring list = WideFromCp1251(filter);
  for (wchar_t& c : list)
    if (c == L'|') c = L'\0';
  list.push_back(L'\0');
  list.push_back(L'\0');
  return list;
}

int TSystemShellDialogs::MessageBox(HWND owner, const std::wstring& text,
                                    const std::wstring& caption, UINT type) {
  return MessageBoxW(owner, text.c_str(), caption.c_str(), type);
}

int TSystemShellDialogs::ShowList(HWND owner, const std::wstring& title,
                                  const std::vector<std::wstring>& lines,
                                  const std::vector<std::wstring>& actions,
                                  const std::wstring& closeText) {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  const TWindowFonts fonts(dpi > 0 ? dpi : 96);
  return ShowListDialog(owner, fonts.Of(TFont::Default), title, lines, actions, closeText);
}

bool TSystemShellDialogs::SelectFolder(HWND owner, const std::string& prompt, std::string& folder) {
  // A fresh empty result: a cancelled dialog leaves it empty.
  std::string chosen;
  Extra::SelectFolder(owner, prompt, chosen);
  if (chosen.empty()) return false;
  folder = chosen;
  return true;
}

bool TSystemShellDialogs::SelectModSource(HWND owner, const std::string& prompt,
                                          std::string& path) {
  std::string chosen;
  Extra::SelectFolderOrArchive(owner, prompt, chosen);
  if (chosen.empty()) return false;
  path = chosen;
  return true;
}

bool TSystemShellDialogs::ChooseModFolder(HWND owner, const std::vector<std::string>& candidates,
                                          std::size_t& choice) {
  return ChooseFromModFolderList(owner, candidates, choice);
}

bool TSystemShellDialogs::OpenFile(HWND owner, const std::string& filter, const std::string& title,
                                   std::string& fileName) {
  const std::wstring filterList = FileDialogFilter(filter);
  const std::wstring titleText = WideFromCp1251(title);
  std::vector<wchar_t> file(32768, L'\0');
  const std::wstring start = WideFromSystem(fileName);
  if (start.size() < file.size()) start.copy(file.data(), start.size());

  OPENFILENAMEW dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filterList.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrTitle = titleText.c_str();
  // OFN_NOCHANGEDIR: the working directory must stay where lastdir.ini lives.
  dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_NOCHANGEDIR;
  if (!GetOpenFileNameW(&dialog)) return false;
  fileName = SystemFromWide(file.data());
  return true;
}

void TSystemShellDialogs::OpenLink(const std::string& target) { Extra::OpenLink(target); }

}  // namespace wrenfield
