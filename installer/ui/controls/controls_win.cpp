#include "controls_win.h"

#include <commctrl.h>
#include <windowsx.h>

#include "text_win.h"

namespace wrenfield {
namespace {

// Flat button state, kept in the window's extra bytes.
enum FlatButtonState : LONG_PTR { kHot = 1, kPressed = 2 };
constexpr int kStateIndex = 0;
constexpr int kFontIndex = sizeof(LONG_PTR);

LONG_PTR State(HWND button) { return GetWindowLongPtrW(button, kStateIndex); }

void SetState(HWND button, LONG_PTR state) {
  if (State(button) == state) return;
  SetWindowLongPtrW(button, kStateIndex, state);
  InvalidateRect(button, nullptr, TRUE);
}

void PaintFlatButton(HWND button) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(button, &paint);
  RECT bounds;
  GetClientRect(button, &bounds);
  FillRect(dc, &bounds, GetSysColorBrush(COLOR_BTNFACE));
  const bool enabled = IsWindowEnabled(button);
  const LONG_PTR state = State(button);
  // The border shows only under the mouse; sunken while pressed.
  if (enabled && (state & kPressed) && (state & kHot))
    DrawEdge(dc, &bounds, BDR_SUNKENOUTER, BF_RECT);
  else if (enabled && (state & (kHot | kPressed)))
    DrawEdge(dc, &bounds, BDR_RAISEDINNER, BF_RECT);

  wchar_t text[64] = {};
  GetWindowTextW(button, text, 64);
  HFONT font = reinterpret_cast<HFONT>(GetWindowLongPtrW(button, kFontIndex));
  HGDIOBJ oldFont = font ? SelectObject(dc, font) : nullptr;
  SetBkMode(dc, TRANSPARENT);
  if ((state & kPressed) && (state & kHot)) OffsetRect(&bounds, 1, 1);
  if (!enabled) {
    RECT shadow = bounds;
    OffsetRect(&shadow, 1, 1);
    SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
    DrawTextW(dc, text, -1, &shadow, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
  SetTextColor(dc, GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
  DrawTextW(dc, text, -1, &bounds, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  if (oldFont) SelectObject(dc, oldFont);
  EndPaint(button, &paint);
}

void NotifyClick(HWND button) {
  SendMessageW(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
               reinterpret_cast<LPARAM>(button));
}

bool PointInside(HWND button, LPARAM point) {
  RECT bounds;
  GetClientRect(button, &bounds);
  const POINT p = {GET_X_LPARAM(point), GET_Y_LPARAM(point)};
  return PtInRect(&bounds, p) != 0;
}

LRESULT CALLBACK FlatButtonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      PaintFlatButton(button);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_SETFONT:
      SetWindowLongPtrW(button, kFontIndex, static_cast<LONG_PTR>(wParam));
      if (LOWORD(lParam)) InvalidateRect(button, nullptr, TRUE);
      return 0;
    case WM_GETFONT:
      return GetWindowLongPtrW(button, kFontIndex);
    case WM_ENABLE:
      if (!wParam) SetState(button, 0);
      InvalidateRect(button, nullptr, TRUE);
      return 0;
    case WM_MOUSEMOVE: {
      const bool inside = PointInside(button, lParam);
      LONG_PTR state = State(button);
      if (!(state & kHot) && inside) {
        TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, button, 0};
        TrackMouseEvent(&track);
      }
      SetState(button, inside ? (state | kHot) : (state & ~kHot));
      return 0;
    }
    case WM_MOUSELEAVE:
      SetState(button, State(button) & ~kHot);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      SetCapture(button);  // no SetFocus: the flat button never takes the keyboard focus
      SetState(button, kPressed | kHot);
      return 0;
    case WM_LBUTTONUP: {
      const bool wasPressed = (State(button) & kPressed) != 0;
      const bool inside = PointInside(button, lParam);
      if (GetCapture() == button) ReleaseCapture();
      SetState(button, inside ? LONG_PTR{kHot} : LONG_PTR{0});
      if (wasPressed && inside) NotifyClick(button);
      return 0;
    }
    case WM_CAPTURECHANGED:
      SetState(button, State(button) & ~kPressed);
      return 0;
    case BM_CLICK:
      if (IsWindowEnabled(button)) NotifyClick(button);
      return 0;
    case WM_SETTEXT: {
      const LRESULT result = DefWindowProcW(button, message, wParam, lParam);
      InvalidateRect(button, nullptr, TRUE);
      return result;
    }
    default:
      return DefWindowProcW(button, message, wParam, lParam);
  }
}

// The square left of an item's text that holds its check box.
RECT CheckBoxRect(const RECT& item) {
  const int side = item.bottom - item.top;
  return RECT{item.left + 1, item.top, item.left + 1 + side, item.bottom};
}

void ToggleItem(HWND list, int index) {
  if (index < 0 || index >= ListBox_GetCount(list)) return;
  const LRESULT checked = SendMessageW(list, LB_GETITEMDATA, index, 0);
  SendMessageW(list, LB_SETITEMDATA, index, checked ? 0 : 1);
  RECT item;
  SendMessageW(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item));
  InvalidateRect(list, &item, TRUE);
}

LRESULT CALLBACK CheckListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                               DWORD_PTR) {
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      const LRESULT hit = SendMessageW(list, LB_ITEMFROMPOINT, 0, lParam);
      const int index = LOWORD(hit);
      if (HIWORD(hit) == 0) {
        RECT item;
        SendMessageW(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item));
        const RECT box = CheckBoxRect(item);
        const POINT p = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        if (PtInRect(&box, p) || message == WM_LBUTTONDBLCLK) ToggleItem(list, index);
      }
      break;
    }
    case WM_CHAR:
      if (wParam == L' ') {
        ToggleItem(list, ListBox_GetCurSel(list));
        return 0;
      }
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(list, CheckListProc, 0);
      break;
  }
  return DefSubclassProc(list, message, wParam, lParam);
}

}  // namespace

