// The real main window under Windows (or Wine with a display), driven by
// messages: layout, tab order, the locked and open review controls, the link
// label, lastdir.ini at close, and a whole installation into a demo game.
#include <windows.h>
// after windows.h
#include <commctrl.h>
#include <commdlg.h>
#include <gtest/gtest.h>
#include <objbase.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "demo_game.h"
#include "error.h"
#include "extra_win.h"
#include "file_bytes.h"
#include "install_messages.h"
#include "main_window_win.h"
#include "read_data.h"
#include "scratch_dir.h"
#include "text_win.h"
#include "ui_texts.h"

namespace wrenfield {
namespace {

namespace fs = std::filesystem;
using testing::ReadAll;
using testing::ScratchDir;

struct RecordedBox {
  std::wstring text, caption;
  UINT type;
  bool installButtonEnabled;  // the review controls' state while the box is up
};

// Dialogs that answer from queues and remember what was shown.
class RecordingDialogs : public TShellDialogs {
 public:
  void MessageBox(HWND owner, const std::wstring& text, const std::wstring& caption,
                  UINT type) override {
    boxes.push_back({text, caption, type, installButton && IsWindowEnabled(installButton)});
    owners.push_back(owner);
  }
  bool SelectFolder(HWND, const std::string& prompt, std::string& folder) override {
    prompts.push_back(prompt);
    if (folders.empty()) return false;
    folder = folders.front();
    folders.pop_front();
    return !folder.empty();
  }
  bool OpenFile(HWND, const std::string& filter, const std::string& title,
                std::string& fileName) override {
    filters.push_back(filter + " / " + title);
    if (files.empty()) return false;
    fileName = files.front();
    files.pop_front();
    return true;
  }
  void OpenLink(const std::string& target) override { links.push_back(target); }

  HWND installButton = nullptr;
  std::vector<RecordedBox> boxes;
  std::vector<HWND> owners;
  std::deque<std::string> folders, files;  // an empty folder reply cancels
  std::vector<std::string> prompts, filters, links;
};

BOOL CALLBACK FindTooltip(HWND candidate, LPARAM found) {
  wchar_t className[32] = {};
  GetClassNameW(candidate, className, 32);
  if (lstrcmpW(className, TOOLTIPS_CLASSW) != 0) return TRUE;
  *reinterpret_cast<HWND*>(found) = candidate;
  return FALSE;
}

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char previous[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, previous);
    previousDirectory_ = previous;
    SetCurrentDirectoryA(folder_.c_str());
    window_ =
        std::make_unique<TMainWindow>(GetModuleHandleW(nullptr), dialogs_, DefaultFormServices());
    if (!IsWindow(window_->handle())) GTEST_SKIP() << "no display to create windows on";
    dialogs_.installButton = Control(kInstallBtn);
  }

  void TearDown() override {
    window_.reset();
    Pump();
    SetCurrentDirectoryA(previousDirectory_.c_str());
  }

  void ShowWindowAndSettle() {
    window_->Show();
    SetForegroundWindow(window_->handle());
    Pump();
  }

  // Handles what is waiting in the queue, as the event loop would.
  void Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
      if (message.message != WM_QUIT && window_) window_->Dispatch(message);
  }

  void PressKey(HWND target, WPARAM key) {
    MSG message = {target, WM_KEYDOWN, key, 1, 0, {}};
    window_->Dispatch(message);
    Pump();
  }

  HWND Control(int id) const { return window_->Control(id); }
  void Click(int id) { SendMessageW(Control(id), BM_CLICK, 0, 0); }

  std::string Text(int id) const {
    wchar_t text[1024] = {};
    GetWindowTextW(Control(id), text, 1024);
    return Cp1251FromWide(text);
  }

  // The control's outer rectangle in its parent's client coordinates.
  RECT PlaceOf(HWND control) const {
    RECT place;
    GetWindowRect(control, &place);
    MapWindowPoints(HWND_DESKTOP, GetParent(control), reinterpret_cast<POINT*>(&place), 2);
    return place;
  }

  ScratchDir scratch_{"gui"};
  std::string folder_ = scratch_.path();
  std::string previousDirectory_;
  RecordingDialogs dialogs_;
  std::unique_ptr<TMainWindow> window_;
};

constexpr int kReview[] = {kLabel2,   kLabel3,   kLabel4,    kLabel5,       kLabel6,
                           kLabel7,   kLabel8,   kLabel9,    kSpeedButton1, kSpeedButton2,
                           kHandling, kVehicles, kCarcols,   kCarmods,      kDFF,
                           kTXD,      kAdv,      kInstallBtn};

struct Expected {
  int id, parent;    // parent 0: the window
  const char* text;  // nullptr: not checked (pictures, lines, edits start empty)
  int left, top, width, height;
};

