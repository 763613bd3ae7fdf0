#include "screen_bitmap.h"

#include <cstdio>

namespace ddtest {

Rgb rgbOf(COLORREF colour) { return Rgb{GetRValue(colour), GetGValue(colour), GetBValue(colour)}; }

namespace {

BITMAPINFOHEADER headerFor(int width, int height) {
  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = width;
  header.biHeight = -height;  // top-down: row 0 is y 0
  header.biPlanes = 1;
  header.biBitCount = 32;
  header.biCompression = BI_RGB;
  return header;
}

}  // namespace

ScreenBitmap::ScreenBitmap() {
  BITMAPINFO info{};
  info.bmiHeader = headerFor(kWidth, kHeight);
  void* bits = nullptr;
  dc_ = CreateCompatibleDC(nullptr);
  bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  pixels_ = static_cast<uint32_t*>(bits);
  previous_ = SelectObject(dc_, bitmap_);
  erase();
}

ScreenBitmap::~ScreenBitmap() {
  SelectObject(dc_, previous_);
  DeleteObject(bitmap_);
  DeleteDC(dc_);
}

void ScreenBitmap::erase() {
  RECT all{0, 0, kWidth, kHeight};
  FillRect(dc_, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  GdiFlush();
}

Rgb ScreenBitmap::at(int x, int y) const {
  GdiFlush();
  uint32_t p = pixels_[y * kWidth + x];
  return Rgb{static_cast<uint8_t>(p >> 16), static_cast<uint8_t>(p >> 8), static_cast<uint8_t>(p)};
}

bool ScreenBitmap::save(const char* path) const {
  GdiFlush();
  BITMAPINFOHEADER header = headerFor(kWidth, kHeight);
  DWORD pixelBytes = kWidth * kHeight * 4;
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof header;
  file.bfSize = file.bfOffBits + pixelBytes;
  std::FILE* out = std::fopen(path, "wb");
  if (out == nullptr) return false;
  bool ok = std::fwrite(&file, sizeof file, 1, out) == 1 &&
            std::fwrite(&header, sizeof header, 1, out) == 1 &&
            std::fwrite(pixels_, pixelBytes, 1, out) == 1;
  return std::fclose(out) == 0 && ok;
}

bool ScreenBitmap::sameIn(const ScreenBitmap& other, const RECT& rect) const {
  GdiFlush();
  for (int y = rect.top; y < rect.bottom; ++y) {
    for (int x = rect.left; x < rect.right; ++x) {
      if (pixels_[y * kWidth + x] != other.pixels_[y * kWidth + x]) return false;
    }
  }
  return true;
}

namespace {

// A tint of colour lies on the line from white to it: every channel has come the same share t
// (0 < t <= 1) of the way from 255 towards the colour's value.
bool isTintOf(Rgb pixel, Rgb colour) {
  const int tolerance = 3;
  int towards[3] = {255 - colour.r, 255 - colour.g, 255 - colour.b};
  int moved[3] = {255 - pixel.r, 255 - pixel.g, 255 - pixel.b};
  int widest = 0;
  for (int c = 1; c < 3; ++c) {
    if (towards[c] > towards[widest]) widest = c;
  }
  if (towards[widest] == 0) return false;
  double share = static_cast<double>(moved[widest]) / towards[widest];
  if (share <= 0.0 || share > 1.0) return false;
  for (int c = 0; c < 3; ++c) {
    double expected = share * towards[c];
    if (moved[c] < expected - tolerance || moved[c] > expected + tolerance) return false;
  }
  return true;
}

}  // namespace

Ink inkIn(const ScreenBitmap& bitmap, const RECT& rect, Rgb colour) {
  Ink ink;
  for (int y = rect.top; y < rect.bottom; ++y) {
    for (int x = rect.left; x < rect.right; ++x) {
      Rgb pixel = bitmap.at(x, y);
      if (pixel == kWhitePixel) continue;
      ++ink.inked;
      if (pixel == colour) {
        ++ink.exact;
      } else if (!isTintOf(pixel, colour)) {
        if (ink.foreign++ == 0) ink.firstForeign = pixel;
      }
    }
  }
  return ink;
}

RECT inkBounds(const ScreenBitmap& bitmap, const RECT& rect) {
  RECT box{rect.right, rect.bottom, rect.left, rect.top};
  for (int y = rect.top; y < rect.bottom; ++y) {
    for (int x = rect.left; x < rect.right; ++x) {
      if (bitmap.at(x, y) == kWhitePixel) continue;
      if (x < box.left) box.left = x;
      if (y < box.top) box.top = y;
      if (x + 1 > box.right) box.right = x + 1;
      if (y + 1 > box.bottom) box.bottom = y + 1;
    }
  }
  if (box.left >= box.right) SetRectEmpty(&box);
  return box;
}

}  // namespace ddtest
