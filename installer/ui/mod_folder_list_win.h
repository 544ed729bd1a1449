// The short modal list from which the user chooses the mod folder when an
// archive holds several.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

namespace wrenfield {

// The dialog's control identifiers (besides IDOK and IDCANCEL).
inline constexpr int kModFolderHint = 200;
inline constexpr int kModFolderList = 201;

// Shows the folders (paths inside the archive in the system's code page, "/"
// between parts, "." for its top) as Windows paths, the first one selected;
// true with the chosen index in `choice` when confirmed (OK, Enter or a double
// click), false when cancelled.
bool ChooseFromModFolderList(HWND owner, const std::vector<std::string>& folders,
                             std::size_t& choice);

// A folder as the list shows it.
std::wstring ModFolderListText(const std::string& folder);

}  // namespace wrenfield