// The window's layout at 96 dots per inch.
const Expected kExpected[] = {
    {kImage1, 0, nullptr, 0, 0, 597, 63},
    {kBevel1, 0, nullptr, 0, 63, 597, 10},
    {kLabel11, 0, nullptr, 8, 513, 207, 13},
    {kLabel12, 0, "www.odrun.example", 475, 513, 101, 13},
    {kGroupBox1, 0, "\xD2\xF0\xE0\xED\xF1\xEF\xEE\xF0\xF2", 8, 176, 569, 329},  // Транспорт
    {kLabel2, kGroupBox1,
     "\xCF\xF0\xEE\xE2\xE5\xF0\xFC\xF2\xE5 \xE2\xF1\xE5 \xEF\xF0\xEE\xF7\xE8\xF2\xE0\xED\xFB\xE5 "
     "\xE4\xE0\xED\xED\xFB\xE5, \xEF\xEE\xF1\xEB\xE5 \xF7\xE5\xE3\xEE \xED\xE0\xE6\xEC\xE8\xF2\xE5 "
     "\xEA\xED\xEE\xEF\xEA\xF3 \"\xD3\xF1\xF2\xE0\xED\xEE\xE2\xE8\xF2\xFC "
     "\xF2\xF0\xE0\xED\xF1\xEF\xEE\xF0\xF2\"",
     57, 24, 455, 13},
    {kLabel3, kGroupBox1, "handling.cfg", 16, 48, 58, 13},
    {kLabel4, kGroupBox1, "vehicles.ide", 16, 70, 56, 13},
    {kLabel5, kGroupBox1, "carcols.dat", 16, 92, 52, 13},
    {kLabel6, kGroupBox1, "carmods.dat", 16, 114, 58, 13},
    {kLabel7, kGroupBox1, "DFF", 16, 144, 20, 13},
    {kLabel8, kGroupBox1, "TXD", 16, 168, 22, 13},
    {kLabel9, kGroupBox1,
     "\xC4\xEE\xEF\xEE\xEB\xED\xE8\xF2\xE5\xEB\xFC\xED\xFB\xE5 \xF4\xE0\xE9\xEB\xFB:", 16, 192, 128,
     13},
    {kSpeedButton1, kGroupBox1, "\xCE\xE1\xE7\xEE\xF0...", 496, 139, 57, 23},
    {kSpeedButton2, kGroupBox1, "\xCE\xE1\xE7\xEE\xF0...", 496, 163, 57, 23},
    {kHandling, kGroupBox1, "", 80, 44, 473, 21},
    {kVehicles, kGroupBox1, "", 80, 66, 473, 21},
    {kCarcols, kGroupBox1, "", 80, 88, 473, 21},
    {kCarmods, kGroupBox1, "", 80, 110, 473, 21},
    {kDFF, kGroupBox1, "", 40, 140, 449, 21},
    {kTXD, kGroupBox1, "", 40, 164, 449, 21},
    {kAdv, kGroupBox1, nullptr, 16, 208, 537, 81},
    {kInstallBtn, kGroupBox1,
     "\xD3\xF1\xF2\xE0\xED\xEE\xE2\xE8\xF2\xFC \xF2\xF0\xE0\xED\xF1\xEF\xEE\xF0\xF2", 208, 296, 153,
     25},
    {kGroupBox2, 0, "\xCF\xF3\xF2\xFC \xEA \xEF\xE0\xEF\xEA\xE5 \xF1 \xE8\xE3\xF0\xEE\xE9", 8, 72,
     569, 49},
    {kDirBrowseBtn, kGroupBox2, "\xCE\xE1\xE7\xEE\xF0..", 486, 16, 75, 25},
    {kGTASADir, kGroupBox2, "", 8, 18, 473, 21},
    {kGroupBox3, 0,
     "\xCF\xF3\xF2\xFC \xEA \xEF\xE0\xEF\xEA\xE5 \xF1 "
     "\xF2\xF0\xE0\xED\xF1\xEF\xEE\xF0\xF2\xEE\xEC",
     8, 124, 569, 49},
    {kVehicleDir, kGroupBox3, "", 8, 18, 473, 21},
    {kVehDirBrowseBtn, kGroupBox3, "\xCE\xE1\xE7\xEE\xF0...", 486, 16, 75, 25},
};

TEST_F(MainWindowTest, EveryControlHasItsTextPlaceAndSize) {
  for (const Expected& expected : kExpected) {
    SCOPED_TRACE("control " + std::to_string(expected.id));
    HWND control = Control(expected.id);
    ASSERT_TRUE(IsWindow(control));
    EXPECT_EQ(GetParent(control),
              expected.parent == 0 ? window_->handle() : Control(expected.parent));
    if (expected.text) {
      EXPECT_EQ(Text(expected.id), expected.text);
    }
    const RECT place = PlaceOf(control);
    EXPECT_EQ(place.left, window_->Scale(expected.left));
    EXPECT_EQ(place.top, window_->Scale(expected.top));
    EXPECT_EQ(place.right - place.left, window_->Scale(expected.width));
    EXPECT_EQ(place.bottom - place.top, window_->Scale(expected.height));
  }
  // Russian reaches the window as Unicode whatever the system's code page.
  wchar_t caption[64] = {};
  GetWindowTextW(Control(kGroupBox1), caption, 64);
  EXPECT_EQ(std::wstring(caption), L"\x0422\x0440\x0430\x043D\x0441\x043F\x043E\x0440\x0442");
}

