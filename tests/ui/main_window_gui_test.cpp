// The real main window under Windows (or Wine with a display), driven by
// messages: layout, tab order, the locked and open review controls, the link
// label, lastdir.ini at close, and a whole installation into a demo game.
#include <windows.h>
// after windows.h
#include <commctrl.h>
#include <commdlg.h>
#include <gtest/gtest.h>
#include <objbase.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "demo_game.h"
#include "error.h"
#include "extra_win.h"
#include "file_bytes.h"
#include "file_system.h"
#include "list_dialog_win.h"
#include "main_window_win.h"
#include "messages.h"
#include "mod_folder_list_win.h"
#include "read_data.h"
#include "readable_text.h"
#include "scratch_dir.h"
#include "text_win.h"
#include "torvane.h"
#include "unpack_test_support.h"

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
  int MessageBox(HWND owner, const std::wstring& text, const std::wstring& caption,
                 UINT type) override {
    boxes.push_back({text, caption, type, installButton && IsWindowEnabled(installButton)});
    owners.push_back(owner);
    if (answers.empty()) return IDOK;
    const int answer = answers.front();
    answers.pop_front();
    return answer;
  }
  void ShowList(HWND, const std::wstring& title, const std::vector<std::wstring>& lines,
                const std::wstring& closeText) override {
    lists.push_back(lines);
    listTitles.push_back(title + L" / " + closeText);
  }
  bool SelectFolder(HWND, const std::string& prompt, std::string& folder) override {
    prompts.push_back(prompt);
    if (folders.empty()) return false;
    folder = folders.front();
    folders.pop_front();
    return !folder.empty();
  }
  bool SelectModSource(HWND owner, const std::string& prompt, std::string& path) override {
    return SelectFolder(owner, prompt, path);
  }
  // The real list: a test answers it as a user would (ModFolderListAnswer).
  bool ChooseModFolder(HWND owner, const std::vector<std::string>& candidates,
                       std::size_t& choice) override {
    return TSystemShellDialogs().ChooseModFolder(owner, candidates, choice);
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
  std::deque<int> answers;  // none left: IDOK
  std::vector<RecordedBox> boxes;
  std::vector<std::vector<std::wstring>> lists;
  std::vector<std::wstring> listTitles;
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

// The window's layout at 96 dots per inch, with each control's text as it reads.
const Expected kExpected[] = {
    {kImage1, 0, nullptr, 0, 0, 597, 63},
    {kBevel1, 0, nullptr, 0, 63, 597, 10},
    {kLabel11, 0, nullptr, 8, 513, 207, 13},
    {kLabel12, 0, "www.odrun.example", 475, 513, 101, 13},
    {kGroupBox1, 0, "Транспорт", 8, 176, 569, 329},
    {kLabel2, kGroupBox1,
     "Проверьте все прочитаные данные, после чего нажмите кнопку \"Установить транспорт\"", 57, 24,
     455, 13},
    {kLabel3, kGroupBox1, "handling.cfg", 16, 48, 58, 13},
    {kLabel4, kGroupBox1, "vehicles.ide", 16, 70, 56, 13},
    {kLabel5, kGroupBox1, "carcols.dat", 16, 92, 52, 13},
    {kLabel6, kGroupBox1, "carmods.dat", 16, 114, 58, 13},
    {kLabel7, kGroupBox1, "DFF", 16, 144, 20, 13},
    {kLabel8, kGroupBox1, "TXD", 16, 168, 22, 13},
    {kLabel9, kGroupBox1, "Дополнительные файлы:", 16, 192, 128, 13},
    {kSpeedButton1, kGroupBox1, "Обзор...", 496, 139, 57, 23},
    {kSpeedButton2, kGroupBox1, "Обзор...", 496, 163, 57, 23},
    {kHandling, kGroupBox1, "", 80, 44, 473, 21},
    {kVehicles, kGroupBox1, "", 80, 66, 473, 21},
    {kCarcols, kGroupBox1, "", 80, 88, 473, 21},
    {kCarmods, kGroupBox1, "", 80, 110, 473, 21},
    {kDFF, kGroupBox1, "", 40, 140, 449, 21},
    {kTXD, kGroupBox1, "", 40, 164, 449, 21},
    {kAdv, kGroupBox1, nullptr, 16, 208, 537, 81},
    {kInstallBtn, kGroupBox1, "Установить транспорт", 208, 296, 153, 25},
    {kGroupBox2, 0, "Путь к папке с игрой", 8, 72, 569, 49},
    {kDirBrowseBtn, kGroupBox2, "Обзор..", 486, 16, 75, 25},
    {kGTASADir, kGroupBox2, "", 8, 18, 473, 21},
    {kGroupBox3, 0, "Путь к папке с транспортом", 8, 124, 569, 49},
    {kVehicleDir, kGroupBox3, "", 8, 18, 473, 21},
    {kVehDirBrowseBtn, kGroupBox3, "Обзор...", 486, 16, 75, 25},
};

TEST_F(MainWindowTest, EveryControlHasItsTextPlaceAndSize) {
  for (const Expected& expected : kExpected) {
    SCOPED_TRACE("control " + std::to_string(expected.id));
    HWND control = Control(expected.id);
    ASSERT_TRUE(IsWindow(control));
    EXPECT_EQ(GetParent(control),
              expected.parent == 0 ? window_->handle() : Control(expected.parent));
    if (expected.text) {
      EXPECT_EQ(Readable(Text(expected.id)), expected.text);
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
  // The program's list button follows the install button (the undo button too,
  // when enabled; without a game folder it is not).
  const int order[] = {kHandling, kVehicles,   kCarcols,         kCarmods,    kDFF,
                       kTXD,      kAdv,        kInstallBtn,      kHistoryBtn, kDirBrowseBtn,
                       kGTASADir, kVehicleDir, kVehDirBrowseBtn, kHandling};
  SetFocus(Control(order[0]));
  for (size_t i = 1; i < std::size(order); ++i) {
    PressKey(GetFocus(), VK_TAB);
    EXPECT_EQ(GetFocus(), Control(order[i])) << "after " << order[i - 1];
  }
  // Locked, the review frame is passed over but for the list of installations.
  window_->SetReviewEnabled(false);
  SetFocus(Control(kVehDirBrowseBtn));
  PressKey(GetFocus(), VK_TAB);
  EXPECT_EQ(GetFocus(), Control(kHistoryBtn));
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
  EXPECT_EQ(Readable(Cp1251FromWide(tip)), "Перейти на сайт");

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
  window_->ShowNotice(TEditField::DFF, msg::ModelFileNotFound());
  wchar_t shown[128] = {};
  GetWindowTextW(Control(kDFF), shown, 128);
  EXPECT_EQ(std::wstring(shown).substr(0, 5), L"\u0424\u0430\u0439\u043B ");  // Файл
  EXPECT_EQ(window_->GetText(TEditField::DFF), msg::ModelFileNotFound());
  window_->ShowNotice(TEditField::TXD, msg::TextureFileNotFound());
  EXPECT_EQ(window_->GetText(TEditField::TXD), msg::TextureFileNotFound());
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
  EXPECT_EQ(Cp1251FromWide(dialogs_.boxes[0].text), msg::Installed());
  EXPECT_EQ(dialogs_.boxes[0].caption, L"Wrenfield");
  EXPECT_EQ(dialogs_.boxes[0].type, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
  EXPECT_EQ(dialogs_.owners[0], window_->handle());
  EXPECT_FALSE(dialogs_.boxes[0].installButtonEnabled);  // locked while the box is up
  EXPECT_TRUE(IsWindowEnabled(Control(kInstallBtn)));
  EXPECT_NE(ReadAll(game + "\\models\\gta3.img"), archiveBefore);
  EXPECT_NE(ReadAll(game + "\\data\\carcols.dat").find(DemoCarcolsLine()), std::string::npos);
}

TEST_F(MainWindowTest, AModTheCheckFindsErrorsInIsInstalledOnlyWhenTheUserSaysSo) {
  const std::string game = folder_ + "\\game", mod = folder_ + "\\mod";
  WriteDemoGame(game);
  WriteDemoMod(mod);
  testing::WriteAll(mod + "\\monster.dff", "not a model");
  const auto archiveBefore = ReadAll(game + "\\models\\gta3.img");
  ShowWindowAndSettle();

  dialogs_.folders = {game, mod};
  Click(kDirBrowseBtn);
  Click(kVehDirBrowseBtn);  // the findings, in an error box
  ASSERT_EQ(dialogs_.boxes.size(), 1u);
  EXPECT_EQ(Cp1251FromWide(dialogs_.boxes[0].text).rfind(msg::Findings(""), 0), 0u);
  EXPECT_EQ(dialogs_.boxes[0].type, static_cast<UINT>(MB_OK | MB_ICONERROR));
  EXPECT_TRUE(IsWindowEnabled(Control(kInstallBtn)));

  Click(kInstallBtn);  // the question, answered with its default: no
  ASSERT_EQ(dialogs_.boxes.size(), 2u);
  EXPECT_EQ(dialogs_.boxes[1].type, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2));
  EXPECT_EQ(ReadAll(game + "\\models\\gta3.img"), archiveBefore);

  dialogs_.answers = {IDYES};
  Click(kInstallBtn);
  ASSERT_EQ(dialogs_.boxes.size(), 4u);
  EXPECT_EQ(Cp1251FromWide(dialogs_.boxes[3].text), msg::Installed());
  EXPECT_NE(ReadAll(game + "\\models\\gta3.img"), archiveBefore);
}

// The entry's sectors as the archive holds them ("" when it has none).
std::string EntryBytes(const std::string& archive, const std::string& name) {
  ScratchDir out("entry");
  const std::string file = out.Path("entry.bin");
  IMGOpen(archive.c_str());
  IMGExtractFile(name.c_str(), file.c_str());
  IMGClose();
  return ReadAll(file);
}

TEST_F(MainWindowTest, UndoFollowsTheGameFolderAsksNamingVehicleAndModAndPutsTheGameBack) {
  const std::string game = folder_ + "\\game", mod = folder_ + "\\mod";
  WriteDemoGame(game);
  WriteDemoMod(mod);
  const std::string carcols = ReadAll(game + "\\data\\carcols.dat");
  const std::string model = EntryBytes(game + "\\models\\gta3.img", "monster.dff");
  ShowWindowAndSettle();
  EXPECT_FALSE(IsWindowEnabled(Control(kUndoBtn)));
  EXPECT_TRUE(IsWindowEnabled(Control(kHistoryBtn)));
  EXPECT_EQ(Text(kUndoBtn), msg::kUndoButton);
  // In the review frame beside the install button, clear of it.
  EXPECT_EQ(GetParent(Control(kUndoBtn)), Control(kGroupBox1));
  EXPECT_GE(PlaceOf(Control(kUndoBtn)).left, PlaceOf(Control(kInstallBtn)).right);
  EXPECT_LE(PlaceOf(Control(kHistoryBtn)).right, PlaceOf(Control(kInstallBtn)).left);

  dialogs_.folders = {game, mod};
  Click(kDirBrowseBtn);
  Click(kVehDirBrowseBtn);
  Click(kInstallBtn);
  ASSERT_EQ(dialogs_.boxes.size(), 1u);
  EXPECT_TRUE(IsWindowEnabled(Control(kUndoBtn)));
  SetWindowTextW(Control(kGTASADir), L"C:\\nowhere");  // typing follows too
  EXPECT_FALSE(IsWindowEnabled(Control(kUndoBtn)));
  SetWindowTextW(Control(kGTASADir), WideFromCp1251(game).c_str());
  EXPECT_TRUE(IsWindowEnabled(Control(kUndoBtn)));

  dialogs_.answers = {IDNO, IDYES};
  Click(kUndoBtn);
  ASSERT_EQ(dialogs_.boxes.size(), 2u);
  const std::string question = Readable(Cp1251FromWide(dialogs_.boxes[1].text));
  EXPECT_EQ(question, "Отменить установку №1 (MONSTER из папки '" + Readable(mod) + "')?");
  EXPECT_EQ(dialogs_.boxes[1].type, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2));
  EXPECT_NE(ReadAll(game + "\\data\\carcols.dat"), carcols);  // No: nothing undone

  Click(kUndoBtn);
  ASSERT_EQ(dialogs_.boxes.size(), 4u);
  EXPECT_EQ(Readable(Cp1251FromWide(dialogs_.boxes[3].text)),
            "Установка №1 (MONSTER из папки '" + Readable(mod) + "') отменена.");
  EXPECT_EQ(dialogs_.boxes[3].type, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
  EXPECT_EQ(ReadAll(game + "\\data\\carcols.dat"), carcols);
  EXPECT_EQ(EntryBytes(game + "\\models\\gta3.img", "monster.dff"), model);
  EXPECT_FALSE(IsWindowEnabled(Control(kUndoBtn)));

  Click(kHistoryBtn);
  ASSERT_EQ(dialogs_.lists.size(), 1u);
  ASSERT_EQ(dialogs_.lists[0].size(), 2u);
  const std::string first = Cp1251FromWide(dialogs_.lists[0][0]);
  EXPECT_EQ(first.rfind("1  ", 0), 0u);
  EXPECT_EQ(first.substr(first.size() - 8), msg::StateUndone());
  EXPECT_EQ(dialogs_.listTitles[0],
            WideFromCp1251(std::string(msg::kHistoryTitle) + " / " + msg::kCloseButton));
}

// Saves the whole screen as a 24-bit BMP file.
void SaveScreen(const std::string& path) {
  const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
  const int height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info = {};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* pixels = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, GetSystemMetrics(SM_XVIRTUALSCREEN),
         GetSystemMetrics(SM_YVIRTUALSCREEN), SRCCOPY);
  GdiFlush();
  const DWORD rowBytes = ((width * 3 + 3) / 4) * 4;
  BITMAPFILEHEADER file = {};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info.bmiHeader;
  file.bfSize = file.bfOffBits + rowBytes * height;
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(&file), sizeof file);
  out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
  out.write(static_cast<const char*>(pixels), rowBytes * height);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
}

// Answers the system's boxes and the list of installations on this thread as
// a user would (Yes, OK, Close), remembering what each showed. With
// WRENFIELD_SCREENSHOTS naming a folder, the screen is saved there first.
class BoxAnswers {
 public:
  BoxAnswers() {
    current_ = this;
    timer_ = SetTimer(nullptr, 0, 100, OnTimer);
    if (const char* folder = std::getenv("WRENFIELD_SCREENSHOTS")) screenshots_ = folder;
  }
  ~BoxAnswers() {
    KillTimer(nullptr, timer_);
    current_ = nullptr;
  }
  BoxAnswers(const BoxAnswers&) = delete;
  BoxAnswers& operator=(const BoxAnswers&) = delete;

  std::vector<std::wstring> texts;  // a box's text, or the list's lines joined by "|"

 private:
  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (current_) current_->Step();
  }
  static BOOL CALLBACK FindDialog(HWND candidate, LPARAM found) {
    wchar_t className[16] = {};
    GetClassNameW(candidate, className, 16);
    if (lstrcmpW(className, L"#32770") != 0 || !IsWindowVisible(candidate)) return TRUE;
    *reinterpret_cast<HWND*>(found) = candidate;
    return FALSE;
  }
  static std::wstring TextOf(HWND control) {
    wchar_t text[1024] = {};
    GetWindowTextW(control, text, 1024);
    return text;
  }

  void Step() {
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&dialog));
    if (dialog == nullptr) return;
    if (!screenshots_.empty()) {
      SaveScreen(screenshots_ + "\\shot-" + std::to_string(texts.size() + 1) + ".bmp");
    }
    HWND list = GetDlgItem(dialog, kListDialogList);
    if (list != nullptr) {
      std::wstring lines;
      const int count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
      for (int i = 0; i < count; ++i) {
        wchar_t line[1024] = {};
        SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line));
        lines += (i > 0 ? L"|" : L"") + std::wstring(line);
      }
      texts.push_back(lines);
    } else {
      texts.push_back(TextOf(GetDlgItem(dialog, 0xFFFF)));  // the box's text
    }
    const int answer = GetDlgItem(dialog, IDYES) != nullptr ? IDYES : IDOK;
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
  }

  static inline BoxAnswers* current_ = nullptr;
  UINT_PTR timer_ = 0;
  std::string screenshots_;
};

