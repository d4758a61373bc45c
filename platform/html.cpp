#include "platform/html.h"

#include "base/format.h"
#include "platform/charset.h"

namespace quin {

namespace {
const char Hex[] = "0123456789ABCDEF";

int HexValue(char C) {
  if (C >= '0' && C <= '9') return C - '0';
  if (C >= 'a' && C <= 'f') return C - 'a' + 10;
  if (C >= 'A' && C <= 'F') return C - 'A' + 10;
  return -1;
}
}  // namespace

std::string JsEscape(std::string_view Text) {
  std::string R;
  R.reserve(Text.size() + 16);
  for (char C : Text) {
    unsigned char B = static_cast<unsigned char>(C);
    switch (C) {
      case '\\':
        R += "\\\\";
        break;
      case '\n':
        R += "\\n";
        break;
      case '\r':
        R += "\\r";
        break;
      case '\t':
        R += "\\t";
        break;
      case '\'':
      case '"':
      case '<':
      case '>':
      case '&':
        R += "\\x";
        R += Hex[B >> 4];
        R += Hex[B & 0xF];
        break;
      default:
        if (B < 0x20 || B == 0x7F) {
          R += "\\x";
          R += Hex[B >> 4];
          R += Hex[B & 0xF];
        } else {
          R += C;
        }
    }
  }
  return ToPageText(R, true);
}

std::string UrlEncode(std::string_view Text) {
  std::string R;
  for (char C : Text) {
    unsigned char B = static_cast<unsigned char>(C);
    if ((C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || (C >= '0' && C <= '9') || C == '-' ||
        C == '_' || C == '.' || C == '~') {
      R += C;
    } else {
      R += '%';
      R += Hex[B >> 4];
      R += Hex[B & 0xF];
    }
  }
  return R;
}

std::string UrlDecode(std::string_view Text, bool PlusIsBlank) {
  std::string R;
  R.reserve(Text.size());
  for (size_t I = 0; I < Text.size(); ++I) {
    char C = Text[I];
    if (C == '%' && I + 2 < Text.size()) {
      int H = HexValue(Text[I + 1]), L = HexValue(Text[I + 2]);
      if (H >= 0 && L >= 0) {
        R += static_cast<char>(H * 16 + L);
        I += 2;
        continue;
      }
    }
    R += (C == '+' && PlusIsBlank) ? ' ' : C;
  }
  return R;
}

// ---- Colours, spans, alignment and style tags

std::string FormatHtmlColor(TColor Color) {
  TColor C = ColorToRGB(Color);
  int R = C & 0xFF, G = (C >> 8) & 0xFF, B = (C >> 16) & 0xFF;
  std::string S = "#";
  for (int V : {R, G, B}) {
    S += Hex[V >> 4];
    S += Hex[V & 15];
  }
  return S;
}

std::string FormatHtmlBgColor(TColor Color) { return " bgcolor=" + FormatHtmlColor(Color); }

std::string FormatHtmlColSpan(int N) {
  return N > 1 ? " colspan = \"" + IntToStr(N) + "\"" : std::string();
}

std::string FormatHtmlRowSpan(int N) {
  return N > 1 ? " rowspan = \"" + IntToStr(N) + "\"" : std::string();
}

std::string FormatHtmlAlign(int Align) {
  switch (Align) {
    case 0:
      return " align = \"left\"";
    case 1:
      return " align = \"right\"";
    case 2:
      return " align = \"center\"";
    default:
      return {};
  }
}

std::string FormatHtmlOpenStyleTags(int Bits) {
  std::string S;
  if (Bits & 1) S += "<b>";
  if (Bits & 2) S += "<i>";
  if (Bits & 4) S += "<u>";
  return S;
}

std::string FormatHtmlCloseStyleTags(int Bits) {
  std::string S;
  if (Bits & 1) S += "</b>";
  if (Bits & 2) S += "</i>";
  if (Bits & 4) S += "</u>";
  return S;
}

}  // namespace quin