TEST_F(MainWindowTest, WindowIsFixedCentredAndCarriesBothTitles) {
  ShowWindowAndSettle();
  wchar_t title[64] = {};
  GetWindowTextW(window_->handle(), title, 64);
  EXPECT_EQ(std::wstring(title), L"Wrenfield by Odrun");
  GetWindowTextW(window_->applicationWindow(), title, 64);
  EXPECT_EQ(std::wstring(title), L"Wrenfield");
  EXPECT_EQ(GetWindow(window_->handle(), GW_OWNER), window_->applicationWindow());

  RECT client;
  GetClientRect(window_->handle(), &client);
  EXPECT_EQ(client.right, window_->Scale(595));
  EXPECT_EQ(client.bottom, window_->Scale(533));
  const LONG style = GetWindowLongW(window_->handle(), GWL_STYLE);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(style & WS_THICKFRAME);

  RECT outer;
  GetWindowRect(window_->handle(), &outer);
  const int desktopCentreX =
      GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN) / 2;
  const int desktopCentreY =
      GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN) / 2;
  EXPECT_LE(std::abs((outer.left + outer.right) / 2 - desktopCentreX), 1);
  EXPECT_LE(std::abs((outer.top + outer.bottom) / 2 - desktopCentreY), 1);

  EXPECT_EQ(window_->banner().width(), 597);  // the JPEG resource decoded
  EXPECT_EQ(window_->banner().height(), 63);
}

TEST_F(MainWindowTest, ReviewControlsStartLockedAndOpenOnEnterInAnExistingFolder) {
  ShowWindowAndSettle();
  for (const int id : kReview) EXPECT_FALSE(IsWindowEnabled(Control(id))) << id;
  for (const int id : {kGroupBox1, kGroupBox2, kGroupBox3, kDirBrowseBtn, kGTASADir, kVehicleDir,
                       kVehDirBrowseBtn, kLabel12, kImage1})
    EXPECT_TRUE(IsWindowEnabled(Control(id))) << id;
  EXPECT_FALSE(IsWindowEnabled(Control(kLabel11)));  // the credits line is drawn greyed

  SetWindowTextW(Control(kVehicleDir), WideFromCp1251(folder_ + "\\missing").c_str());
  PressKey(Control(kVehicleDir), VK_RETURN);
  for (const int id : kReview) EXPECT_FALSE(IsWindowEnabled(Control(id))) << id;

  SetWindowTextW(Control(kVehicleDir), WideFromCp1251(folder_).c_str());
  SetFocus(Control(kVehicleDir));
  PressKey(Control(kVehicleDir), VK_RETURN);
  for (const int id : kReview) EXPECT_TRUE(IsWindowEnabled(Control(id))) << id;
  EXPECT_EQ(GetFocus(), Control(kGroupBox1));
  EXPECT_EQ(Text(kHandling), "");  // Enter does not read the folder
  PressKey(GetFocus(), VK_TAB);
  EXPECT_EQ(GetFocus(), Control(kHandling));

  // Alt+Enter comes as a system key; whatever the modifiers, Enter opens them.
  window_->SetReviewEnabled(false);
  MSG altEnter = {Control(kVehicleDir), WM_SYSKEYDOWN, VK_RETURN, 1 | (1 << 29), 0, {}};
  window_->Dispatch(altEnter);
  Pump();
  for (const int id : kReview) EXPECT_TRUE(IsWindowEnabled(Control(id))) << id;
}

TEST_F(MainWindowTest, TabOrderRunsThroughReviewThenGameThenModFolder) {
  ShowWindowAndSettle();
  window_->SetReviewEnabled(true);
  const int order[] = {
      kHandling,     kVehicles, kCarcols,    kCarmods,         kDFF,     kTXD, kAdv, kInstallBtn,
      kDirBrowseBtn, kGTASADir, kVehicleDir, kVehDirBrowseBtn, kHandling};
  SetFocus(Control(order[0]));
  for (size_t i = 1; i < std::size(order); ++i) {
    PressKey(GetFocus(), VK_TAB);
    EXPECT_EQ(GetFocus(), Control(order[i])) << "after " << order[i - 1];
  }
  // Locked, the review frame is passed over.
  window_->SetReviewEnabled(false);
  SetFocus(Control(kVehDirBrowseBtn));
  PressKey(GetFocus(), VK_TAB);
  EXPECT_EQ(GetFocus(), Control(kDirBrowseBtn));
}