// The system's boxes and list; folders still come from the queue.
class SystemBoxes : public RecordingDialogs {
 public:
  int MessageBox(HWND owner, const std::wstring& text, const std::wstring& caption,
                 UINT type) override {
    RecordingDialogs::MessageBox(owner, text, caption, type);
    return TSystemShellDialogs().MessageBox(owner, text, caption, type);
  }
  void ShowList(HWND owner, const std::wstring& title, const std::vector<std::wstring>& lines,
                const std::wstring& closeText) override {
    TSystemShellDialogs().ShowList(owner, title, lines, closeText);
  }
};

TEST(SystemBoxesTest, UndoThroughTheSystemsQuestionBoxAndTheListOfInstallations) {
  ScratchDir scratch("undo");
  const std::string game = scratch.Path("game"), mod = scratch.Path("mod");
  WriteDemoGame(game);
  WriteDemoMod(mod);
  const std::string vehicles = ReadAll(game + "\\data\\vehicles.ide");
  char previous[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, previous);
  SetCurrentDirectoryA(scratch.path().c_str());  // where the window keeps lastdir.ini
  SystemBoxes dialogs;
  TMainWindow window(GetModuleHandleW(nullptr), dialogs, DefaultFormServices());
  if (!IsWindow(window.handle())) GTEST_SKIP() << "no display to create windows on";
  window.Show();
  dialogs.folders = {game, mod};
  BoxAnswers answers;
  SendMessageW(window.Control(kDirBrowseBtn), BM_CLICK, 0, 0);
  SendMessageW(window.Control(kVehDirBrowseBtn), BM_CLICK, 0, 0);
  SendMessageW(window.Control(kInstallBtn), BM_CLICK, 0, 0);
  ASSERT_TRUE(IsWindowEnabled(window.Control(kUndoBtn)));
  SendMessageW(window.Control(kUndoBtn), BM_CLICK, 0, 0);
  SendMessageW(window.Control(kHistoryBtn), BM_CLICK, 0, 0);

  ASSERT_EQ(answers.texts.size(), 4u);  // success, question, undone, list
  EXPECT_EQ(Readable(Cp1251FromWide(answers.texts[1])).rfind("Отменить установку №", 0), 0u);
  EXPECT_EQ(Readable(Cp1251FromWide(answers.texts[2])).rfind("Установка №", 0), 0u);
  EXPECT_NE(answers.texts[3].find(L"MONSTER"), std::wstring::npos);
  EXPECT_EQ(ReadAll(game + "\\data\\vehicles.ide"), vehicles);
  SendMessageW(window.handle(), WM_CLOSE, 0, 0);
  MSG quit;  // the closed window asked the event loop to end
  PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
  SetCurrentDirectoryA(previous);
}

