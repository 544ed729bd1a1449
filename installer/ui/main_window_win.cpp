#include "main_window_win.h"

#include <utility>

#include "controls_win.h"
#include "extra_win.h"
#include "messages.h"
#include "text_win.h"

namespace wrenfield {
namespace {

int ScreenDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

}  // namespace

TMainWindow::TMainWindow(HINSTANCE instance, TShellDialogs& dialogs, TFormServices services)
    : instance_(instance),
      dialogs_(dialogs),
      banner_(instance, L"BANNER"),
      dpi_(ScreenDpi()),
      fonts_(dpi_),
      form_(std::make_unique<TAutoInstallForm>(*this, std::move(services))) {
  RegisterClasses(instance);

  // The application window: never seen itself, it carries the task bar button
  // with the application title and owns the main window.
  const int centreX =
      GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN) / 2;
  const int centreY =
      GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN) / 2;
  application_ =
      CreateWindowExW(0, kApplicationClass, WideFromCp1251(msg::kApplicationTitle).c_str(),
                      WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, centreX, centreY, 0, 0,
                      nullptr, nullptr, instance, this);

  // The main window: fixed size, centred on the whole desktop (all monitors).
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  // Folders and archives dropped anywhere on the window are taken as the mod.
  const DWORD exStyle = WS_EX_CONTROLPARENT | WS_EX_ACCEPTFILES;
  RECT frame = {0, 0, Scale(kClientWidth), Scale(kClientHeight)};
  AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  window_ = CreateWindowExW(exStyle, kWindowClass, WideFromCp1251(msg::kWindowCaption).c_str(),
                            style, centreX - width / 2, centreY - height / 2, width, height,
                            application_, nullptr, instance, this);
  CreateControls();
}

TMainWindow::~TMainWindow() {
  if (IsWindow(application_)) DestroyWindow(application_);  // the main window goes with it
  if (installPicture_) ImageList_Destroy(installPicture_);
  if (installBitmap_) DeleteObject(installBitmap_);
}

int TMainWindow::Scale(int pixels) const { return MulDiv(pixels, dpi_, 96); }

void TMainWindow::CreateControls() {
  for (const TLayoutEntry& entry : kLayout) {
    HWND parent = entry.parent == 0 ? window_ : Control(entry.parent);
    const RECT bounds = {Scale(entry.left), Scale(entry.top), Scale(entry.left + entry.width),
                         Scale(entry.top + entry.height)};
    HWND control;
    if (entry.className == nullptr) {
      control = CreateCheckList(parent, entry.id, bounds, instance_);
    } else {
      control = CreateWindowExW(
          entry.exStyle, entry.className, WideFromCp1251(entry.text).c_str(), entry.style,
          bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top, parent,
          reinterpret_cast<HMENU>(static_cast<INT_PTR>(entry.id)), instance_, nullptr);
    }
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_.Of(entry.font)), FALSE);
    controls_.emplace_back(entry.id, control);
  }

  SetWindowSubclass(Control(kLabel12), LinkProc, 0, reinterpret_cast<DWORD_PTR>(this));
  SetWindowSubclass(Control(kVehicleDir), ModFolderEditProc, 0, reinterpret_cast<DWORD_PTR>(this));
  SetUpInstallButtonPicture();
  SetReviewEnabled(false);
  SetUndoEnabled(false);

  // The link label's tooltip.
  tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_,
                             nullptr, instance_, nullptr);
  std::wstring tip = WideFromCp1251(msg::kLinkTooltip);
  TTTOOLINFOW tool = {};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = window_;
  tool.uId = reinterpret_cast<UINT_PTR>(Control(kLabel12));
  tool.lpszText = tip.data();
  SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void TMainWindow::SetUpInstallButtonPicture() {
  installBitmap_ = static_cast<HBITMAP>(
      LoadImageW(instance_, L"INSTALL", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (installBitmap_ == nullptr) return;
  // The bottom-left pixel's colour (purple) is the transparent one.
  HDC memory = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(memory, installBitmap_);
  const COLORREF transparent = GetPixel(memory, 0, 15);
  SelectObject(memory, old);
  DeleteDC(memory);

  installPicture_ = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 1, 0);
  ImageList_AddMasked(installPicture_, installBitmap_, transparent);
  BUTTON_IMAGELIST picture = {};
  picture.himl = installPicture_;
  picture.margin = RECT{4, 0, 0, 0};
  picture.uAlign = BUTTON_IMAGELIST_ALIGN_LEFT;
  SendMessageW(Control(kInstallBtn), BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&picture));
}

HWND TMainWindow::Control(int id) const {
  for (const auto& [controlId, control] : controls_)
    if (controlId == id) return control;
  return nullptr;
}

HWND TMainWindow::ControlOf(TEditField field) const {
  switch (field) {
    case TEditField::GTASADir:
      return Control(kGTASADir);
    case TEditField::VehicleDir:
      return Control(kVehicleDir);
    case TEditField::handling:
      return Control(kHandling);
    case TEditField::vehicles:
      return Control(kVehicles);
    case TEditField::carcols:
      return Control(kCarcols);
    case TEditField::carmods:
      return Control(kCarmods);
    case TEditField::DFF:
      return Control(kDFF);
    case TEditField::TXD:
      return Control(kTXD);
  }
  return nullptr;
}

