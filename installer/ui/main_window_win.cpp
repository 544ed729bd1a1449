#include "main_window_win.h"

#include <windowsx.h>

#include <utility>

#include "controls_win.h"
#include "extra_win.h"
#include "read_data.h"
#include "text_win.h"
#include "ui_texts.h"

namespace wrenfield {
namespace {

constexpr wchar_t kApplicationClass[] = L"WrenfieldApplication";
constexpr wchar_t kWindowClass[] = L"WrenfieldMainWindow";
constexpr wchar_t kPanelClass[] = L"WrenfieldGroup";
constexpr int kClientWidth = 595;
constexpr int kClientHeight = 533;
constexpr int kAdvItemHeight = 13;
constexpr UINT kActivateMainWindow = WM_APP + 1;

enum class TFont { Default, Credits, Link };

// One control of the window's layout: position and size in pixels at 96 dots
// per inch, relative to its parent (the window or a frame panel).
struct TLayoutEntry {
  int id;
  int parent;  // 0: the window
  const wchar_t* className;
  const char* text;  // code page 1251
  DWORD style;
  DWORD exStyle;
  int left, top, width, height;
  TFont font;
};

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kLabel = kChild | SS_LEFTNOWORDWRAP | SS_NOPREFIX;
constexpr DWORD kEdit = kChild | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD kButton = kChild | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kPanel = kChild | WS_CLIPCHILDREN;

// Creation order is tab order: within each parent the tab controls come first,
// in their tab positions, then the controls that never take the focus.
const TLayoutEntry kLayout[] = {
    {kImage1, 0, L"Static", "", kChild | SS_OWNERDRAW, 0, 0, 0, 597, 63, TFont::Default},
    {kBevel1, 0, L"Static", "", kChild | SS_OWNERDRAW, 0, 0, 63, 597, 10, TFont::Default},
    {kLabel11, 0, L"Static", ui_texts::kCredits, kLabel | WS_DISABLED, 0, 8, 513, 207, 13,
     TFont::Credits},
    {kLabel12, 0, L"Static", ui_texts::kAuthorPage, kLabel | SS_NOTIFY, 0, 475, 513, 101, 13,
     TFont::Link},
    {kGroupBox1, 0, kPanelClass, ui_texts::kReviewGroup, kPanel, WS_EX_CONTROLPARENT, 8, 176, 569,
     329, TFont::Default},
    {kGroupBox2, 0, kPanelClass, ui_texts::kGameFolderGroup, kPanel, WS_EX_CONTROLPARENT, 8, 72,
     569, 49, TFont::Default},
    {kGroupBox3, 0, kPanelClass, ui_texts::kModFolderGroup, kPanel, WS_EX_CONTROLPARENT, 8, 124,
     569, 49, TFont::Default},

    {kHandling, kGroupBox1, L"Edit", "", kEdit, WS_EX_CLIENTEDGE, 80, 44, 473, 21, TFont::Default},
    {kVehicles, kGroupBox1, L"Edit", "", kEdit, WS_EX_CLIENTEDGE, 80, 66, 473, 21, TFont::Default},
    {kCarcols, kGroupBox1, L"Edit", "", kEdit, WS_EX_CLIENTEDGE, 80, 88, 473, 21, TFont::Default},
    {kCarmods, kGroupBox1, L"Edit", "", kEdit, WS_EX_CLIENTEDGE, 80, 110, 473, 21, TFont::Default},
    {kDFF, kGroupBox1, L"Edit", "", kEdit, WS_EX_CLIENTEDGE, 40, 140, 449, 21, TFont::Default},
    {kTXD, kGroupBox1, L"Edit", "", kEdit, WS_EX_CLIENTEDGE, 40, 164, 449, 21, TFont::Default},
    {kAdv, kGroupBox1, nullptr /* check-list */, "", 0, 0, 16, 208, 537, 81, TFont::Default},
    {kInstallBtn, kGroupBox1, L"Button", ui_texts::kInstallButton, kButton, 0, 208, 296, 153, 25,
     TFont::Default},
    {kLabel2, kGroupBox1, L"Static", ui_texts::kReviewHint, kLabel, 0, 57, 24, 455, 13,
     TFont::Default},
    {kLabel3, kGroupBox1, L"Static", "handling.cfg", kLabel, 0, 16, 48, 58, 13, TFont::Default},
    {kLabel4, kGroupBox1, L"Static", "vehicles.ide", kLabel, 0, 16, 70, 56, 13, TFont::Default},
    {kLabel5, kGroupBox1, L"Static", "carcols.dat", kLabel, 0, 16, 92, 52, 13, TFont::Default},
    {kLabel6, kGroupBox1, L"Static", "carmods.dat", kLabel, 0, 16, 114, 58, 13, TFont::Default},
    {kLabel7, kGroupBox1, L"Static", "DFF", kLabel, 0, 16, 144, 20, 13, TFont::Default},
    {kLabel8, kGroupBox1, L"Static", "TXD", kLabel, 0, 16, 168, 22, 13, TFont::Default},
    {kLabel9, kGroupBox1, L"Static", ui_texts::kExtraFiles, kLabel, 0, 16, 192, 128, 13,
     TFont::Default},
    {kSpeedButton1, kGroupBox1, kFlatButtonClass, ui_texts::kBrowse3, kChild, 0, 496, 139, 57, 23,
     TFont::Default},
    {kSpeedButton2, kGroupBox1, kFlatButtonClass, ui_texts::kBrowse3, kChild, 0, 496, 163, 57, 23,
     TFont::Default},

    {kDirBrowseBtn, kGroupBox2, L"Button", ui_texts::kBrowse2, kButton, 0, 486, 16, 75, 25,
     TFont::Default},
    {kGTASADir, kGroupBox2, L"Edit", "", kEdit, WS_EX_CLIENTEDGE, 8, 18, 473, 21, TFont::Default},

    {kVehicleDir, kGroupBox3, L"Edit", "", kEdit, WS_EX_CLIENTEDGE, 8, 18, 473, 21, TFont::Default},
    {kVehDirBrowseBtn, kGroupBox3, L"Button", ui_texts::kBrowse3, kButton, 0, 486, 16, 75, 25,
     TFont::Default},
};

// The 18 review controls, enabled and disabled together.
constexpr int kReviewControls[] = {kLabel2,   kLabel3,   kLabel4,    kLabel5,       kLabel6,
                                   kLabel7,   kLabel8,   kLabel9,    kSpeedButton1, kSpeedButton2,
                                   kHandling, kVehicles, kCarcols,   kCarmods,      kDFF,
                                   kTXD,      kAdv,      kInstallBtn};

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

void RegisterClasses(HINSTANCE instance, WNDPROC windowProc, WNDPROC applicationProc,
                     WNDPROC panelProc) {
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.hIcon = LoadAppIcon(instance, GetSystemMetrics(SM_CXICON));
  windowClass.hIconSm = LoadAppIcon(instance, GetSystemMetrics(SM_CXSMICON));

  windowClass.lpfnWndProc = windowProc;
  windowClass.lpszClassName = kWindowClass;
  RegisterClassExW(&windowClass);
  windowClass.lpfnWndProc = applicationProc;
  windowClass.lpszClassName = kApplicationClass;
  RegisterClassExW(&windowClass);
  windowClass.lpfnWndProc = panelProc;
  windowClass.lpszClassName = kPanelClass;
  windowClass.hIcon = windowClass.hIconSm = nullptr;
  RegisterClassExW(&windowClass);
  RegisterFlatButtonClass(instance);
}

HFONT CreateFace(int height, const wchar_t* face, BYTE charset, bool underline) {
  return CreateFontW(-height, 0, 0, 0, FW_NORMAL, FALSE, underline, FALSE, charset,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     DEFAULT_PITCH | FF_DONTCARE, face);
}

// The face the system really gives for a font.
std::wstring RealFace(HFONT font) {
  HDC screen = GetDC(nullptr);
  HGDIOBJ old = SelectObject(screen, font);
  wchar_t face[LF_FACESIZE] = {};
  GetTextFaceW(screen, LF_FACESIZE, face);
  SelectObject(screen, old);
  ReleaseDC(nullptr, screen);
  return face;
}

// 8 points in the face asked for, when the system has it (or its TrueType successor).
HFONT MakeFont(int dpi, const wchar_t* face, BYTE charset, bool underline) {
  HFONT font = CreateFace(MulDiv(8, dpi, 72), face, charset, underline);
  const std::wstring real = RealFace(font);
  if (lstrcmpiW(real.c_str(), face) == 0 || lstrcmpiW(real.c_str(), L"Microsoft Sans Serif") == 0)
    return font;
  DeleteObject(font);
  return nullptr;
}

// Whether every label that uses the default font fits its width in the layout.
bool LabelsFit(HFONT font, int dpi) {
  HDC screen = GetDC(nullptr);
  HGDIOBJ old = SelectObject(screen, font);
  bool fit = true;
  for (const TLayoutEntry& entry : kLayout) {
    if (entry.font != TFont::Default || entry.className == nullptr ||
        lstrcmpW(entry.className, L"Static") != 0 || entry.text[0] == '\0')
      continue;
    const std::wstring text = WideFromCp1251(entry.text);
    SIZE extent = {};
    GetTextExtentPoint32W(screen, text.c_str(), static_cast<int>(text.size()), &extent);
    fit = fit && extent.cx <= MulDiv(entry.width, dpi, 96);
  }
  SelectObject(screen, old);
  ReleaseDC(nullptr, screen);
  return fit;
}

// The window's font: "MS Sans Serif" 8 points with Cyrillic letters. A system
// without it (one set up for another language has only a Western one) gets
// Tahoma instead, at the largest size up to 8 points at which the labels keep
// their places.
HFONT MakeDefaultFont(int dpi) {
  if (HFONT font = MakeFont(dpi, L"MS Sans Serif", RUSSIAN_CHARSET, false)) return font;
  const int largest = MulDiv(8, dpi, 72);
  for (int height = largest; height > largest * 3 / 4; --height) {
    HFONT font = CreateFace(height, L"Tahoma", RUSSIAN_CHARSET, false);
    if (LabelsFit(font, dpi)) return font;
    DeleteObject(font);
  }
  return CreateFace(largest * 3 / 4, L"Tahoma", RUSSIAN_CHARSET, false);
}

// A face at 8 points whatever the system has (the link and credits lines).
HFONT MakeLineFont(int dpi, const wchar_t* face, BYTE charset, bool underline) {
  if (HFONT font = MakeFont(dpi, face, charset, underline)) return font;
  return CreateFace(MulDiv(8, dpi, 72), L"Tahoma", charset, underline);
}

}  // namespace

TMainWindow::TMainWindow(HINSTANCE instance, TShellDialogs& dialogs, TFormServices services)
    : instance_(instance), dialogs_(dialogs), banner_(instance, L"BANNER") {
  HDC screen = GetDC(nullptr);
  dpi_ = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  if (dpi_ <= 0) dpi_ = 96;
  defaultFont_ = MakeDefaultFont(dpi_);
  creditsFont_ = MakeLineFont(dpi_, L"Tahoma", RUSSIAN_CHARSET, false);
  linkFont_ = MakeLineFont(dpi_, L"MS Sans Serif", DEFAULT_CHARSET, true);
  form_ = std::make_unique<TAutoInstallForm>(*this, std::move(services));
  RegisterClasses(instance, WindowProc, ApplicationProc, PanelProc);

  // The application window: never seen itself, it carries the task bar button
  // with the application title and owns the main window.
  const int centreX =
      GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN) / 2;
  const int centreY =
      GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN) / 2;
  application_ =
      CreateWindowExW(0, kApplicationClass, WideFromCp1251(ui_texts::kApplicationTitle).c_str(),
                      WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, centreX, centreY, 0, 0,
                      nullptr, nullptr, instance, this);

  // The main window: fixed size, centred on the whole desktop (all monitors).
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  const DWORD exStyle = WS_EX_CONTROLPARENT;
  RECT frame = {0, 0, Scale(kClientWidth), Scale(kClientHeight)};
  AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  window_ = CreateWindowExW(exStyle, kWindowClass, WideFromCp1251(ui_texts::kWindowCaption).c_str(),
                            style, centreX - width / 2, centreY - height / 2, width, height,
                            application_, nullptr, instance, this);
  CreateControls();
}

