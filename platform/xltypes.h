// Values shared by the workbook's cells and charts: colours and line styles. The enumerations
// keep the numbers of the spreadsheet's own enumerations, which the export passes on.
#pragma once

#include <compare>
#include <cstdint>

namespace quin {

struct TXlColor {
  std::uint8_t R = 0, G = 0, B = 0;
  // From 0xRRGGBB.
  static constexpr TXlColor FromRgb(std::uint32_t V) {
    return {std::uint8_t(V >> 16), std::uint8_t(V >> 8), std::uint8_t(V)};
  }
  // From the platform's colour value 0x00BBGGRR (a colour already resolved to RGB).
  static constexpr TXlColor FromBgr(std::uint32_t V) {
    return {std::uint8_t(V), std::uint8_t(V >> 8), std::uint8_t(V >> 16)};
  }
  constexpr std::uint32_t Rgb() const { return (std::uint32_t(R) << 16) | (G << 8) | B; }
  auto operator<=>(const TXlColor&) const = default;
};

enum class TXlLineStyle : int {
  Continuous = 1,
  Dash = -4115,
  Dot = -4118,
  DashDot = 4,
  DashDotDot = 5,
  Double = -4119,
  SlantDashDot = 13,
  None = -4142,
};

enum class TXlBorderWeight : int {
  Hairline = 1,
  Thin = 2,
  Medium = -4138,
  Thick = 4,
};

}  // namespace quin
