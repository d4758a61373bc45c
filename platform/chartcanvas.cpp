// The drawing surface of the chart renderer: an RGB image surface of cairo with its own
// context, text through cairo's font selection (fontconfig finds the installed faces).
#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

#include "base/text.h"
#include "platform/chartpaint.h"

namespace quin {

namespace {

constexpr double kPi = 3.14159265358979323846;

// The installed families that stand in for the names stored with charts: a sans face for
// everything but serif and fixed-pitch names.
const char* FamilyOf(std::string_view Name) {
  const std::string L = LowerCase(Name);
  if (L.find("courier") != std::string::npos || L.find("mono") != std::string::npos ||
      L.find("consol") != std::string::npos)
    return "Liberation Mono";
  if (L.find("times") != std::string::npos || L.find("serif") != std::string::npos ||
      L.find("georgia") != std::string::npos || L.find("garamond") != std::string::npos)
    return L.find("sans") != std::string::npos ? "Liberation Sans" : "Liberation Serif";
  return "Liberation Sans";
}

bool IsContinuation(char C) { return (static_cast<unsigned char>(C) & 0xC0) == 0x80; }

}  // namespace

TCanvas::TCanvas(int Width, int Height)
    : FWidth(Width),
      FHeight(Height),
      FSurface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, Width, Height)),
      FCr(cairo_create(FSurface)) {
  cairo_font_options_t* O = cairo_font_options_create();
  cairo_font_options_set_antialias(O, CAIRO_ANTIALIAS_GRAY);
  cairo_font_options_set_hint_style(O, CAIRO_HINT_STYLE_SLIGHT);
  cairo_font_options_set_hint_metrics(O, CAIRO_HINT_METRICS_OFF);
  cairo_set_font_options(FCr, O);
  cairo_font_options_destroy(O);
  cairo_set_line_join(FCr, CAIRO_LINE_JOIN_ROUND);
}

TCanvas::~TCanvas() {
  cairo_destroy(FCr);
  cairo_surface_destroy(FSurface);
}

void TCanvas::SetColor(TColor C, double Alpha) {
  const TColor RGB = ColorToRGB(C);
  cairo_set_source_rgba(FCr, ColorRed(RGB) / 255.0, ColorGreen(RGB) / 255.0, ColorBlue(RGB) / 255.0,
                        Alpha);
}

void TCanvas::FillRect(const TRectD& R, TColor C, double Alpha) {
  SetColor(C, Alpha);
  cairo_rectangle(FCr, R.L, R.T, R.W(), R.H());
  cairo_fill(FCr);
}

void TCanvas::SetPen(const TChartPen& Pen, double WidthScale) {
  const double W = std::max(1, Pen.Width) * WidthScale;
  cairo_set_line_width(FCr, W);
  static const double Dash[] = {4, 2}, Dot[] = {1, 2}, DashDot[] = {4, 2, 1, 2},
                      DashDotDot[] = {4, 2, 1, 2, 1, 2};
  auto Set = [&](const double* D, int N) {
    double Scaled[6];
    for (int I = 0; I < N; ++I) Scaled[I] = D[I] * W;
    cairo_set_dash(FCr, Scaled, N, 0);
  };
  switch (Pen.Style) {
    case TChartPenStyle::Dash:
      Set(Dash, 2);
      break;
    case TChartPenStyle::Dot:
      Set(Dot, 2);
      break;
    case TChartPenStyle::DashDot:
      Set(DashDot, 4);
      break;
    case TChartPenStyle::DashDotDot:
      Set(DashDotDot, 6);
      break;
    default:
      cairo_set_dash(FCr, nullptr, 0, 0);
  }
}

