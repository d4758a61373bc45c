// A picture in memory: 8-bit red, green and blue per pixel, rows from the top. What the chart
// renderer draws and the JPEG encoder writes.
#pragma once

#include <cstdint>
#include <vector>

#include "base/colors.h"

namespace quin {

// The largest picture drawn or encoded: sides and pixel count.
constexpr int kBitmapMaxSide = 10000;
constexpr long long kBitmapMaxPixels = 25'000'000;

struct TBitmap {
  int Width = 0;
  int Height = 0;
  std::vector<std::uint8_t> Rgb;  // Width * Height * 3 bytes

  // The colour of a pixel inside the picture.
  TColor Pixel(int X, int Y) const {
    const std::uint8_t* P = &Rgb[(size_t(Y) * size_t(Width) + size_t(X)) * 3];
    return RGBToColor(P[0], P[1], P[2]);
  }
};

// True for sizes the renderer and encoder accept: 1 to kBitmapMaxSide each way and at most
// kBitmapMaxPixels in all.
inline bool ValidBitmapSize(int Width, int Height) {
  return Width >= 1 && Height >= 1 && Width <= kBitmapMaxSide && Height <= kBitmapMaxSide &&
         (long long)Width * Height <= kBitmapMaxPixels;
}

}  // namespace quin
