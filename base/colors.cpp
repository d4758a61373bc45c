#include "base/colors.h"

#include <iterator>

#include "base/text.h"

namespace quin {

namespace {

struct TColorIdent {
  const char* Ident;
  TColor Color;
};

// Named colours first, then the system colours by index; later rows only add spellings.
constexpr TColorIdent kColorIdents[] = {
    {"clBlack", clBlack},
    {"clMaroon", clMaroon},
    {"clGreen", clGreen},
    {"clOlive", clOlive},
    {"clNavy", clNavy},
    {"clPurple", clPurple},
    {"clTeal", clTeal},
    {"clGray", clGray},
    {"clSilver", clSilver},
    {"clRed", clRed},
    {"clLime", clLime},
    {"clYellow", clYellow},
    {"clBlue", clBlue},
    {"clFuchsia", clFuchsia},
    {"clAqua", clAqua},
    {"clWhite", clWhite},
    {"clMoneyGreen", clMoneyGreen},
    {"clSkyBlue", clSkyBlue},
    {"clCream", clCream},
    {"clMedGray", clMedGray},
    {"clNone", clNone},
    {"clDefault", clDefault},
    {"clScrollBar", TColor(0x80000000)},
    {"clBackground", TColor(0x80000001)},
    {"clActiveCaption", TColor(0x80000002)},
    {"clInactiveCaption", TColor(0x80000003)},
    {"clMenu", TColor(0x80000004)},
    {"clWindow", TColor(0x80000005)},
    {"clWindowFrame", TColor(0x80000006)},
    {"clMenuText", TColor(0x80000007)},
    {"clWindowText", TColor(0x80000008)},
    {"clCaptionText", TColor(0x80000009)},
    {"clActiveBorder", TColor(0x8000000A)},
    {"clInactiveBorder", TColor(0x8000000B)},
    {"clAppWorkSpace", TColor(0x8000000C)},
    {"clHighlight", TColor(0x8000000D)},
    {"clHighlightText", TColor(0x8000000E)},
    {"clBtnFace", TColor(0x8000000F)},
    {"clBtnShadow", TColor(0x80000010)},
    {"clGrayText", TColor(0x80000011)},
    {"clBtnText", TColor(0x80000012)},
    {"clInactiveCaptionText", TColor(0x80000013)},
    {"clBtnHighlight", TColor(0x80000014)},
    {"cl3DDkShadow", TColor(0x80000015)},
    {"cl3DLight", TColor(0x80000016)},
    {"clInfoText", TColor(0x80000017)},
    {"clInfoBk", TColor(0x80000018)},
    {"clHotLight", TColor(0x8000001A)},
    {"clGradientActiveCaption", TColor(0x8000001B)},
    {"clGradientInactiveCaption", TColor(0x8000001C)},
    {"clMenuHighlight", TColor(0x8000001D)},
    {"clMenuBar", TColor(0x8000001E)},
    // Other spellings of the same values.
    {"clGrey", clGray},
    {"clDkGray", clGray},
    {"clLtGray", clSilver},
    {"clMedGrey", clMedGray},
    {"clTeeColor", clDefault},
};

}  // namespace

TColor ColorToRGB(TColor Color) {
  if (Color == clNone || Color == clDefault) return clWhite;
  if (Color >= 0) return Color;
  // The usual desktop defaults of the system colours.
  static const TColor System[] = {
      0xC8D0D4, 0x6D4D3A, 0x6A240A, 0x808080, 0xC8D0D4, 0xFFFFFF, 0x000000, 0x000000,
      0x000000, 0xFFFFFF, 0xC8D0D4, 0xC8D0D4, 0x808080, 0x6A240A, 0xFFFFFF, 0xC8D0D4,
      0x808080, 0x808080, 0x000000, 0xC8D0D4, 0xFFFFFF, 0x404040, 0xC8D0D4, 0x000000,
      0xE1FFFF, 0xB5B5B5, 0xCC6600, 0xF0CAA6, 0xF0E0C0, 0xFF9933, 0xF0F0F0};
  const int Index = Color & 0xFF;
  if (Index < int(std::size(System))) return System[Index];
  return 0;
}

std::string ColorToIdent(TColor Color) {
  for (const TColorIdent& C : kColorIdents)
    if (C.Color == Color) return C.Ident;
  return {};
}

bool IdentToColor(std::string_view Ident, TColor& Color) {
  for (const TColorIdent& C : kColorIdents)
    if (SameText(C.Ident, Ident)) {
      Color = C.Color;
      return true;
    }
  return false;
}

}  // namespace quin