void TMainWindow::Show() { ShowWindow(window_, SW_SHOW); }

int TMainWindow::Run() {
  ShowWindow(application_, SW_SHOWNOACTIVATE);
  Show();
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) Dispatch(message);
  return static_cast<int>(message.wParam);
}

void TMainWindow::Dispatch(MSG& message) {
  if (IsWindow(window_) && IsDialogMessageW(window_, &message)) return;
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

// ---- the view ----

// The folder edits, DFF and TXD hold paths in the system's code page; the
// data-file lines are code page 1251 text, and so is a notice shown in place
// of a path.
bool TMainWindow::HoldsPath(TEditField field) {
  switch (field) {
    case TEditField::GTASADir:
    case TEditField::VehicleDir:
    case TEditField::DFF:
    case TEditField::TXD:
      return true;
    default:
      return false;
  }
}

// A notice stays one until the user edits it: setting a text clears the edit's
// modified flag, typing sets it.
bool TMainWindow::ShowsNotice(TEditField field) const {
  return noticeShown_[static_cast<int>(field)] &&
         SendMessageW(ControlOf(field), EM_GETMODIFY, 0, 0) == 0;
}

std::string TMainWindow::GetText(TEditField field) const {
  HWND edit = ControlOf(field);
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
  text.resize(
      static_cast<size_t>(GetWindowTextW(edit, text.data(), static_cast<int>(text.size()))));
  return HoldsPath(field) && !ShowsNotice(field) ? SystemFromWide(text) : Cp1251FromWide(text);
}

void TMainWindow::SetText(TEditField field, const std::string& text) {
  SetEditText(field, HoldsPath(field) ? WideFromSystem(text) : WideFromCp1251(text), false);
}

void TMainWindow::ShowNotice(TEditField field, const std::string& notice) {
  SetEditText(field, WideFromCp1251(notice), true);
}

void TMainWindow::SetEditText(TEditField field, const std::wstring& text, bool notice) {
  HWND edit = ControlOf(field);
  SetWindowTextW(edit, text.c_str());
  SendMessageW(edit, EM_SETMODIFY, FALSE, 0);
  noticeShown_[static_cast<int>(field)] = notice;
}

std::vector<TAdvItem> TMainWindow::GetAdvItems() const { return CheckListItems(Control(kAdv)); }

void TMainWindow::SetAdvItems(const std::vector<TAdvItem>& items) {
  SetCheckListItems(Control(kAdv), items);
}

void TMainWindow::SetReviewEnabled(bool enabled) {
  for (const int id : kReviewControls) EnableWindow(Control(id), enabled);
}

void TMainWindow::SetUndoEnabled(bool enabled) { EnableWindow(Control(kUndoBtn), enabled); }

void TMainWindow::FocusVehicleDir() {
  savedFocus_ = Control(kVehicleDir);
  SetFocus(savedFocus_);
}

void TMainWindow::FocusReviewGroup() {
  savedFocus_ = Control(kGroupBox1);
  SetFocus(savedFocus_);
}

void TMainWindow::ShowError(const std::string& message) {
  dialogs_.MessageBox(window_, WideFromCp1251(message), WideFromCp1251(msg::kApplicationTitle),
                      MB_OK | MB_ICONERROR);
}

void TMainWindow::ShowInfo(const std::string& message) {
  dialogs_.MessageBox(window_, WideFromCp1251(message), WideFromCp1251(msg::kApplicationTitle),
                      MB_OK | MB_ICONINFORMATION);
}

bool TMainWindow::Confirm(const std::string& question) {
  return dialogs_.MessageBox(window_, WideFromCp1251(question),
                             WideFromCp1251(msg::kApplicationTitle),
                             MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

void TMainWindow::ShowHistory(const std::vector<std::string>& lines) {
  std::vector<std::wstring> wide;
  for (const std::string& line : lines) wide.push_back(WideFromCp1251(line));
  dialogs_.ShowList(window_, WideFromCp1251(msg::kHistoryTitle), wide,
                    WideFromCp1251(msg::kCloseButton));
}

bool TMainWindow::SelectFolder(const std::string& prompt, std::string& folder) {
  return dialogs_.SelectFolder(window_, prompt, folder);
}

bool TMainWindow::SelectModSource(const std::string& prompt, std::string& path) {
  return dialogs_.SelectModSource(window_, prompt, path);
}

bool TMainWindow::ChooseModFolder(const std::vector<std::string>& candidates, std::size_t& choice) {
  return dialogs_.ChooseModFolder(window_, candidates, choice);
}

bool TMainWindow::OpenFile(const std::string& filter, const std::string& title,
                           std::string& fileName) {
  return dialogs_.OpenFile(window_, filter, title, fileName);
}

void TMainWindow::OpenLink(const std::string& target) { dialogs_.OpenLink(target); }

void TMainWindow::HighlightLink() { Extra::HighlightLink(Control(kLabel12)); }

void TMainWindow::UnhighlightLink() { Extra::UnhighlightLink(Control(kLabel12)); }

}  // namespace wrenfield