TEST_F(MainWindowTest, InstallWithoutGameFolderShowsTheErrorWithoutDot) {
  ShowWindowAndSettle();
  window_->SetReviewEnabled(true);
  Click(kInstallBtn);
  ASSERT_EQ(dialogs_.boxes.size(), 1u);
  // Ends in "!": no "." added.
  EXPECT_EQ(Readable(Cp1251FromWide(dialogs_.boxes[0].text)), "Укажите папку с GTA: San Andreas!");
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
  EXPECT_EQ(dialogs_.filters[0], std::string(msg::kModelFilter) + " / " + msg::kOpenDialogTitle);
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
        WideFromCp1251(msg::kOpenDialogTitle) != title)
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

// Drops a path on the window as the shell does: a DROPFILES block of wide names.
void DropOnWindow(HWND window, const std::string& path) {
  const std::wstring name = WideFromSystem(path);
  HGLOBAL block = GlobalAlloc(GHND, sizeof(DROPFILES) + (name.size() + 2) * sizeof(wchar_t));
  auto* files = static_cast<DROPFILES*>(GlobalLock(block));
  files->pFiles = sizeof(DROPFILES);
  files->fWide = TRUE;
  std::memcpy(files + 1, name.c_str(), name.size() * sizeof(wchar_t));
  GlobalUnlock(block);
  SendMessageW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(block), 0);
}