TEST_F(MainWindowTest, LinkLabelIsNavyUnderlinedAndTurnsBlueUnderTheMouse) {
  ShowWindowAndSettle();
  HWND label = Control(kLabel12);
  HDC dc = CreateCompatibleDC(nullptr);
  auto paintedColour = [&] {
    SendMessageW(window_->handle(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                 reinterpret_cast<LPARAM>(label));
    return GetTextColor(dc);
  };
  EXPECT_EQ(paintedColour(), RGB(0, 0, 128));
  for (int i = 0; i < 2; ++i) {
    SendMessageW(label, WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
    EXPECT_EQ(paintedColour(), RGB(0, 0, 255));
    SendMessageW(label, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(paintedColour(), RGB(0, 0, 128));
  }
  DeleteDC(dc);

  SendMessageW(label, WM_SETCURSOR, reinterpret_cast<WPARAM>(label),
               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_HAND)));

  LOGFONTW font = {};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)), sizeof font, &font);
  EXPECT_TRUE(font.lfUnderline);

  HWND tooltip = nullptr;  // the label's tooltip, owned by the window
  EnumThreadWindows(GetCurrentThreadId(), FindTooltip, reinterpret_cast<LPARAM>(&tooltip));
  ASSERT_NE(tooltip, nullptr);
  wchar_t tip[80] = {};
  TTTOOLINFOW tool = {};
  tool.cbSize = sizeof tool;
  tool.hwnd = window_->handle();
  tool.uId = reinterpret_cast<UINT_PTR>(label);
  tool.lpszText = tip;
  SendMessageW(tooltip, TTM_GETTEXTW, 80, reinterpret_cast<LPARAM>(&tool));
  EXPECT_EQ(Cp1251FromWide(tip),
            "\xCF\xE5\xF0\xE5\xE9\xF2\xE8 \xED\xE0 \xF1\xE0\xE9\xF2");  // Перейти на сайт

  SendMessageW(window_->handle(), WM_COMMAND, MAKEWPARAM(kLabel12, STN_CLICKED),
               reinterpret_cast<LPARAM>(label));
  EXPECT_EQ(dialogs_.links, std::vector<std::string>{"www.odrun.example"});
  EXPECT_TRUE(dialogs_.boxes.empty());

  // The two colours take labels only: a picture, a line or a button is a type error.
  for (const int id : {kImage1, kBevel1, kInstallBtn, kDFF}) {
    EXPECT_THROW(Extra::HighlightLink(Control(id)), Error) << id;
    EXPECT_THROW(Extra::UnhighlightLink(Control(id)), Error) << id;
  }
  EXPECT_NO_THROW(Extra::HighlightLink(Control(kLabel2)));
  EXPECT_NO_THROW(Extra::UnhighlightLink(Control(kLabel2)));
}

TEST_F(MainWindowTest, InstallButtonPictureLeavesItsPurpleOut) {
  BUTTON_IMAGELIST picture = {};
  ASSERT_TRUE(
      SendMessageW(Control(kInstallBtn), BCM_GETIMAGELIST, 0, reinterpret_cast<LPARAM>(&picture)));
  int width = 0, height = 0;
  ImageList_GetIconSize(picture.himl, &width, &height);
  EXPECT_EQ(width, 16);
  EXPECT_EQ(height, 16);
  // Drawn on white: the purple corner shows white, the arrow's green stays.
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP canvas = CreateCompatibleBitmap(screen, 16, 16);
  HGDIOBJ old = SelectObject(dc, canvas);
  RECT all = {0, 0, 16, 16};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  ImageList_Draw(picture.himl, 0, dc, 0, 0, ILD_TRANSPARENT);
  EXPECT_EQ(GetPixel(dc, 0, 15), RGB(255, 255, 255));
  EXPECT_EQ(GetPixel(dc, 0, 0), RGB(255, 255, 255));
  const COLORREF arrow = GetPixel(dc, 7, 4);
  EXPECT_GT(GetGValue(arrow), GetRValue(arrow) + 40);
  SelectObject(dc, old);
  DeleteObject(canvas);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
}

