// A 32-bit top-down memory bitmap with a device context, for painting screens off-window.
#pragma once

#include <windows.h>

#include <cstdint>
#include <ostream>

namespace ddtest {

struct Rgb {
  uint8_t r, g, b;
  bool operator==(const Rgb&) const = default;
};

constexpr Rgb kWhitePixel{255, 255, 255};

inline std::ostream& operator<<(std::ostream& out, Rgb c) {
  return out << "(" << int(c.r) << "," << int(c.g) << "," << int(c.b) << ")";
}

Rgb rgbOf(COLORREF colour);

class ScreenBitmap {
 public:
  static constexpr int kWidth = 550;
  static constexpr int kHeight = 350;

  ScreenBitmap();
  ~ScreenBitmap();
  ScreenBitmap(const ScreenBitmap&) = delete;
  ScreenBitmap& operator=(const ScreenBitmap&) = delete;

  HDC dc() const { return dc_; }
  // White everywhere, as the class brush erases the client area before a paint.
  void erase();
  Rgb at(int x, int y) const;
  const uint32_t* pixels() const { return pixels_; }
  // Writes the bitmap as a .bmp file; false on failure.
  bool save(const char* path) const;
  // True when every pixel inside rect equals the one at the same place in other.
  bool sameIn(const ScreenBitmap& other, const RECT& rect) const;

 private:
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ previous_ = nullptr;
  uint32_t* pixels_ = nullptr;
};

// What a text left inside a rectangle, judged against the colour it should have. Text may be
// smoothed, so a pixel between white and the colour (a tint) belongs to it as well.
struct Ink {
  int inked = 0;    // pixels that are not white
  int exact = 0;    // pixels of exactly the colour
  int foreign = 0;  // inked pixels that are no tint of the colour
  Rgb firstForeign{};
};

Ink inkIn(const ScreenBitmap& bitmap, const RECT& rect, Rgb colour);

// The bounding box of the inked pixels inside rect; empty when there are none.
RECT inkBounds(const ScreenBitmap& bitmap, const RECT& rect);

}  // namespace ddtest
