// Extra: the small shell services of the main window (folder dialog, opening a
// link, the link label's two colours). Prompts and links are code page 1251
// text, the chosen folder is a path in the system's code page.
#pragma once

#include <windows.h>
// after windows.h
#include <shlobj.h>

#include <string>

namespace wrenfield::Extra {

inline constexpr COLORREF kLinkBlue = RGB(0, 0, 255);  // 0xFF0000
inline constexpr COLORREF kLinkNavy = RGB(0, 0, 128);  // 0x800000

// The folder dialog (file-system folders only); `result` becomes the chosen
// folder when confirmed and is left untouched when cancelled or not shown.
void SelectFolder(HWND owner, const std::string& prompt, std::string& result);

// The folder dialog for a mod: it also shows mod archives (.zip, .7z, .rar) and
// accepts one; `result` becomes the chosen folder or archive (its short form
// when the system's code page cannot spell it) when confirmed, and is left
// untouched when cancelled or not shown.
void SelectFolderOrArchive(HWND owner, const std::string& prompt, std::string& result);

// Whether that dialog shows an item of a shell folder: folders and the places
// that hold them, and files named as mod archives.
bool ShowsInModDialog(IShellFolder* folder, PCUITEMID_CHILD item);

// Opens a web address or document with its default handler; the shell's answer
// is not examined.
void OpenLink(const std::string& target);

// Set the link label's text colour (blue / navy) and repaint it. They take
// labels only: any other control raises Error.
void HighlightLink(HWND label);
void UnhighlightLink(HWND label);

// The label's current link colour (navy until highlighted).
COLORREF LinkColour(HWND label);

}  // namespace wrenfield::Extra
