// The window's banner: a JPEG picture kept in the program's resources, decoded
// once at start-up into a 24-bit top-down bitmap.
#pragma once

#include <windows.h>

#include <vector>

namespace wrenfield {

class TBanner {
 public:
  // Decodes the RCDATA resource of that name; an empty banner when it is
  // missing or cannot be decoded.
  TBanner(HINSTANCE instance, const wchar_t* resourceName);

  int width() const { return width_; }
  int height() const { return height_; }
  // Draws the picture into the rectangle, scaled to it.
  void Draw(HDC dc, const RECT& target) const;

 private:
  bool Decode(const unsigned char* data, unsigned long size);

  int width_ = 0;
  int height_ = 0;
  std::vector<unsigned char> pixels_;  // BGR rows, each padded to 4 bytes
};

}  // namespace wrenfield
