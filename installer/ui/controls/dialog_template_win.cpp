#include "dialog_template_win.h"

namespace wrenfield {
namespace {

BOOL CALLBACK SetChildFont(HWND child, LPARAM font) {
  SendMessageW(child, WM_SETFONT, static_cast<WPARAM>(font), TRUE);
  return TRUE;
}

}  // namespace

TDialogTemplate::TDialogTemplate(DWORD style, short width, short height,
                                 const std::wstring& title) {
  PutDword(style | DS_SETFONT);
  PutDword(0);
  words_.push_back(0);  // the number of items, counted as they are added
  for (const short value : {short{0}, short{0}, width, height}) PutShort(value);
  words_.push_back(0);  // no menu
  words_.push_back(0);  // the standard dialog class
  PutString(title);
  words_.push_back(8);  // points
  PutString(L"MS Sans Serif");
}

void TDialogTemplate::AddItem(DWORD style, short left, short top, short width, short height,
                              WORD id, WORD atom, const std::wstring& text) {
  if (words_.size() % 2 != 0) words_.push_back(0);  // items start on a DWORD boundary
  PutDword(style | WS_CHILD | WS_VISIBLE);
  PutDword(0);
  for (const short value : {left, top, width, height}) PutShort(value);
  words_.push_back(id);
  words_.push_back(0xFFFF);
  words_.push_back(atom);
  PutString(text);
  words_.push_back(0);  // no creation data
  ++words_[kItemCountIndex];
}

void TDialogTemplate::PutDword(DWORD value) {
  words_.push_back(LOWORD(value));
  words_.push_back(HIWORD(value));
}

void TDialogTemplate::PutString(const std::wstring& text) {
  words_.insert(words_.end(), text.begin(), text.end());
  words_.push_back(0);
}

void SetDialogFont(HWND dialog, HFONT font) {
  if (font) EnumChildWindows(dialog, SetChildFont, reinterpret_cast<LPARAM>(font));
}

void CentreOnOwner(HWND dialog) {
  HWND owner = GetWindow(dialog, GW_OWNER);
  RECT area, own;
  if (owner == nullptr || !GetWindowRect(owner, &area)) return;
  GetWindowRect(dialog, &own);
  const int width = own.right - own.left, height = own.bottom - own.top;
  SetWindowPos(dialog, nullptr, (area.left + area.right - width) / 2,
               (area.top + area.bottom - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

}  // namespace wrenfield