TMainWindow::~TMainWindow() {
  if (IsWindow(application_)) DestroyWindow(application_);  // the main window goes with it
  if (installPicture_) ImageList_Destroy(installPicture_);
  if (installBitmap_) DeleteObject(installBitmap_);
  DeleteObject(defaultFont_);
  DeleteObject(creditsFont_);
  DeleteObject(linkFont_);
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
    const HFONT font = entry.font == TFont::Credits ? creditsFont_
                       : entry.font == TFont::Link  ? linkFont_
                                                    : defaultFont_;
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    controls_.emplace_back(entry.id, control);
  }

  SetWindowSubclass(Control(kLabel12), LinkProc, 0, reinterpret_cast<DWORD_PTR>(this));
  SetWindowSubclass(Control(kVehicleDir), ModFolderEditProc, 0, reinterpret_cast<DWORD_PTR>(this));
  SetUpInstallButtonPicture();
  SetReviewEnabled(false);

  // The link label's tooltip.
  tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_,
                             nullptr, instance_, nullptr);
  std::wstring tip = WideFromCp1251(ui_texts::kLinkTooltip);
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

// The two folder edits hold paths; DFF and TXD hold paths or the reader's
// not-found notice; the data-file lines are code page 1251 text.
TMainWindow::TTextKind TMainWindow::KindOf(TEditField field) {
  switch (field) {
    case TEditField::GTASADir:
    case TEditField::VehicleDir:
      return TTextKind::Path;
    case TEditField::DFF:
    case TEditField::TXD:
      return TTextKind::PathOrNotice;
    default:
      return TTextKind::Text;
  }
}

