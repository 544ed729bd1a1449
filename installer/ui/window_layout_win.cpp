#include "window_layout_win.h"

#include <string>

#include "text_win.h"

namespace wrenfield {
namespace {

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

TWindowFonts::TWindowFonts(int dpi)
    : default_(MakeDefaultFont(dpi)),
      credits_(MakeLineFont(dpi, L"Tahoma", RUSSIAN_CHARSET, false)),
      link_(MakeLineFont(dpi, L"MS Sans Serif", DEFAULT_CHARSET, true)) {}

TWindowFonts::~TWindowFonts() {
  DeleteObject(default_);
  DeleteObject(credits_);
  DeleteObject(link_);
}

HFONT TWindowFonts::Of(TFont font) const {
  switch (font) {
    case TFont::Credits:
      return credits_;
    case TFont::Link:
      return link_;
    case TFont::Default:
      break;
  }
  return default_;
}

}  // namespace wrenfield