TEST_F(MainWindowTest, StoredFolderIsShownAndTheClosingFolderIsStored) {
  {
    std::ofstream(folder_ + "\\lastdir.ini", std::ios::binary)
        << "[Other]\r\nKeep=1\r\n[SALastDir]\r\nValue=C:\\Games\\Old GTA\r\n";
  }
  ShowWindowAndSettle();
  EXPECT_EQ(Text(kGTASADir), "C:\\Games\\Old GTA");
  EXPECT_EQ(GetFocus(), Control(kVehicleDir));

  // A folder name beyond ASCII is stored in the system's code page, which the
  // file functions take: accented Latin on Western systems, Cyrillic on Russian ones.
  std::wstring gameFolder = L"D:\\Jeux\\\u00C9dition GTA";
  BOOL lossy = FALSE;
  char bytes[64] = {};
  WideCharToMultiByte(CP_ACP, 0, gameFolder.c_str(), -1, bytes, 64, nullptr, &lossy);
  if (lossy) {
    gameFolder = L"D:\\\u0418\u0433\u0440\u044B\\GTA";  // D:\Игры\GTA
    WideCharToMultiByte(CP_ACP, 0, gameFolder.c_str(), -1, bytes, 64, nullptr, &lossy);
  }
  ASSERT_FALSE(lossy);
  SetWindowTextW(Control(kGTASADir), gameFolder.c_str());
  SendMessageW(window_->handle(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(window_->handle()));
  EXPECT_EQ(ReadAll(folder_ + "\\lastdir.ini"),
            "[Other]\r\nKeep=1\r\n[SALastDir]\r\nValue=" + std::string(bytes) + "\r\n");

  window_ =
      std::make_unique<TMainWindow>(GetModuleHandleW(nullptr), dialogs_, DefaultFormServices());
  ShowWindowAndSettle();
  wchar_t shown[64] = {};
  GetWindowTextW(Control(kGTASADir), shown, 64);
  EXPECT_EQ(std::wstring(shown), gameFolder);
  EXPECT_TRUE(dialogs_.boxes.empty());
}

TEST_F(MainWindowTest, NotFoundNoticeShowsInRussianAndComesBackByteForByte) {
  window_->ShowNotice(TEditField::DFF, kModelNotFoundMessage);
  wchar_t shown[128] = {};
  GetWindowTextW(Control(kDFF), shown, 128);
  EXPECT_EQ(std::wstring(shown).substr(0, 5), L"\u0424\u0430\u0439\u043B ");  // Файл
  EXPECT_EQ(window_->GetText(TEditField::DFF), kModelNotFoundMessage);
  window_->ShowNotice(TEditField::TXD, kTextureNotFoundMessage);
  EXPECT_EQ(window_->GetText(TEditField::TXD), kTextureNotFoundMessage);
  // A path set afterwards is a path again.
  window_->SetText(TEditField::TXD, folder_ + "\\car.txd");
  EXPECT_EQ(window_->GetText(TEditField::TXD), folder_ + "\\car.txd");
  // The data-file lines are code page 1251 text whatever the system's code page.
  const std::string line = "444, monster, \xCC\xEE\xED\xF1\xF2\xF0";  // Монстр
  window_->SetText(TEditField::vehicles, line);
  EXPECT_EQ(window_->GetText(TEditField::vehicles), line);
  GetWindowTextW(Control(kVehicles), shown, 128);
  EXPECT_EQ(std::wstring(shown), L"444, monster, \u041C\u043E\u043D\u0441\u0442\u0440");
}

TEST_F(MainWindowTest, UnwritableSettingIsReportedAndTheWindowStillCloses) {
  ShowWindowAndSettle();
  EXPECT_EQ(Text(kGTASADir), "");
  fs::create_directory(folder_ + "\\lastdir.ini");
  SendMessageW(window_->handle(), WM_CLOSE, 0, 0);
  ASSERT_EQ(dialogs_.boxes.size(), 1u);
  char directory[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, directory);
  EXPECT_EQ(Cp1251FromWide(dialogs_.boxes[0].text),
            "Unable to write to " + std::string(directory) + "\\lastdir.ini.");
  EXPECT_EQ(dialogs_.boxes[0].caption, L"Wrenfield");
  EXPECT_EQ(dialogs_.boxes[0].type, static_cast<UINT>(MB_OK | MB_ICONERROR));
  EXPECT_FALSE(IsWindow(window_->handle()));
}

TEST_F(MainWindowTest, InstallsTheDemoModIntoTheDemoGameAndShowsSuccess) {
  const std::string game = folder_ + "\\game", mod = folder_ + "\\mod";
  WriteDemoGame(game);
  WriteDemoMod(mod);
  const auto archiveBefore = ReadAll(game + "\\models\\gta3.img");
  ShowWindowAndSettle();

  Click(kInstallBtn);  // locked: nothing happens
  EXPECT_TRUE(dialogs_.boxes.empty());

  dialogs_.folders = {game, mod};
  Click(kDirBrowseBtn);
  EXPECT_EQ(Text(kGTASADir), game);
  Click(kVehDirBrowseBtn);
  EXPECT_EQ(Text(kVehicleDir), mod);
  EXPECT_EQ(Text(kDFF), mod + "\\monster.dff");
  EXPECT_EQ(Text(kTXD), mod + "\\monster.txd");
  EXPECT_EQ(Text(kVehicles), DemoVehiclesLine());
  EXPECT_EQ(Text(kCarcols), DemoCarcolsLine());
  for (const int id : kReview) EXPECT_TRUE(IsWindowEnabled(Control(id))) << id;

  Click(kInstallBtn);
  ASSERT_EQ(dialogs_.boxes.size(), 1u) << Cp1251FromWide(dialogs_.boxes[0].text);
  EXPECT_EQ(Cp1251FromWide(dialogs_.boxes[0].text), install_messages::kInstalled);
  EXPECT_EQ(dialogs_.boxes[0].caption, L"Wrenfield");
  EXPECT_EQ(dialogs_.boxes[0].type, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
  EXPECT_EQ(dialogs_.owners[0], window_->handle());
  EXPECT_FALSE(dialogs_.boxes[0].installButtonEnabled);  // locked while the box is up
  EXPECT_TRUE(IsWindowEnabled(Control(kInstallBtn)));
  EXPECT_NE(ReadAll(game + "\\models\\gta3.img"), archiveBefore);
  EXPECT_NE(ReadAll(game + "\\data\\carcols.dat").find(DemoCarcolsLine()), std::string::npos);
}

TEST_F(MainWindowTest, InstallWithoutGameFolderShowsTheErrorWithoutDot) {
  ShowWindowAndSettle();
  window_->SetReviewEnabled(true);
  Click(kInstallBtn);
  ASSERT_EQ(dialogs_.boxes.size(), 1u);
  // Укажите папку с GTA: San Andreas! (ends in "!": no "." added)
  EXPECT_EQ(Cp1251FromWide(dialogs_.boxes[0].text),
            "\xD3\xEA\xE0\xE6\xE8\xF2\xE5 \xEF\xE0\xEF\xEA\xF3 \xF1 GTA: San Andreas!");
  EXPECT_EQ(dialogs_.boxes[0].type, static_cast<UINT>(MB_OK | MB_ICONERROR));
  EXPECT_TRUE(IsWindowEnabled(Control(kInstallBtn)));
}

TEST_F(MainWindowTest, FlatButtonsOpenTheFileDialogWithoutTakingFocus) {
  ShowWindowAndSettle();
  window_->SetReviewEnabled(true);
  SetFocus(Control(kCarcols));
  dialogs_.files = {"C:\\mods\\car.dff"};
  HWND button = Control(kSpeedButton1);
  SendMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(GetFocus(), Control(kCarcols));
  EXPECT_EQ(Text(kDFF), "C:\\mods\\car.dff");
  ASSERT_EQ(dialogs_.filters.size(), 1u);
  EXPECT_EQ(dialogs_.filters[0],
            std::string(ui_texts::kModelFilter) + " / " + ui_texts::kOpenDialogTitle);
  Click(kSpeedButton2);  // cancelled
  EXPECT_EQ(Text(kTXD), "");
  EXPECT_EQ(FileDialogFilter("a (*.x)|*.x"), std::wstring(L"a (*.x)\0*.x\0\0", 13));
}

// Answers the system's open-file dialog as a user would: goes into the folder,
// then picks the file by name. It acts from a timer on the window's own thread,
// which the dialog's modal loop serves only once the dialog waits for input, so
// it never meets a half-built dialog, and it looks only at this thread's
// windows, never at a dialog of another program sharing the display.
class FileDialogAnswer {
 public:
  FileDialogAnswer(std::wstring folder, std::wstring name)
      : folder_(std::move(folder)), name_(std::move(name)) {
    current_ = this;
    timer_ = SetTimer(nullptr, 0, 100, OnTimer);
  }
  ~FileDialogAnswer() {
    KillTimer(nullptr, timer_);
    current_ = nullptr;
  }
  FileDialogAnswer(const FileDialogAnswer&) = delete;
  FileDialogAnswer& operator=(const FileDialogAnswer&) = delete;
  bool answered() const { return answered_; }

 private:
  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (current_ && !current_->busy_) current_->Step();
  }

  static BOOL CALLBACK FindDialog(HWND candidate, LPARAM found) {
    wchar_t className[16] = {}, title[64] = {};
    GetClassNameW(candidate, className, 16);
    GetWindowTextW(candidate, title, 64);
    if (lstrcmpW(className, L"#32770") != 0 || !IsWindowVisible(candidate) ||
        WideFromCp1251(ui_texts::kOpenDialogTitle) != title)
      return TRUE;
    *reinterpret_cast<HWND*>(found) = candidate;
    return FALSE;
  }

  static void Type(HWND dialog, const std::wstring& text) {
    SetDlgItemTextW(dialog, 0x47C /* the file name box */, text.c_str());
    SendMessageW(dialog, WM_COMMAND, IDOK, 0);
  }

  bool InFolder(HWND dialog) const {
    wchar_t current[MAX_PATH] = {};
    SendMessageW(dialog, CDM_GETFOLDERPATH, MAX_PATH, reinterpret_cast<LPARAM>(current));
    return lstrcmpiW(current, folder_.c_str()) == 0;
  }

  void Step() {
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&dialog));
    if (dialog == nullptr || answered_) return;
    busy_ = true;  // the dialog may run a loop of its own while it takes the input
    if (++ticks_ > 600) {
      SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);  // a failed test rather than a hung one
    } else if (!typedFolder_) {
      typedFolder_ = true;
      Type(dialog, folder_);
    } else if (InFolder(dialog)) {
      answered_ = true;
      Type(dialog, name_);
    }
    busy_ = false;
  }

  static inline FileDialogAnswer* current_ = nullptr;
  std::wstring folder_, name_;
  UINT_PTR timer_ = 0;
  int ticks_ = 0;
  bool typedFolder_ = false, answered_ = false, busy_ = false;
};