std::string TMainWindow::GetText(TEditField field) const {
  HWND edit = ControlOf(field);
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
  text.resize(
      static_cast<size_t>(GetWindowTextW(edit, text.data(), static_cast<int>(text.size()))));
  switch (KindOf(field)) {
    case TTextKind::Text:
      return Cp1251FromWide(text);
    case TTextKind::Path:
      return SystemFromWide(text);
    case TTextKind::PathOrNotice:
      for (const char* notice : {kModelNotFoundMessage, kTextureNotFoundMessage})
        if (text == WideFromCp1251(notice)) return notice;
      return SystemFromWide(text);
  }
  return std::string();
}

void TMainWindow::SetText(TEditField field, const std::string& text) {
  const bool notice = text == kModelNotFoundMessage || text == kTextureNotFoundMessage;
  const bool path =
      KindOf(field) == TTextKind::Path || (KindOf(field) == TTextKind::PathOrNotice && !notice);
  SetWindowTextW(ControlOf(field), (path ? WideFromSystem(text) : WideFromCp1251(text)).c_str());
}

std::vector<TAdvItem> TMainWindow::GetAdvItems() const { return CheckListItems(Control(kAdv)); }

void TMainWindow::SetAdvItems(const std::vector<TAdvItem>& items) {
  SetCheckListItems(Control(kAdv), items);
}