std::string WriteZip(const std::string& path, const std::vector<testing::ZipEntry>& entries) {
  std::ofstream(path, std::ios::binary) << testing::ZipOf(entries);
  return path;
}

// The demo mod packed as players get it, in a folder of its own (a UTF-8 name).
std::string DemoModArchive(const std::string& scratch, const std::string& folder,
                           const std::string& name) {
  const std::string mod = scratch + "\\" + name + "-mod";
  WriteDemoMod(mod);
  std::vector<testing::ZipEntry> entries;
  for (const auto& [file, bytes] : testing::TreeOf(mod)) {
    if (bytes != "<folder>") entries.push_back({folder + "/" + file, bytes, 0x0800});
  }
  return WriteZip(scratch + "\\" + name, entries);
}

// With WRENFIELD_WINDOW_SHOT set, the window as the screen shows it is saved
// there as a 24-bit BMP.
void SaveWindowShot(HWND window) {
  char path[MAX_PATH] = {};
  if (GetEnvironmentVariableA("WRENFIELD_WINDOW_SHOT", path, MAX_PATH) == 0) return;
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  GdiFlush();
  Sleep(500);  // a display server draws on its own time
  RECT place;
  GetWindowRect(window, &place);
  const int width = place.right - place.left, height = place.bottom - place.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP picture = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, picture);
  BitBlt(memory, 0, 0, width, height, screen, place.left, place.top, SRCCOPY);
  SelectObject(memory, old);
  BITMAPINFOHEADER header = {};
  header.biSize = sizeof header;
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = 24;
  std::string pixels(((width * 3 + 3) & ~3) * height, '\0');
  GetDIBits(memory, picture, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&header),
            DIB_RGB_COLORS);
  const DWORD offset = sizeof(BITMAPFILEHEADER) + sizeof header;
  const BITMAPFILEHEADER file = {0x4D42, static_cast<DWORD>(offset + pixels.size()), 0, 0, offset};
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(&file), sizeof file);
  out.write(reinterpret_cast<const char*>(&header), sizeof header);
  out << pixels;
  DeleteObject(picture);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
}