// The system's file dialog, everything else recorded.
class SystemFileDialog : public RecordingDialogs {
 public:
  bool OpenFile(HWND owner, const std::string& filter, const std::string& title,
                std::string& fileName) override {
    return TSystemShellDialogs().OpenFile(owner, filter, title, fileName);
  }
};

TEST(SystemFileDialogTest, PickedFileFillsTheFieldAndKeepsTheWorkingDirectory) {
  ScratchDir scratch("dialog");
  const std::string folder = scratch.path();
  fs::create_directories(folder + "\\mods");
  std::ofstream(folder + "\\mods\\car.dff") << "model";
  char previous[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, previous);
  SetCurrentDirectoryA(folder.c_str());
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);  // as the program does for the shell's dialogs
  {
    SystemFileDialog dialogs;
    TMainWindow window(GetModuleHandleW(nullptr), dialogs, DefaultFormServices());
    if (!IsWindow(window.handle())) GTEST_SKIP() << "no display to create windows on";
    window.Show();
    window.SetReviewEnabled(true);
    {
      FileDialogAnswer answer(WideFromCp1251(folder + "\\mods"), L"car.dff");
      SendMessageW(window.Control(kSpeedButton1), BM_CLICK, 0, 0);
      EXPECT_TRUE(answer.answered());
    }
    EXPECT_EQ(window.GetText(TEditField::DFF), folder + "\\mods\\car.dff");
    char current[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, current);
    EXPECT_EQ(std::string(current), folder);  // so lastdir.ini stays where it belongs
    SendMessageW(window.handle(), WM_CLOSE, 0, 0);
  }
  // The closed window asked the event loop to end; a later dialog on this thread
  // would take that request as its own and close at once.
  MSG quit;
  PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
  CoUninitialize();
  EXPECT_TRUE(fs::exists(folder + "\\lastdir.ini"));
  EXPECT_FALSE(fs::exists(folder + "\\mods\\lastdir.ini"));
  SetCurrentDirectoryA(previous);
}

