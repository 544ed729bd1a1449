#include "list_dialog_win.h"

#include <algorithm>

namespace wrenfield {
namespace {

// A dialog template in memory: the header, then each item, every item on a
// four-byte boundary. Sizes are in dialog units.
class DialogTemplate {
 public:
  DialogTemplate(DWORD style, WORD items, short width, short height, const std::wstring& title) {
    Dword(style | DS_SETFONT);
    Dword(0);  // extended style
    words_.push_back(items);
    Coordinates(0, 0, width, height);
    words_.push_back(0);  // no menu
    words_.push_back(0);  // the standard dialog class
    Text(title);
    words_.push_back(8);  // points
    Text(L"MS Shell Dlg");
  }

  void Item(DWORD style, short x, short y, short width, short height, WORD id, WORD classAtom,
            const std::wstring& text) {
    if (words_.size() % 2 != 0) words_.push_back(0);
    Dword(style | WS_CHILD | WS_VISIBLE);
    Dword(0);
    Coordinates(x, y, width, height);
    words_.push_back(id);
    words_.push_back(0xFFFF);
    words_.push_back(classAtom);
    Text(text);
    words_.push_back(0);  // no creation data
  }

  const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

 private:
  void Dword(DWORD value) {
    words_.push_back(LOWORD(value));
    words_.push_back(HIWORD(value));
  }
  void Coordinates(short x, short y, short width, short height) {
    for (const short value : {x, y, width, height}) words_.push_back(static_cast<WORD>(value));
  }
  void Text(const std::wstring& text) {
    words_.insert(words_.end(), text.begin(), text.end());
    words_.push_back(0);
  }

  std::vector<WORD> words_;
};

constexpr WORD kButtonAtom = 0x0080, kListBoxAtom = 0x0083;

// Fills the list and lets it scroll sideways as far as its longest line.
void FillList(HWND list, const std::vector<std::wstring>& lines) {
  HDC dc = GetDC(list);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0)));
  LONG widest = 0;
  for (const std::wstring& line : lines) {
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    SIZE extent = {};
    GetTextExtentPoint32W(dc, line.c_str(), static_cast<int>(line.size()), &extent);
    widest = std::max(widest, extent.cx);
  }
  SelectObject(dc, old);
  ReleaseDC(list, dc);
  SendMessageW(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest + 8), 0);
}

INT_PTR CALLBACK ListDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      FillList(GetDlgItem(dialog, kListDialogList),
               *reinterpret_cast<const std::vector<std::wstring>*>(lParam));
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, IDOK);
        return TRUE;
      }
      break;
    default:
      break;
  }
  return FALSE;
}

}  // namespace

void ShowListDialog(HWND owner, const std::wstring& title, const std::vector<std::wstring>& lines,
                    const std::wstring& closeText) {
  DialogTemplate form(DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU, 2, 360, 170,
                      title);
  form.Item(LBS_NOINTEGRALHEIGHT | LBS_NOSEL | WS_VSCROLL | WS_HSCROLL | WS_BORDER | WS_TABSTOP, 7,
            7, 346, 134, kListDialogList, kListBoxAtom, L"");
  form.Item(BS_DEFPUSHBUTTON | WS_TABSTOP, 293, 148, 60, 15, IDOK, kButtonAtom, closeText);
  DialogBoxIndirectParamW(GetModuleHandleW(nullptr), form.get(), owner, ListDialogProc,
                          reinterpret_cast<LPARAM>(&lines));
}

}  // namespace wrenfield