void TCanvas::FillBrush(TChartBrushStyle Style, TColor Color) {
  if (Style == TChartBrushStyle::Clear) return;
  if (Style == TChartBrushStyle::Solid) {
    SetColor(Color);
    cairo_fill_preserve(FCr);
    return;
  }
  // A hatch of 8 x 8 pixels, repeated: the lines in the colour over white.
  cairo_surface_t* Tile = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 8, 8);
  cairo_t* T = cairo_create(Tile);
  cairo_set_source_rgb(T, 1, 1, 1);
  cairo_paint(T);
  const TColor RGB = ColorToRGB(Color);
  cairo_set_source_rgb(T, ColorRed(RGB) / 255.0, ColorGreen(RGB) / 255.0, ColorBlue(RGB) / 255.0);
  cairo_set_line_width(T, 1.5);
  const bool Horiz = Style == TChartBrushStyle::Horizontal || Style == TChartBrushStyle::Cross;
  const bool Vert = Style == TChartBrushStyle::Vertical || Style == TChartBrushStyle::Cross;
  const bool FDiag = Style == TChartBrushStyle::FDiagonal || Style == TChartBrushStyle::DiagCross;
  const bool BDiag = Style == TChartBrushStyle::BDiagonal || Style == TChartBrushStyle::DiagCross;
  auto Stroke = [T](double X1, double Y1, double X2, double Y2) {
    cairo_move_to(T, X1, Y1);
    cairo_line_to(T, X2, Y2);
  };
  if (Horiz) Stroke(0, 4, 8, 4);
  if (Vert) Stroke(4, 0, 4, 8);
  if (FDiag) Stroke(-1, 9, 9, -1);
  if (BDiag) Stroke(-1, -1, 9, 9);
  cairo_stroke(T);
  cairo_destroy(T);
  cairo_pattern_t* P = cairo_pattern_create_for_surface(Tile);
  cairo_pattern_set_extend(P, CAIRO_EXTEND_REPEAT);
  cairo_set_source(FCr, P);
  cairo_fill_preserve(FCr);
  cairo_pattern_destroy(P);
  cairo_surface_destroy(Tile);
}

void TCanvas::StrokeRect(const TRectD& R, TColor C, double Width) {
  SetColor(C);
  cairo_set_line_width(FCr, Width);
  cairo_set_dash(FCr, nullptr, 0, 0);
  const double H = std::fmod(Width, 2) == 1 ? 0.5 : 0;  // odd widths on pixel centres
  cairo_rectangle(FCr, std::round(R.L) + H, std::round(R.T) + H, std::round(R.W()),
                  std::round(R.H()));
  cairo_stroke(FCr);
}

void TCanvas::Line(double X1, double Y1, double X2, double Y2) {
  cairo_move_to(FCr, X1, Y1);
  cairo_line_to(FCr, X2, Y2);
  cairo_stroke(FCr);
}