void RegisterFlatButtonClass(HINSTANCE instance) {
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_DBLCLKS;
  windowClass.lpfnWndProc = FlatButtonProc;
  windowClass.cbWndExtra = 2 * sizeof(LONG_PTR);
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  windowClass.lpszClassName = kFlatButtonClass;
  RegisterClassExW(&windowClass);
}

HWND CreateCheckList(HWND parent, int id, const RECT& bounds, HINSTANCE instance) {
  HWND list = CreateWindowExW(WS_EX_CLIENTEDGE, L"ListBox", L"",
                              WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | LBS_OWNERDRAWFIXED |
                                  LBS_HASSTRINGS | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                              bounds.left, bounds.top, bounds.right - bounds.left,
                              bounds.bottom - bounds.top, parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
  SetWindowSubclass(list, CheckListProc, 0, 0);
  return list;
}

void MeasureCheckListItem(MEASUREITEMSTRUCT& item, int itemHeight) {
  item.itemHeight = static_cast<UINT>(itemHeight);
}

void DrawCheckListItem(const DRAWITEMSTRUCT& item) {
  if (item.itemID == static_cast<UINT>(-1)) return;
  HDC dc = item.hDC;
  const bool enabled = IsWindowEnabled(item.hwndItem);
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  RECT box = CheckBoxRect(item.rcItem);
  RECT text = item.rcItem;
  text.left = box.right + 2;

  FillRect(dc, &item.rcItem, GetSysColorBrush(enabled ? COLOR_WINDOW : COLOR_BTNFACE));
  InflateRect(&box, -1, -1);
  UINT state = DFCS_BUTTONCHECK | DFCS_FLAT;
  if (item.itemData) state |= DFCS_CHECKED;
  if (!enabled) state |= DFCS_INACTIVE;
  DrawFrameControl(dc, &box, DFC_BUTTON, state);

  const LRESULT length = SendMessageW(item.hwndItem, LB_GETTEXTLEN, item.itemID, 0);
  std::wstring label(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
  SendMessageW(item.hwndItem, LB_GETTEXT, item.itemID, reinterpret_cast<LPARAM>(label.data()));
  label.resize(static_cast<size_t>(length > 0 ? length : 0));
  if (selected && enabled) FillRect(dc, &text, GetSysColorBrush(COLOR_HIGHLIGHT));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(!enabled   ? COLOR_GRAYTEXT
                               : selected ? COLOR_HIGHLIGHTTEXT
                                          : COLOR_WINDOWTEXT));
  RECT inner = text;
  inner.left += 2;
  DrawTextW(dc, label.c_str(), -1, &inner,
            DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_PATH_ELLIPSIS);
  if ((item.itemState & ODS_FOCUS) && enabled) DrawFocusRect(dc, &text);
}

std::vector<TAdvItem> CheckListItems(HWND list) {
  std::vector<TAdvItem> items;
  const int count = ListBox_GetCount(list);
  for (int i = 0; i < count; ++i) {
    const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, i, 0);
    std::wstring text(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
    SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(length > 0 ? length : 0));
    items.push_back({SystemFromWide(text), SendMessageW(list, LB_GETITEMDATA, i, 0) != 0});
  }
  return items;
}

void SetCheckListItems(HWND list, const std::vector<TAdvItem>& items) {
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  for (const TAdvItem& item : items) {
    const std::wstring text = WideFromSystem(item.path);
    const LRESULT index =
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageW(list, LB_SETITEMDATA, index, item.checked ? 1 : 0);
  }
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
}

}  // namespace wrenfield
