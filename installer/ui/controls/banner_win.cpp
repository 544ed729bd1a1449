#include "banner_win.h"

#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE declared first
#include <utility>

// clang-format off
#include <jpeglib.h>
// clang-format on

namespace wrenfield {
namespace {

// libjpeg reports a fatal error through error_exit; jump back instead of
// ending the program.
struct JpegErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
};

void OnJpegError(j_common_ptr info) {
  std::longjmp(reinterpret_cast<JpegErrorManager*>(info->err)->jump, 1);
}

void IgnoreJpegMessage(j_common_ptr) {}

// The decompressor, destroyed with its owner.
class Decompressor {
 public:
  Decompressor() {
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = OnJpegError;
    errors.base.output_message = IgnoreJpegMessage;
  }
  ~Decompressor() { jpeg_destroy_decompress(&info); }
  Decompressor(const Decompressor&) = delete;
  Decompressor& operator=(const Decompressor&) = delete;

  jpeg_decompress_struct info{};
  JpegErrorManager errors{};
};

int RowStride(int width) { return (width * 3 + 3) & ~3; }

}  // namespace

TBanner::TBanner(HINSTANCE instance, const wchar_t* resourceName) {
  HRSRC resource = FindResourceW(instance, resourceName, MAKEINTRESOURCEW(10) /* RT_RCDATA */);
  if (resource == nullptr) return;
  HGLOBAL loaded = LoadResource(instance, resource);
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (data == nullptr) return;
  if (!Decode(static_cast<const unsigned char*>(data), SizeofResource(instance, resource))) {
    width_ = height_ = 0;
    pixels_.clear();
  }
}

bool TBanner::Decode(const unsigned char* data, unsigned long size) {
  Decompressor jpeg;
  if (setjmp(jpeg.errors.jump)) return false;
  jpeg_create_decompress(&jpeg.info);
  jpeg_mem_src(&jpeg.info, data, size);
  if (jpeg_read_header(&jpeg.info, TRUE) != JPEG_HEADER_OK) return false;
  jpeg.info.out_color_space = JCS_EXT_BGR;  // the bitmap's byte order
  jpeg_start_decompress(&jpeg.info);
  if (jpeg.info.output_components != 3) return false;
  const int width = static_cast<int>(jpeg.info.output_width);
  const int height = static_cast<int>(jpeg.info.output_height);
  std::vector<unsigned char> pixels(static_cast<size_t>(RowStride(width)) * height);
  while (jpeg.info.output_scanline < jpeg.info.output_height) {
    JSAMPROW row =
        pixels.data() + static_cast<size_t>(RowStride(width)) * jpeg.info.output_scanline;
    jpeg_read_scanlines(&jpeg.info, &row, 1);
  }
  jpeg_finish_decompress(&jpeg.info);
  width_ = width;
  height_ = height;
  pixels_ = std::move(pixels);
  return true;
}

void TBanner::Draw(HDC dc, const RECT& target) const {
  if (pixels_.empty()) return;
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width_;
  info.bmiHeader.biHeight = -height_;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  SetStretchBltMode(dc, HALFTONE);
  StretchDIBits(dc, target.left, target.top, target.right - target.left, target.bottom - target.top,
                0, 0, width_, height_, pixels_.data(), &info, DIB_RGB_COLORS, SRCCOPY);
}

}  // namespace wrenfield