void TCanvas::SetFont(const TChartFont& Font) {
  cairo_select_font_face(FCr, FamilyOf(Font.Name),
                         Font.Italic ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL,
                         Font.Bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(FCr, std::clamp(Font.Size, 4, 72) * 96.0 / 72.0);
  cairo_font_extents_t E;
  cairo_font_extents(FCr, &E);
  FAscent = E.ascent;
  FLineHeight = E.ascent + E.descent;
  SetColor(Font.Color);
}

double TCanvas::TextWidth(std::string_view Text) {
  if (Text.empty()) return 0;
  const std::string S(Text);
  cairo_text_extents_t E;
  cairo_text_extents(FCr, S.c_str(), &E);
  return E.x_advance;
}

void TCanvas::Text(double X, double Y, std::string_view Text, THAlign H, TVAlign V, double Angle) {
  if (Text.empty()) return;
  const double W = TextWidth(Text);
  const double DX = H == THAlign::Left ? 0 : H == THAlign::Center ? -W / 2 : -W;
  const double DY = V == TVAlign::Top      ? FAscent
                    : V == TVAlign::Middle ? FAscent - FLineHeight / 2
                                           : FAscent - FLineHeight;
  cairo_save(FCr);
  cairo_translate(FCr, X, Y);
  cairo_rotate(FCr, -Angle * kPi / 180);
  cairo_move_to(FCr, DX, DY);
  const std::string S(Text);
  cairo_show_text(FCr, S.c_str());
  cairo_restore(FCr);
}

void TCanvas::TextLines(double X, double Y, const std::vector<std::string>& Lines, THAlign H,
                        TVAlign V, double Angle) {
  const double Total = FLineHeight * double(Lines.size());
  // The block's top edge (in the text's own direction) from the requested alignment.
  double Off = V == TVAlign::Top ? 0 : V == TVAlign::Middle ? -Total / 2 : -Total;
  const double Rad = Angle * kPi / 180;
  for (const std::string& L : Lines) {
    // Moving "down" in the text's frame is (sin, cos) of the angle on the page.
    Text(X + std::sin(Rad) * Off, Y + std::cos(Rad) * Off, L, H, TVAlign::Top, Angle);
    Off += FLineHeight;
  }
}

double TCanvas::LinesWidth(const std::vector<std::string>& Lines) {
  double W = 0;
  for (const std::string& L : Lines) W = std::max(W, TextWidth(L));
  return W;
}

std::string TCanvas::Ellipsize(std::string_view Text, double MaxWidth) {
  const double Full = TextWidth(Text);
  if (Full <= MaxWidth) return std::string(Text);
  static const std::string Dots = "\xE2\x80\xA6";  // U+2026
  if (TextWidth(Dots) > MaxWidth) return {};
  // The longest prefix ending on a character boundary that fits with the ellipsis.
  std::vector<size_t> Ends;
  for (size_t I = 1; I <= Text.size(); ++I)
    if (I == Text.size() || !IsContinuation(Text[I])) Ends.push_back(I);
  auto Prefix = [&](int K) {
    std::string P(Text.substr(0, K < 0 ? 0 : Ends[size_t(K)]));
    while (!P.empty() && P.back() == ' ') P.pop_back();
    return P;
  };
  int Lo = -1, Hi = int(Ends.size()) - 1;
  // Search below a generous guess from the average width of a character, when the guess is
  // confirmed too long.
  const int Guess = int(double(Ends.size()) * MaxWidth / Full * 1.5) + 2;
  if (Guess < Hi && TextWidth(Prefix(Guess) + Dots) > MaxWidth) Hi = Guess - 1;
  while (Lo < Hi) {
    const int Mid = (Lo + Hi + 1) / 2;
    if (TextWidth(Prefix(Mid) + Dots) <= MaxWidth)
      Lo = Mid;
    else
      Hi = Mid - 1;
  }
  return Prefix(Lo) + Dots;
}

std::vector<std::string> TCanvas::Wrap(std::string_view Text, double MaxWidth, int MaxLines) {
  std::vector<std::string> Lines;
  std::string Para;
  auto FlushPara = [&] {
    std::string Cur;
    size_t I = 0;
    while (I <= Para.size()) {
      const size_t J = std::min(Para.find(' ', I), Para.size());
      const std::string Word = Para.substr(I, J - I);
      I = J + 1;
      if (Word.empty()) continue;
      if (Cur.empty())
        Cur = Word;
      else if (TextWidth((Cur + " ").append(Word)) <= MaxWidth)
        Cur += " " + Word;
      else
        Lines.push_back(std::exchange(Cur, Word));
    }
    Lines.push_back(Cur);
    Para.clear();
  };
  for (size_t I = 0; I < Text.size(); ++I) {
    const char Ch = Text[I];
    if (Ch == '\r' || Ch == '\n') {
      if (Ch == '\r' && I + 1 < Text.size() && Text[I + 1] == '\n') ++I;
      FlushPara();
    } else {
      Para += Ch;
    }
  }
  FlushPara();
  MaxLines = std::max(1, MaxLines);
  if (int(Lines.size()) > MaxLines) {
    std::string Rest;
    for (size_t I = size_t(MaxLines) - 1; I < Lines.size(); ++I)
      Rest += (Rest.empty() ? "" : " ") + Lines[I];
    Lines.resize(size_t(MaxLines));
    Lines.back() = Rest + "\xE2\x80\xA6";
  }
  for (std::string& L : Lines) L = Ellipsize(L, MaxWidth);
  return Lines;
}

TBitmap TCanvas::ToBitmap() const {
  cairo_surface_flush(FSurface);
  TBitmap B;
  B.Width = FWidth;
  B.Height = FHeight;
  B.Rgb.resize(size_t(FWidth) * size_t(FHeight) * 3);
  const unsigned char* Data = cairo_image_surface_get_data(FSurface);
  const int Stride = cairo_image_surface_get_stride(FSurface);
  uint8_t* Out = B.Rgb.data();
  for (int Y = 0; Y < FHeight; ++Y) {
    const unsigned char* Row = Data + size_t(Y) * size_t(Stride);
    for (int X = 0; X < FWidth; ++X) {
      uint32_t P;
      std::memcpy(&P, Row + size_t(X) * 4, 4);
      *Out++ = uint8_t(P >> 16);
      *Out++ = uint8_t(P >> 8);
      *Out++ = uint8_t(P);
    }
  }
  return B;
}

TColor ShadeColor(TColor C, double Factor) {
  const TColor RGB = ColorToRGB(C);
  auto Ch = [&](int V) {
    const double R = Factor <= 1 ? V * Factor : V + (255 - V) * (Factor - 1);
    return int(std::clamp(R, 0.0, 255.0));
  };
  return RGBToColor(Ch(ColorRed(RGB)), Ch(ColorGreen(RGB)), Ch(ColorBlue(RGB)));
}

TColor PenColor(const TChartPen& Pen, TColor Fallback) {
  return Pen.Color == clDefault ? Fallback : Pen.Color;
}

}  // namespace quin
