// Colours as the program and its stored texts hold them: TColor is 0x00BBGGRR; values with the
// top bit set (0x80000000 | index) name system colours of the desktop; a few special values
// stand for "no colour" and "the default colour".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quin {

using TColor = std::int32_t;

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clMoneyGreen = 0xC0DCC0;
constexpr TColor clSkyBlue = 0xF0CAA6;
constexpr TColor clCream = 0xF0FBFF;
constexpr TColor clMedGray = 0xA4A0A0;
// No colour at all (a transparent brush or an invisible line).
constexpr TColor clNone = 0x1FFFFFFF;
// The colour its owner chooses (a chart series: the palette colour of its position).
constexpr TColor clDefault = 0x20000000;

// System colours (the index is the low byte).
constexpr TColor clScrollBar = TColor(0x80000000);
constexpr TColor clBackground = TColor(0x80000001);
constexpr TColor clWindow = TColor(0x80000005);
constexpr TColor clWindowText = TColor(0x80000008);
constexpr TColor clBtnFace = TColor(0x8000000F);
constexpr TColor clInfoBk = TColor(0x80000018);

constexpr TColor RGBToColor(int R, int G, int B) {
  return TColor((R & 0xFF) | ((G & 0xFF) << 8) | ((B & 0xFF) << 16));
}
constexpr int ColorRed(TColor C) { return C & 0xFF; }
constexpr int ColorGreen(TColor C) { return (C >> 8) & 0xFF; }
constexpr int ColorBlue(TColor C) { return (C >> 16) & 0xFF; }

// A system colour resolved to the usual desktop default of its index (black for an index
// beyond the table); clNone and clDefault give white; any other colour unchanged.
TColor ColorToRGB(TColor Color);

// The identifier of a colour constant ("clRed", "clBtnFace"); empty when the value has none.
std::string ColorToIdent(TColor Color);
// The colour of an identifier (case ignored); false when it names no colour constant.
bool IdentToColor(std::string_view Ident, TColor& Color);

}  // namespace quin