TEST_F(MainWindowTest, CheckListKeepsPathsAndMarksAndSpaceToggles) {
  ShowWindowAndSettle();
  window_->SetReviewEnabled(true);
  const std::vector<TAdvItem> items = {{"C:\\\xCC\xEE\xE4\\wheel.dff", true},
                                       {"C:\\mod\\wheel.txd", false}};
  window_->SetAdvItems(items);
  auto got = window_->GetAdvItems();
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0].path, items[0].path);
  EXPECT_TRUE(got[0].checked);
  EXPECT_FALSE(got[1].checked);
  HWND list = Control(kAdv);
  SetFocus(list);
  SendMessageW(list, LB_SETCURSEL, 1, 0);
  SendMessageW(list, WM_CHAR, L' ', 0);
  EXPECT_TRUE(window_->GetAdvItems()[1].checked);
  EXPECT_EQ(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0), window_->Scale(13));
}

// The program's pictures as its resources hold them.
const unsigned char* Resource(const wchar_t* name, const wchar_t* type, DWORD& size) {
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC found = FindResourceW(module, name, type);
  if (found == nullptr) return nullptr;
  size = SizeofResource(module, found);
  return static_cast<const unsigned char*>(LockResource(LoadResource(module, found)));
}

unsigned Le16(const unsigned char* p) { return p[0] | (p[1] << 8u); }

TEST(ResourcesTest, IconHasThree32BitImagesOf16To48Pixels) {
  DWORD size = 0;
  const unsigned char* group = Resource(MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(14), size);
  ASSERT_NE(group, nullptr);
  ASSERT_GE(size, 6u);
  const unsigned count = Le16(group + 4);
  ASSERT_EQ(count, 3u);
  ASSERT_GE(size, 6u + 14u * count);
  std::vector<int> sides;
  for (unsigned i = 0; i < count; ++i) {
    const unsigned char* entry = group + 6 + 14 * i;  // width, height, colours, -, planes, bits
    sides.push_back(entry[0] == 0 ? 256 : entry[0]);
    EXPECT_EQ(entry[0], entry[1]);
    EXPECT_EQ(Le16(entry + 6), 32u);
  }
  std::sort(sides.begin(), sides.end());
  EXPECT_EQ(sides, (std::vector<int>{16, 32, 48}));
}

TEST(ResourcesTest, BannerIsAProgressiveColourJpegOf597By63) {
  DWORD size = 0;
  const unsigned char* jpeg = Resource(L"BANNER", MAKEINTRESOURCEW(10), size);
  ASSERT_NE(jpeg, nullptr);
  ASSERT_GE(size, 4u);
  EXPECT_EQ(jpeg[0], 0xFF);
  EXPECT_EQ(jpeg[1], 0xD8);
  // Walk the markers to the frame header: progressive (SOF2), 8 bits, 63 x 597, 3 components.
  size_t at = 2;
  bool progressive = false;
  while (at + 4 <= size && jpeg[at] == 0xFF) {
    const unsigned marker = jpeg[at + 1];
    const unsigned length = (jpeg[at + 2] << 8u) | jpeg[at + 3];
    if (marker == 0xC0 || marker == 0xC1 || marker == 0xC2) {
      ASSERT_LE(at + 10, size);
      progressive = marker == 0xC2;
      EXPECT_EQ(jpeg[at + 4], 8);
      EXPECT_EQ((jpeg[at + 5] << 8u) | jpeg[at + 6], 63u);
      EXPECT_EQ((jpeg[at + 7] << 8u) | jpeg[at + 8], 597u);
      EXPECT_EQ(jpeg[at + 9], 3);
      break;
    }
    at += 2 + length;
  }
  EXPECT_TRUE(progressive);
}

