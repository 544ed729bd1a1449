// A small modal dialog that lists lines (the installations into a game folder)
// with buttons for actions on them, left to right, and a close button.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace wrenfield {

inline constexpr int kListDialogList = 100;  // the list box's identifier

// The index of the action pressed, or -1 when the dialog was closed. Every
// control is given `font`.
int ShowListDialog(HWND owner, HFONT font, const std::wstring& title,
                   const std::vector<std::wstring>& lines, const std::vector<std::wstring>& actions,
                   const std::wstring& closeText);

}  // namespace wrenfield
