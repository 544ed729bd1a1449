// The main window's layout: its window classes, the control identifiers, and
// the place, size, text and font of every control in pixels at 96 dots per
// inch; and the fonts those controls use.
#pragma once

#include <windows.h>

#include "controls_win.h"
#include "messages.h"

namespace wrenfield {

inline constexpr wchar_t kApplicationClass[] = L"WrenfieldApplication";
inline constexpr wchar_t kWindowClass[] = L"WrenfieldMainWindow";
inline constexpr wchar_t kPanelClass[] = L"WrenfieldGroup";
inline constexpr int kClientWidth = 595;
inline constexpr int kClientHeight = 533;
inline constexpr int kAdvItemHeight = 13;

// Control identifiers, unique in the whole window.
enum TControlId : int {
  kImage1 = 100,
  kBevel1,
  kLabel11,
  kLabel12,
  kGroupBox1 = 110,  // the framed groups (panels that hold their controls)
  kGroupBox2,
  kGroupBox3,
  kLabel2 = 120,
  kLabel3,
  kLabel4,
  kLabel5,
  kLabel6,
  kLabel7,
  kLabel8,
  kLabel9,
  kSpeedButton1,
  kSpeedButton2,
  kHandling = 140,
  kVehicles,
  kCarcols,
  kCarmods,
  kDFF,
  kTXD,
  kAdv,
  kInstallBtn,
  kUndoBtn,  // the program's additions in the free space beside kInstallBtn
  kHistoryBtn,
  kDirBrowseBtn = 160,
  kGTASADir,
  kVehicleDir,
  kVehDirBrowseBtn,
};

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

inline constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
inline constexpr DWORD kLabel = kChild | SS_LEFTNOWORDWRAP | SS_NOPREFIX;
inline constexpr DWORD kEdit = kChild | WS_TABSTOP | ES_AUTOHSCROLL;
inline constexpr DWORD kButton = kChild | WS_TABSTOP | BS_PUSHBUTTON;
inline constexpr DWORD kPanel = kChild | WS_CLIPCHILDREN;

// Creation order is tab order: within each parent the tab controls come first,
// in their tab positions, then the controls that never take the focus.
inline constexpr TLayoutEntry kLayout[] = {
    {kImage1, 0, L"Static", "", kChild | SS_OWNERDRAW, 0, 0, 0, 597, 63, TFont::Default},
    {kBevel1, 0, L"Static", "", kChild | SS_OWNERDRAW, 0, 0, 63, 597, 10, TFont::Default},
    {kLabel11, 0, L"Static", msg::kCredits, kLabel | WS_DISABLED, 0, 8, 513, 207, 13,
     TFont::Credits},
    {kLabel12, 0, L"Static", msg::kAuthorPage, kLabel | SS_NOTIFY, 0, 475, 513, 101, 13,
     TFont::Link},
    {kGroupBox1, 0, kPanelClass, msg::kReviewGroup, kPanel, WS_EX_CONTROLPARENT, 8, 176, 569, 329,
     TFont::Default},
    {kGroupBox2, 0, kPanelClass, msg::kGameFolderGroup, kPanel, WS_EX_CONTROLPARENT, 8, 72, 569, 49,
     TFont::Default},
    {kGroupBox3, 0, kPanelClass, msg::kModFolderGroup, kPanel, WS_EX_CONTROLPARENT, 8, 124, 569, 49,
     TFont::Default},

    {kHandling, kGroupBox1, L"Edit", "", kEdit, WS_EX_CLIENTEDGE, 80, 44, 473, 21, TFont::Default},
    {kVehicles, kGroupBox1, L"Edit", "", kEdit, WS_EX_CLIENTEDGE, 80, 66, 473, 21, TFont::Default},
    {kCarcols, kGroupBox1, L"Edit", "", kEdit, WS_EX_CLIENTEDGE, 80, 88, 473, 21, TFont::Default},
    {kCarmods, kGroupBox1, L"Edit", "", kEdit, WS_EX_CLIENTEDGE, 80, 110, 473, 21, TFont::Default},
    {kDFF, kGroupBox1, L"Edit", "", kEdit, WS_EX_CLIENTEDGE, 40, 140, 449, 21, TFont::Default},
    {kTXD, kGroupBox1, L"Edit", "", kEdit, WS_EX_CLIENTEDGE, 40, 164, 449, 21, TFont::Default},
    {kAdv, kGroupBox1, nullptr /* check-list */, "", 0, 0, 16, 208, 537, 81, TFont::Default},
    {kInstallBtn, kGroupBox1, L"Button", msg::kInstallButton, kButton, 0, 208, 296, 153, 25,
     TFont::Default},
    // Beside the install button, right and left, in the review frame's free
    // space; after it in the tab order. Not review controls: the undo button
    // follows the game folder, the list is always there.
    {kUndoBtn, kGroupBox1, L"Button", msg::kUndoButton, kButton, 0, 400, 296, 153, 25,
     TFont::Default},
    {kHistoryBtn, kGroupBox1, L"Button", msg::kHistoryButton, kButton, 0, 16, 296, 153, 25,
     TFont::Default},
    {kLabel2, kGroupBox1, L"Static", msg::kReviewHint, kLabel, 0, 57, 24, 455, 13, TFont::Default},
    {kLabel3, kGroupBox1, L"Static", "handling.cfg", kLabel, 0, 16, 48, 58, 13, TFont::Default},
    {kLabel4, kGroupBox1, L"Static", "vehicles.ide", kLabel, 0, 16, 70, 56, 13, TFont::Default},
    {kLabel5, kGroupBox1, L"Static", "carcols.dat", kLabel, 0, 16, 92, 52, 13, TFont::Default},
    {kLabel6, kGroupBox1, L"Static", "carmods.dat", kLabel, 0, 16, 114, 58, 13, TFont::Default},
    {kLabel7, kGroupBox1, L"Static", "DFF", kLabel, 0, 16, 144, 20, 13, TFont::Default},
    {kLabel8, kGroupBox1, L"Static", "TXD", kLabel, 0, 16, 168, 22, 13, TFont::Default},
    {kLabel9, kGroupBox1, L"Static", msg::kExtraFiles, kLabel, 0, 16, 192, 128, 13, TFont::Default},
    {kSpeedButton1, kGroupBox1, kFlatButtonClass, msg::kBrowse3, kChild, 0, 496, 139, 57, 23,
     TFont::Default},
    {kSpeedButton2, kGroupBox1, kFlatButtonClass, msg::kBrowse3, kChild, 0, 496, 163, 57, 23,
     TFont::Default},

    {kDirBrowseBtn, kGroupBox2, L"Button", msg::kBrowse2, kButton, 0, 486, 16, 75, 25,
     TFont::Default},
    {kGTASADir, kGroupBox2, L"Edit", "", kEdit, WS_EX_CLIENTEDGE, 8, 18, 473, 21, TFont::Default},

    {kVehicleDir, kGroupBox3, L"Edit", "", kEdit, WS_EX_CLIENTEDGE, 8, 18, 473, 21, TFont::Default},
    {kVehDirBrowseBtn, kGroupBox3, L"Button", msg::kBrowse3, kButton, 0, 486, 16, 75, 25,
     TFont::Default},
};

// The 18 review controls, enabled and disabled together.
inline constexpr int kReviewControls[] = {
    kLabel2,  kLabel3,  kLabel4,       kLabel5,       kLabel6,   kLabel7,
    kLabel8,  kLabel9,  kSpeedButton1, kSpeedButton2, kHandling, kVehicles,
    kCarcols, kCarmods, kDFF,          kTXD,          kAdv,      kInstallBtn};

// The window's fonts at the screen's dots per inch, released with the object.
class TWindowFonts {
 public:
  explicit TWindowFonts(int dpi);
  ~TWindowFonts();
  TWindowFonts(const TWindowFonts&) = delete;
  TWindowFonts& operator=(const TWindowFonts&) = delete;

  HFONT Of(TFont font) const;

 private:
  HFONT default_;
  HFONT credits_;
  HFONT link_;
};

}  // namespace wrenfield