TEST_F(MainWindowTest, DroppedArchiveFillsTheFieldsAndItsFilesGoAtClose) {
  testing::TemporaryRoot temporary;
  const std::string archive = DemoModArchive(folder_,
                                             "\xD0\x9C\xD0\xBE\xD0\xBD\xD1\x81\xD1\x82"
                                             "\xD1\x80",
                                             "monster.zip");  // Монстр
  ShowWindowAndSettle();
  DropOnWindow(window_->handle(), archive);
  Pump();
  ASSERT_TRUE(dialogs_.boxes.empty()) << Cp1251FromWide(dialogs_.boxes[0].text);
  EXPECT_EQ(window_->GetText(TEditField::VehicleDir), archive);
  const std::string model = window_->GetText(TEditField::DFF);
  EXPECT_EQ(model.compare(0, temporary.path().size(), temporary.path()), 0) << model;
  EXPECT_TRUE(FileExists(model)) << model;
  EXPECT_EQ(Text(kVehicles), DemoVehiclesLine());
  EXPECT_EQ(Text(kCarcols), DemoCarcolsLine());
  for (const int id : kReview) EXPECT_TRUE(IsWindowEnabled(Control(id))) << id;
  EXPECT_EQ(GetFocus(), Control(kGroupBox1));
  SaveWindowShot(window_->handle());
  SendMessageW(window_->handle(), WM_CLOSE, 0, 0);
  EXPECT_EQ(temporary.EntryCount(), 0u);  // the window's unpacked files went with it
}