TEST(ResourcesTest, InstallPictureIs16By16In24BitWithPurpleCorner) {
  DWORD size = 0;
  const unsigned char* bitmap = Resource(L"INSTALL", MAKEINTRESOURCEW(2), size);
  ASSERT_NE(bitmap, nullptr);
  ASSERT_GE(size, 40u + 16u * 16u * 3u);
  BITMAPINFOHEADER header;
  std::memcpy(&header, bitmap, sizeof header);
  EXPECT_EQ(header.biWidth, 16);
  EXPECT_EQ(header.biHeight, 16);  // bottom-up: the first row is the bottom one
  EXPECT_EQ(header.biBitCount, 24);
  const unsigned char* bottomLeft = bitmap + header.biSize;
  EXPECT_EQ(bottomLeft[0], 0x80);  // blue
  EXPECT_EQ(bottomLeft[1], 0x00);  // green
  EXPECT_EQ(bottomLeft[2], 0x80);  // red
}

// The functions a program imports by name, read from its file's import directory.
// A 64-bit program (PE32+) has a longer optional header before the data directories
// and 8-byte import thunks whose top bit marks an import by number.
std::vector<std::string> ImportedNames(const std::string& file) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(file.data());
  auto u16 = [&](size_t at) { return at + 2 <= file.size() ? Le16(bytes + at) : 0u; };
  auto u32 = [&](size_t at) { return at + 4 <= file.size() ? u16(at) | (u16(at + 2) << 16u) : 0u; };
  const size_t headers = u32(0x3C);
  const unsigned sections = u16(headers + 6);
  const size_t optional = headers + 24;
  const size_t sectionTable = optional + u16(headers + 20);
  auto offsetOf = [&](unsigned rva) -> size_t {
    for (unsigned i = 0; i < sections; ++i) {
      const size_t section = sectionTable + 40 * i;
      const unsigned start = u32(section + 12),
                     size = std::max(u32(section + 8), u32(section + 16));
      if (rva >= start && rva - start < size) return u32(section + 20) + (rva - start);
    }
    return file.size();
  };
  const bool pe32Plus = u16(optional) == 0x20B;
  EXPECT_TRUE(pe32Plus || u16(optional) == 0x10B) << "not a PE32 or PE32+ optional header";
  const size_t directories = optional + (pe32Plus ? 112 : 96);
  const size_t thunkSize = pe32Plus ? 8 : 4;
  const size_t thunkHigh = thunkSize - 4;  // the 32 bits that hold the by-number flag
  std::vector<std::string> names;
  const size_t imports = offsetOf(u32(directories + 8));  // the second data directory
  for (size_t library = imports; u32(library + 12) != 0; library += 20) {
    const unsigned thunks = u32(library) != 0 ? u32(library) : u32(library + 16);
    for (size_t thunk = offsetOf(thunks); (u32(thunk) | u32(thunk + thunkHigh)) != 0;
         thunk += thunkSize) {
      if (u32(thunk + thunkHigh) & 0x80000000u) continue;  // imported by number
      const size_t name = offsetOf(u32(thunk)) + 2;
      if (name < file.size()) names.emplace_back(file.c_str() + name);
    }
  }
  return names;
}

TEST(TextTest, CharactersTheCodePageLacksBecomeQuestionMarksNotLookAlikes) {
  // "é" and "ā" are not in code page 1251; a look-alike "e" or "a" could name another file.
  EXPECT_EQ(Cp1251FromWide(L"caf\u00E9 \u0101 \u0416"), "caf? ? \xC6");
  EXPECT_EQ(WideFromCp1251("\xC6\x98"), L"\u0416\u0098");
  if (GetACP() != CP_UTF8) {
    EXPECT_EQ(SystemFromWide(L"\u0101\u4E00"), "??");
  }
}

TEST(ProgramTest, ImportsTheArchiveByNameAndReadsNoEnvironmentOrCommandLine) {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  const std::string file = ReadAll((fs::path(self).parent_path() / "Wrenfield.exe").string());
  ASSERT_FALSE(file.empty());
  const std::vector<std::string> names = ImportedNames(file);
  auto imports = [&](const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
  };
  for (const char* used : {"IMGOpen", "IMGAddFile", "IMGClose"}) EXPECT_TRUE(imports(used)) << used;
  for (const char* reader :
       {"getenv", "_wgetenv", "getenv_s", "_wgetenv_s", "_dupenv_s", "GetEnvironmentVariableA",
        "GetEnvironmentVariableW", "GetEnvironmentStringsA", "GetEnvironmentStringsW",
        "ExpandEnvironmentStringsA", "ExpandEnvironmentStringsW", "GetCommandLineA",
        "GetCommandLineW", "CommandLineToArgvW"})
    EXPECT_FALSE(imports(reader)) << reader;
}

}  // namespace
}  // namespace wrenfield