void TMainWindow::SetReviewEnabled(bool enabled) {
  for (const int id : kReviewControls) EnableWindow(Control(id), enabled);
}

void TMainWindow::FocusVehicleDir() {
  savedFocus_ = Control(kVehicleDir);
  SetFocus(savedFocus_);
}

void TMainWindow::FocusReviewGroup() {
  savedFocus_ = Control(kGroupBox1);
  SetFocus(savedFocus_);
}

void TMainWindow::ShowError(const std::string& message) {
  dialogs_.MessageBox(window_, WideFromCp1251(message), WideFromCp1251(ui_texts::kApplicationTitle),
                      MB_OK | MB_ICONERROR);
}

void TMainWindow::ShowInfo(const std::string& message) {
  dialogs_.MessageBox(window_, WideFromCp1251(message), WideFromCp1251(ui_texts::kApplicationTitle),
                      MB_OK | MB_ICONINFORMATION);
}

bool TMainWindow::SelectFolder(const std::string& prompt, std::string& folder) {
  return dialogs_.SelectFolder(window_, prompt, folder);
}

bool TMainWindow::OpenFile(const std::string& filter, const std::string& title,
                           std::string& fileName) {
  return dialogs_.OpenFile(window_, filter, title, fileName);
}

void TMainWindow::OpenLink(const std::string& target) { dialogs_.OpenLink(target); }

void TMainWindow::HighlightLink() { Extra::HighlightLink(Control(kLabel12)); }

void TMainWindow::UnhighlightLink() { Extra::UnhighlightLink(Control(kLabel12)); }

// ---- messages ----

void TMainWindow::OnCommand(int id, int code) {
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
    case kLabel12:
      form_->Label12Click();
      break;
    default:
      break;
  }
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