// Answers the list of mod folders as a user would, from a timer on the window's
// thread that the list's modal loop serves: picks an item and confirms.
class ModFolderListAnswer {
 public:
  explicit ModFolderListAnswer(int pick) : pick_(pick) {
    current_ = this;
    timer_ = SetTimer(nullptr, 0, 100, OnTimer);
  }
  ~ModFolderListAnswer() {
    KillTimer(nullptr, timer_);
    current_ = nullptr;
  }
  ModFolderListAnswer(const ModFolderListAnswer&) = delete;
  ModFolderListAnswer& operator=(const ModFolderListAnswer&) = delete;

  std::vector<std::wstring> shown;  // the list's items
  std::wstring caption;

 private:
  static BOOL CALLBACK FindList(HWND candidate, LPARAM found) {
    if (!IsWindowVisible(candidate) || GetDlgItem(candidate, kModFolderList) == nullptr)
      return TRUE;
    *reinterpret_cast<HWND*>(found) = candidate;
    return FALSE;
  }
  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindList, reinterpret_cast<LPARAM>(&dialog));
    if (current_ == nullptr || dialog == nullptr) return;
    HWND list = GetDlgItem(dialog, kModFolderList);
    wchar_t text[MAX_PATH] = {};
    GetWindowTextW(dialog, text, MAX_PATH);
    current_->caption = text;
    for (int i = 0; i < static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0)); ++i) {
      SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
      current_->shown.push_back(text);
    }
    SendMessageW(list, LB_SETCURSEL, current_->pick_, 0);
    SendMessageW(dialog, WM_COMMAND, IDOK, 0);
  }

  static inline ModFolderListAnswer* current_ = nullptr;
  int pick_;
  UINT_PTR timer_ = 0;
};

