// The window procedures of the main window, its application window, its frame
// panels, the link label and the mod folder edit. They only turn messages into
// calls of the form's handlers (or of the view's own painting and focus care).
#include <windowsx.h>

#include "extra_win.h"
#include "main_window_win.h"
#include "text_win.h"

namespace wrenfield {
namespace {

constexpr UINT kActivateMainWindow = WM_APP + 1;

// A framed group: an etched frame whose top runs through the middle of the
// caption, which stands at the left on the button face.
void PaintGroupFrame(HWND panel) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(panel, &paint);
  HFONT font = reinterpret_cast<HFONT>(GetWindowLongPtrW(panel, GWLP_USERDATA));
  HGDIOBJ oldFont = font ? SelectObject(dc, font) : nullptr;
  TEXTMETRICW metrics;
  GetTextMetricsW(dc, &metrics);
  RECT frame;
  GetClientRect(panel, &frame);
  frame.top += metrics.tmHeight / 2;
  DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);

  wchar_t caption[128] = {};
  const int length = GetWindowTextW(panel, caption, 128);
  SIZE extent = {};
  GetTextExtentPoint32W(dc, caption, length, &extent);
  const int left = MulDiv(8, GetDeviceCaps(dc, LOGPIXELSX), 96);
  RECT label = {left, 0, left + extent.cx + 2, metrics.tmHeight};
  FillRect(dc, &label, GetSysColorBrush(COLOR_BTNFACE));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  TextOutW(dc, left + 1, 0, caption, length);
  if (oldFont) SelectObject(dc, oldFont);
  EndPaint(panel, &paint);
}

TMainWindow* WindowOf(HWND window) {
  return reinterpret_cast<TMainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

HICON LoadAppIcon(HINSTANCE instance, int size) {
  return static_cast<HICON>(
      LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

}  // namespace

void TMainWindow::RegisterClasses(HINSTANCE instance) {
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.hIcon = LoadAppIcon(instance, GetSystemMetrics(SM_CXICON));
  windowClass.hIconSm = LoadAppIcon(instance, GetSystemMetrics(SM_CXSMICON));

  windowClass.lpfnWndProc = WindowProc;
  windowClass.lpszClassName = kWindowClass;
  RegisterClassExW(&windowClass);
  windowClass.lpfnWndProc = ApplicationProc;
  windowClass.lpszClassName = kApplicationClass;
  RegisterClassExW(&windowClass);
  windowClass.lpfnWndProc = PanelProc;
  windowClass.lpszClassName = kPanelClass;
  windowClass.hIcon = windowClass.hIconSm = nullptr;
  RegisterClassExW(&windowClass);
  RegisterFlatButtonClass(instance);
}

void TMainWindow::OnCommand(int id, int code) {
  if (id == kGTASADir && code == EN_CHANGE) {
    form_->GTASADirChange();
    return;
  }
  if (code != BN_CLICKED) return;             // STN_CLICKED has the same value
  if (!IsWindowEnabled(Control(id))) return;  // a locked control never acts
  switch (id) {
    case kDirBrowseBtn:
      form_->DirBrowseBtnClick();
      break;
    case kVehDirBrowseBtn:
      form_->VehDirBrowseBtnClick();
      break;
    case kSpeedButton1:
      form_->SpeedButton1Click();
      break;
    case kSpeedButton2:
      form_->SpeedButton2Click();
      break;
    case kInstallBtn:
      form_->InstallBtnClick();
      break;
    case kUndoBtn:
      form_->UndoBtnClick();
      break;
    case kHistoryBtn:
      form_->HistoryBtnClick();
      break;
    case kLabel12:
      form_->Label12Click();
      break;
    default:
      break;
  }
}

// The first of the dropped files or folders goes to the logic.
void TMainWindow::OnDropFiles(HDROP drop) {
  const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
  std::wstring path(length + 1, L'\0');
  DragQueryFileW(drop, 0, path.data(), length + 1);
  path.resize(length);
  DragFinish(drop);
  if (length > 0) form_->FormDropFiles(SystemPathFromWide(path));
}

// Keeps the focused control across deactivation, as dialogs do.
void TMainWindow::OnActivate(bool active) {
  if (!active) {
    HWND focus = GetFocus();
    if (focus && IsChild(window_, focus)) savedFocus_ = focus;
    return;
  }
  HWND target = savedFocus_;
  if (!target || !IsWindow(target) || !IsWindowEnabled(target)) target = Control(kDirBrowseBtn);
  SetFocus(target);
}

LRESULT TMainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_DROPFILES:
      OnDropFiles(reinterpret_cast<HDROP>(wParam));
      return 0;
    case WM_MEASUREITEM: {
      auto& item = *reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
      if (item.CtlType == ODT_LISTBOX) MeasureCheckListItem(item, Scale(kAdvItemHeight));
      return TRUE;
    }
    case WM_DRAWITEM: {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (item.CtlID == kImage1) banner_.Draw(item.hDC, item.rcItem);
      if (item.CtlID == kAdv) DrawCheckListItem(item);
      if (item.CtlID == kBevel1) {  // an etched line along the top edge only
        RECT line = item.rcItem;
        FillRect(item.hDC, &line, GetSysColorBrush(COLOR_BTNFACE));
        DrawEdge(item.hDC, &line, EDGE_ETCHED, BF_TOP);
      }
      return TRUE;
    }
    case WM_CTLCOLORSTATIC:
      if (reinterpret_cast<HWND>(lParam) == Control(kLabel12)) {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, Extra::LinkColour(Control(kLabel12)));
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
      }
      break;
    case WM_SHOWWINDOW:
      if (wParam && lParam == 0) form_->FormCreate();  // shown by the program, not restored
      break;
    case WM_ACTIVATE:
      OnActivate(LOWORD(wParam) != WA_INACTIVE);
      return 0;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_MINIMIZE) {
        ShowWindow(application_, SW_MINIMIZE);  // hides the owned main window with it
        return 0;
      }
      break;
    case WM_CLOSE:
      // While work runs the window cannot go: the work asks to stop instead,
      // and the player closes the window once it has.
      if (work_.window != nullptr) {
        work_.stopAsked = true;
        return 0;
      }
      form_->FormClose();
      DestroyWindow(application_);
      return 0;
    case WM_DESTROY:
      RemovePropW(Control(kLabel12), L"WrenfieldLinkColour");
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window_, message, wParam, lParam);
}

