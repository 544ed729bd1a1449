// A small modal dialog that lists lines (the installations into a game folder)
// with a close button.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace wrenfield {

inline constexpr int kListDialogList = 100;  // the list box's identifier

void ShowListDialog(HWND owner, const std::wstring& title, const std::vector<std::wstring>& lines,
                    const std::wstring& closeText);

}  // namespace wrenfield