TEST_F(MainWindowTest, EnterOnAnArchiveOfVariantsListsThemAndReadsThePickedOne) {
  testing::TemporaryRoot temporary;
  const std::string first = DemoModArchive(folder_, "Monster", "first.zip");
  const std::string line = "411, infernus, infernus, car, INFERNUS, INFERNUS, null, executive, ";
  std::vector<testing::ZipEntry> entries;
  for (const char* variant : {"1", "2"}) {
    const std::string in = std::string("Pack/v") + variant + "/";
    entries.push_back({in + "infernus.dff", variant});
    entries.push_back({in + "infernus.txd", variant});
    entries.push_back({in + "readme.txt", line + variant});
  }
  const std::string variants = WriteZip(folder_ + "\\variants.zip", entries);
  ShowWindowAndSettle();
  DropOnWindow(window_->handle(), first);
  const std::string firstModel = window_->GetText(TEditField::DFF);
  ASSERT_TRUE(FileExists(firstModel));

  SetWindowTextW(Control(kVehicleDir), WideFromSystem(variants).c_str());
  {
    ModFolderListAnswer answer(1);
    PressKey(Control(kVehicleDir), VK_RETURN);
    EXPECT_EQ(answer.shown, (std::vector<std::wstring>{L"Pack\\v1", L"Pack\\v2"}));
    EXPECT_EQ(answer.caption, L"Wrenfield");
  }
  EXPECT_TRUE(dialogs_.boxes.empty());
  EXPECT_EQ(Text(kVehicles), line + "2");
  EXPECT_EQ(ReadAll(window_->GetText(TEditField::DFF)), "2");
  EXPECT_FALSE(FileExists(firstModel));  // the archive read before went
  EXPECT_EQ(ModFolderListText("."), WideFromCp1251(msg::kArchiveTop));
}

