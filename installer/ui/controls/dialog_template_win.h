// Dialogs built in memory (the program carries no dialog resource), so that
// their texts come from the program's code page 1251 texts: a template in
// dialog units with the window's font face, and the helpers the dialogs share.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

namespace wrenfield {

// Control classes of a dialog template, by their predefined atoms.
inline constexpr WORD kButtonAtom = 0x0080;
inline constexpr WORD kStaticAtom = 0x0082;
inline constexpr WORD kListBoxAtom = 0x0083;

class TDialogTemplate {
 public:
  TDialogTemplate(DWORD style, short width, short height, const std::wstring& title);
  void AddItem(DWORD style, short left, short top, short width, short height, WORD id, WORD atom,
               const std::wstring& text);
  const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

 private:
  static constexpr std::size_t kItemCountIndex = 4;  // after the two style words of 32 bits
  void PutDword(DWORD value);
  void PutShort(short value) { words_.push_back(static_cast<WORD>(value)); }
  void PutString(const std::wstring& text);

  std::vector<WORD> words_;
};

// Gives every control of the dialog the font.
void SetDialogFont(HWND dialog, HFONT font);
// Puts the dialog in the middle of its owner.
void CentreOnOwner(HWND dialog);

}  // namespace wrenfield