LRESULT CALLBACK TMainWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self =
        static_cast<TMainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->window_ = window;
  }
  TMainWindow* self = WindowOf(window);
  if (self == nullptr || self->window_ != window)
    return DefWindowProcW(window, message, wParam, lParam);
  return self->HandleMessage(message, wParam, lParam);
}

LRESULT CALLBACK TMainWindow::ApplicationProc(HWND window, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
  if (message == WM_NCCREATE) {
    SetWindowLongPtrW(
        window, GWLP_USERDATA,
        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
  }
  TMainWindow* self = WindowOf(window);
  switch (message) {
    case WM_ACTIVATE:
      // Activated through its task bar button: hand over to the main window or its open box.
      if (self && LOWORD(wParam) != WA_INACTIVE) PostMessageW(window, kActivateMainWindow, 0, 0);
      return 0;
    case kActivateMainWindow:
      if (self && IsWindow(self->window_) && !IsIconic(window)) {
        HWND target = GetLastActivePopup(self->window_);
        if (IsWindowVisible(target)) SetForegroundWindow(target);
      }
      return 0;
    case WM_CLOSE:
      if (self && IsWindow(self->window_)) SendMessageW(self->window_, WM_CLOSE, 0, 0);
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

// A frame panel passes its controls' notifications on to the main window and,
// when it holds the focus itself, hands Tab to its first control.
LRESULT CALLBACK TMainWindow::PanelProc(HWND panel, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
      return SendMessageW(GetParent(panel), message, wParam, lParam);
    case WM_SETFONT:
      SetWindowLongPtrW(panel, GWLP_USERDATA, static_cast<LONG_PTR>(wParam));
      return 0;
    case WM_GETFONT:
      return GetWindowLongPtrW(panel, GWLP_USERDATA);
    case WM_PAINT:
      PaintGroupFrame(panel);
      return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTTAB;
    case WM_KEYDOWN:
      if (wParam == VK_TAB) {
        HWND root = GetParent(panel);
        const bool back = GetKeyState(VK_SHIFT) < 0;
        HWND first = GetNextDlgTabItem(panel, nullptr, FALSE);
        HWND next = back ? GetNextDlgTabItem(root, panel, TRUE) : first;
        if (!back && (next == nullptr || !IsChild(panel, next)))
          next = GetNextDlgTabItem(root, panel, FALSE);
        if (next) SetFocus(next);
        return 0;
      }
      break;
    default:
      break;
  }
  return DefWindowProcW(panel, message, wParam, lParam);
}

LRESULT CALLBACK TMainWindow::LinkProc(HWND label, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR, DWORD_PTR data) {
  auto* self = reinterpret_cast<TMainWindow*>(data);
  switch (message) {
    case WM_MOUSEMOVE:
      if (!self->linkHot_) {
        self->linkHot_ = true;
        TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, label, 0};
        TrackMouseEvent(&track);
        self->form_->Label12MouseEnter();
      }
      break;
    case WM_MOUSELEAVE:
      self->linkHot_ = false;
      self->form_->Label12MouseLeave();
      return 0;
    case WM_SETCURSOR:
      SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_HAND)));
      return TRUE;
    case WM_NCDESTROY:
      RemoveWindowSubclass(label, LinkProc, 0);
      break;
    default:
      break;
  }
  return DefSubclassProc(label, message, wParam, lParam);
}

// The mod folder edit reports every key press to the logic (Enter accepts the
// folder) and then handles it as usual; the Enter character itself is dropped
// so the edit does not beep. A key pressed with Alt held comes as a system key:
// it is reported the same way, so Enter counts whatever the modifiers.
LRESULT CALLBACK TMainWindow::ModFolderEditProc(HWND edit, UINT message, WPARAM wParam,
                                                LPARAM lParam, UINT_PTR, DWORD_PTR data) {
  auto* self = reinterpret_cast<TMainWindow*>(data);
  switch (message) {
    case WM_GETDLGCODE: {
      const MSG* pending = reinterpret_cast<const MSG*>(lParam);
      LRESULT code = DefSubclassProc(edit, message, wParam, lParam);
      if (pending && pending->message == WM_KEYDOWN && pending->wParam == VK_RETURN)
        code |= DLGC_WANTALLKEYS;
      return code;
    }
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      self->form_->VehicleDirKeyDown(static_cast<int>(wParam));
      break;
    case WM_CHAR:
      if (wParam == L'\r') return 0;
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(edit, ModFolderEditProc, 0);
      break;
    default:
      break;
  }
  return DefSubclassProc(edit, message, wParam, lParam);
}

}  // namespace wrenfield