// The mod's folder dialog shows folders and mod archives, nothing else.
TEST(ModDialogTest, ShowsFoldersAndArchivesOnly) {
  ScratchDir scratch("mod-dialog");
  const std::string folder = scratch.path();
  for (const char* file : {"a.zip", "B.RAR", "c.7z", "d.txt", "e.dff", "zip"})
    std::ofstream(folder + "\\" + file) << "x";
  fs::create_directory(folder + "\\sub.zip.d");
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  IShellFolder* desktop = nullptr;
  IShellFolder* shellFolder = nullptr;
  PIDLIST_ABSOLUTE location = nullptr;
  ASSERT_EQ(SHGetDesktopFolder(&desktop), S_OK);
  ASSERT_EQ(SHParseDisplayName(WideFromSystem(folder).c_str(), nullptr, &location, 0, nullptr),
            S_OK);
  ASSERT_EQ(desktop->BindToObject(location, nullptr, IID_IShellFolder,
                                  reinterpret_cast<void**>(&shellFolder)),
            S_OK);
  IEnumIDList* items = nullptr;
  ASSERT_EQ(shellFolder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, &items), S_OK);
  std::vector<std::wstring> shown;
  PITEMID_CHILD item = nullptr;
  while (items->Next(1, &item, nullptr) == S_OK) {
    STRRET name = {};
    wchar_t text[MAX_PATH] = {};
    shellFolder->GetDisplayNameOf(item, SHGDN_INFOLDER | SHGDN_FORPARSING, &name);
    StrRetToBufW(&name, item, text, MAX_PATH);
    if (Extra::ShowsInModDialog(shellFolder, item)) shown.push_back(text);
    CoTaskMemFree(item);
  }
  std::sort(shown.begin(), shown.end());
  EXPECT_EQ(shown, (std::vector<std::wstring>{L"B.RAR", L"a.zip", L"c.7z", L"sub.zip.d"}));
  items->Release();
  shellFolder->Release();
  desktop->Release();
  CoTaskMemFree(location);
  CoUninitialize();
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

// The functions a program imports by name, and the libraries it imports from, read
// from its file's import directory. A 64-bit program (PE32+) has a longer optional
// header before the data directories and 8-byte import thunks whose top bit marks
// an import by number.
std::vector<std::string> ImportedNames(const std::string& file,
                                       std::vector<std::string>* libraries = nullptr) {
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
    const size_t libraryName = offsetOf(u32(library + 12));
    if (libraries != nullptr && libraryName < file.size())
      libraries->emplace_back(file.c_str() + libraryName);
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
  // A dropped or chosen path the code page cannot spell is taken by its short form.
  ScratchDir scratch("text");
  const std::wstring file = WideFromSystem(scratch.path()) + L"\\\u6F22\u5B57.zip";
  CloseHandle(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
  EXPECT_TRUE(FileExists(SystemPathFromWide(file)));
}

TEST(ProgramTest, ImportsTheArchiveByNameAndReadsNoEnvironmentOrCommandLine) {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  const std::string file = ReadAll((fs::path(self).parent_path() / "Wrenfield.exe").string());
  ASSERT_FALSE(file.empty());
  std::vector<std::string> libraries;
  const std::vector<std::string> names = ImportedNames(file, &libraries);
  // Linked in statically (the C++ runtime, libarchive, liblzma, zlib): the program
  // needs no library beside it but Torvane, and the system's own.
  wchar_t system[MAX_PATH] = {};
  GetSystemDirectoryW(system, MAX_PATH);
  for (const std::string& library : libraries) {
    if (lstrcmpiA(library.c_str(), "Torvane.dll") == 0) continue;
    EXPECT_TRUE(fs::exists(fs::path(system) / library)) << library;
  }
  EXPECT_EQ(std::count_if(libraries.begin(), libraries.end(),
                          [](const std::string& library) {
                            return lstrcmpiA(library.c_str(), "Torvane.dll") == 0;
                          }),
            1);
  auto imports = [&](const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
  };
  for (const char* used : {"IMGOpen", "IMGAddFile", "IMGClose", "IMGDelFile", "IMGExtractFile"})
    EXPECT_TRUE(imports(used)) << used;
  for (const char* reader :
       {"getenv", "_wgetenv", "getenv_s", "_wgetenv_s", "_dupenv_s", "GetEnvironmentVariableA",
        "GetEnvironmentVariableW", "GetEnvironmentStringsA", "GetEnvironmentStringsW",
        "ExpandEnvironmentStringsA", "ExpandEnvironmentStringsW", "GetCommandLineA",
        "GetCommandLineW", "CommandLineToArgvW"})
    EXPECT_FALSE(imports(reader)) << reader;
}

}  // namespace
}  // namespace wrenfield
