#include "platform/chartrender.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>

#include "base/text.h"
#include "platform/chartpaint.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUIN_CHART_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(QUIN_CHART_ASAN)
// Fontconfig's configuration and the font patterns that cairo's font cache holds live as long
// as the process; the leak checker of sanitized builds is told so.
// NOLINTNEXTLINE(bugprone-reserved-identifier): the name the sanitizer runtime looks for
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
#endif

namespace quin {

namespace {

// Fontconfig's configuration and cairo's font caches are built by the first drawing of the
// process, on one thread, before any drawings run side by side.
void PrepareFonts() {
  static std::once_flag Once;
  std::call_once(Once, [] {
    FcInit();
    TCanvas C(8, 8);
    C.SetFont(TChartFont{});
    C.TextWidth("0");
    TChartFont Bold;
    Bold.Bold = true;
    C.SetFont(Bold);
    C.TextWidth("0");
  });
}

void PaintBackground(TCanvas& C, const TChart& Chart) {
  const double W = C.Width(), H = C.Height();
  const TChartGradient& G = Chart.Gradient;
  if (G.Visible) {
    cairo_pattern_t* P;
    switch (G.Direction) {
      case TChartGradientDirection::BottomTop:
        P = cairo_pattern_create_linear(0, H, 0, 0);
        break;
      case TChartGradientDirection::LeftRight:
        P = cairo_pattern_create_linear(0, 0, W, 0);
        break;
      case TChartGradientDirection::RightLeft:
        P = cairo_pattern_create_linear(W, 0, 0, 0);
        break;
      default:
        P = cairo_pattern_create_linear(0, 0, 0, H);
    }
    for (const auto& [Offset, Color] : {std::pair{0.0, G.StartColor}, std::pair{1.0, G.EndColor}}) {
      const TColor RGB = ColorToRGB(Color);
      cairo_pattern_add_color_stop_rgb(P, Offset, ColorRed(RGB) / 255.0, ColorGreen(RGB) / 255.0,
                                       ColorBlue(RGB) / 255.0);
    }
    cairo_set_source(C.Cr(), P);
    cairo_paint(C.Cr());
    cairo_pattern_destroy(P);
  } else {
    C.FillRect({0, 0, W, H}, Chart.Color);
  }
}

// A bevel of Width pixels inside R: light on the top and left when raised, dark when lowered.
void PaintBevel(TCanvas& C, TChartBevel Bevel, TRectD& R, int Width) {
  if (Bevel == TChartBevel::None || Width <= 0) return;
  const TColor Light = clWhite, Dark = RGBToColor(0x80, 0x80, 0x80);
  const TColor TopLeft = Bevel == TChartBevel::Raised ? Light : Dark;
  const TColor BottomRight = Bevel == TChartBevel::Raised ? Dark : Light;
  for (int I = 0; I < Width; ++I) {
    C.FillRect({R.L, R.T, R.R, R.T + 1}, TopLeft);
    C.FillRect({R.L, R.T, R.L + 1, R.B}, TopLeft);
    C.FillRect({R.L, R.B - 1, R.R, R.B}, BottomRight);
    C.FillRect({R.R - 1, R.T, R.R, R.B}, BottomRight);
    R = {R.L + 1, R.T + 1, R.R - 1, R.B - 1};
  }
}

void PaintTitle(TCanvas& C, const TChartTitle& T, TRectD& Area) {
  if (!T.Visible || T.Text.empty()) return;
  C.SetFont(T.Font);
  std::vector<std::string> Lines;
  for (const std::string& L : T.Text) Lines.push_back(C.Ellipsize(Cp1250ToUtf8(L), Area.W()));
  while (!Lines.empty() && Lines.back().empty()) Lines.pop_back();
  if (Lines.empty()) return;
  const double H = C.LineHeight() * double(Lines.size());
  const THAlign Align = T.Alignment == TChartTextAlignment::Left    ? THAlign::Left
                        : T.Alignment == TChartTextAlignment::Right ? THAlign::Right
                                                                    : THAlign::Center;
  const double X = Align == THAlign::Left    ? Area.L
                   : Align == THAlign::Right ? Area.R
                                             : (Area.L + Area.R) / 2;
  if (!T.Transparent) {
    const double W = C.LinesWidth(Lines) + 8;
    const double L = Align == THAlign::Left ? X : Align == THAlign::Right ? X - W : X - W / 2;
    C.FillRect({L, Area.T, L + W, Area.T + H + 2}, T.Color);
    C.SetFont(T.Font);
  }
  C.TextLines(X, Area.T + 1, Lines, Align, TVAlign::Top);
  Area.T += H + 8;
}

// ----- Legend

struct TLegendEntry {
  std::string Text;
  TColor Color = clBlack;
  TChartSeriesKind Kind = TChartSeriesKind::Bar;
  const TChartSeries* Series = nullptr;
};

// More entries than any legend can show are only counted.
constexpr size_t kMaxLegendEntries = 200;

struct TLegendEntries {
  std::vector<TLegendEntry> Shown;
  size_t Unlisted = 0;
  bool ListsPoints = false;
  bool Full() const { return Shown.size() >= kMaxLegendEntries; }
};

std::string LegendPointText(const TChartSeries& S, int P, TLegendTextStyle Style, double Total,
                            const TFormatSettings& FS) {
  std::string Label = Cp1250ToUtf8(S.Points[size_t(P)].Label);
  std::string Value = MarkText(S, P, TMarksStyle::Value, Total, FS);
  std::string Percent = MarkText(S, P, TMarksStyle::Percent, Total, FS);
  switch (Style) {
    case TLegendTextStyle::Plain:
      return Label;
    case TLegendTextStyle::LeftValue:
      return Value + "  " + Label;
    case TLegendTextStyle::RightValue:
      return Label + "  " + Value;
    case TLegendTextStyle::LeftPercent:
      return Percent + "  " + Label;
    case TLegendTextStyle::RightPercent:
      return Label + "  " + Percent;
    case TLegendTextStyle::XValue:
      return std::to_string(P);
    case TLegendTextStyle::Value:
      return Value;
    case TLegendTextStyle::Percent:
      return Percent;
    case TLegendTextStyle::XAndValue:
      return std::to_string(P) + "  " + Value;
    case TLegendTextStyle::XAndPercent:
      return std::to_string(P) + "  " + Percent;
  }
  return Label;
}

// The entries: the series, or the points of the first series when the legend lists values
// (automatically with a single series, and for pies, whose slices carry the colours).
TLegendEntries LegendEntries(const TChart& Chart, const TFormatSettings& FS) {
  std::vector<int> Active;
  bool AllPies = true;
  for (size_t I = 0; I < Chart.Series.size(); ++I)
    if (Chart.Series[I].Active) {
      Active.push_back(int(I));
      AllPies = AllPies && Chart.Series[I].Kind == TChartSeriesKind::Pie;
    }
  TLegendEntries R;
  if (Active.empty()) return R;
  const TLegendStyle Style = Chart.Legend.LegendStyle;
  // Pies colour their slices, not the series, and each pie carries its title: their legend
  // names the slices whatever the style asks.
  R.ListsPoints = Style == TLegendStyle::Values ||
                  (Style == TLegendStyle::Auto && Active.size() == 1) ||
                  (AllPies && Style != TLegendStyle::LastValues);
  if (R.ListsPoints) {
    const int S = Active.front();
    const TChartSeries& Ser = Chart.Series[size_t(S)];
    const double Total = SeriesTotal(Ser);
    // Several pies share the categories, not the values: their legend names the slices that
    // some pie shows.
    const bool Pies = AllPies && Active.size() > 1;
    const TLegendTextStyle TextStyle = Pies ? TLegendTextStyle::Plain : Chart.Legend.TextStyle;
    auto Listed = [&](size_t P) {
      double V;
      if (!Pies)
        return PointValue(Ser.Points[P], V) && (Ser.Kind != TChartSeriesKind::Pie || V > 0);
      for (int K : Active) {
        const TChartSeries& Other = Chart.Series[size_t(K)];
        if (P < Other.Points.size() && PointValue(Other.Points[P], V) && V > 0) return true;
      }
      return false;
    };
    size_t Points = Ser.Points.size();
    if (Pies)
      for (int K : Active) Points = std::max(Points, Chart.Series[size_t(K)].Points.size());
    for (size_t P = 0; P < Points; ++P) {
      if (!Listed(P)) continue;
      // The label of the first pie that has the point.
      const TChartSeries* From = &Ser;
      for (int K : Active)
        if (P < Chart.Series[size_t(K)].Points.size()) {
          From = &Chart.Series[size_t(K)];
          break;
        }
      if (R.Full())
        ++R.Unlisted;
      else
        R.Shown.push_back({LegendPointText(*From, int(P), TextStyle, Total, FS),
                           Chart.PointColor(int(From - Chart.Series.data()), int(P)), Ser.Kind,
                           From});
    }
    return R;
  }
  for (int S : Active) {
    const TChartSeries& Ser = Chart.Series[size_t(S)];
    if (R.Full()) {
      ++R.Unlisted;
      continue;
    }
    std::string Text = SeriesTitleText(Chart, S);
    double V;
    if (Style == TLegendStyle::LastValues && !Ser.Points.empty() &&
        PointValue(Ser.Points.back(), V))
      Text.insert(0, ValueText(V, FS) + "  ");
    R.Shown.push_back({Text, Chart.SeriesColor(S), Ser.Kind, &Ser});
  }
  return R;
}

constexpr double kSymbolW = 16, kCheckW = 13, kPad = 6;

void PaintLegendSymbol(TCanvas& C, const TLegendEntry& E, double X, double Y) {
  const bool Lined = E.Kind == TChartSeriesKind::Line || E.Kind == TChartSeriesKind::Point;
  if (Lined && E.Series) {
    if (E.Kind == TChartSeriesKind::Line) {
      C.SetColor(E.Color);
      C.SetPen({.Width = 2});
      C.Line(X, Y, X + kSymbolW, Y);
    }
    if (E.Series->HasPointer())
      DrawPointer(C, E.Series->Pointer.Style, X + kSymbolW / 2, Y, 3.5, 3.5, E.Color,
                  ShadeColor(E.Color, 0.6));
    return;
  }
  const TRectD Box{X + 2, Y - 4.5, X + kSymbolW - 2, Y + 4.5};
  C.FillRect(Box, E.Color);
  C.StrokeRect(Box, ShadeColor(E.Color, 0.72), 1);
}

void PaintCheckBox(TCanvas& C, double X, double Y) {
  const TRectD Box{std::round(X), std::round(Y - 5), std::round(X) + 10, std::round(Y - 5) + 10};
  C.FillRect(Box, clWhite);
  C.StrokeRect(Box, RGBToColor(0x70, 0x70, 0x70), 1);
  C.SetColor(RGBToColor(0x20, 0x20, 0x20));
  cairo_set_line_width(C.Cr(), 1.6);
  cairo_set_dash(C.Cr(), nullptr, 0, 0);
  cairo_move_to(C.Cr(), Box.L + 2.2, Box.T + 5.2);
  cairo_line_to(C.Cr(), Box.L + 4.3, Box.T + 7.5);
  cairo_line_to(C.Cr(), Box.L + 8, Box.T + 2.5);
  cairo_stroke(C.Cr());
}

// Lays the legend out on its side of Area, draws it, and takes its room from Area.
void PaintLegend(TCanvas& C, const TChart& Chart, TLegendEntries All, TRectD& Area) {
  const TChartLegend& L = Chart.Legend;
  std::vector<TLegendEntry>& Entries = All.Shown;
  if (!L.Visible || Entries.empty() || Area.W() < 40 || Area.H() < 20) return;
  C.SetFont(L.Font);
  const double RowH = std::max(C.LineHeight(), 12.0) + 3;
  const double Lead = (L.CheckBoxes ? kCheckW : 0) + kSymbolW + 5;
  const bool Vertical =
      L.Alignment == TLegendAlignment::Left || L.Alignment == TLegendAlignment::Right;
  const double MaxText = (Vertical ? Area.W() * 0.28 : Area.W() * 0.4) - Lead - 2 * kPad;
  // No more entries are measured than the space could ever hold.
  const double Narrowest = Lead + 20 + kPad;
  const size_t Room = Vertical ? size_t(std::max(1.0, (Area.H() - 2 * kPad) / RowH)) *
                                     size_t(std::max(1.0, Area.W() * 0.45 / Narrowest))
                               : 3 * size_t(std::max(1.0, (Area.W() - 2 * kPad) / Narrowest));
  if (Entries.size() > Room) {
    All.Unlisted += Entries.size() - Room;
    Entries.resize(Room);
  }
  double TextW = 0;
  for (TLegendEntry& E : Entries) {
    E.Text = C.Ellipsize(E.Text, std::max(MaxText, 20.0));
    TextW = std::max(TextW, C.TextWidth(E.Text));
  }
  const double ColW = Lead + TextW + (Vertical ? 0 : 14);
  int Cols, Rows;
  if (Vertical) {
    Rows = std::max(1, int((Area.H() - 2 * kPad) / RowH));
    Cols = std::clamp(int((Entries.size() + size_t(Rows) - 1) / size_t(Rows)), 1,
                      std::max(1, int(Area.W() * 0.45 / (ColW + kPad))));
  } else {
    Cols = std::clamp(int((Area.W() - 2 * kPad) / (ColW + kPad)), 1, int(Entries.size()));
    Rows = std::min(3, int((Entries.size() + size_t(Cols) - 1) / size_t(Cols)));
  }
  Rows = std::min(Rows, int((Entries.size() + size_t(Cols) - 1) / size_t(Cols)));
  const size_t Capacity = size_t(Rows) * size_t(Cols);
  if (Entries.size() + All.Unlisted > Capacity) {  // the last place tells how many more
    const size_t More = Entries.size() + All.Unlisted - Capacity + 1;
    Entries.resize(Capacity);
    Entries.back() = {.Text = "\xE2\x80\xA6 (+" + std::to_string(More) + ")", .Color = clNone};
  }
  const double BoxW = Cols * ColW + (Cols - 1) * kPad + 2 * kPad;
  const double BoxH = Rows * RowH + 2 * kPad - 3;
  TRectD Box;
  switch (L.Alignment) {
    case TLegendAlignment::Left:
      Box = {Area.L, Area.T, Area.L + BoxW, Area.T + BoxH};
      Area.L += BoxW + 12;
      break;
    case TLegendAlignment::Right:
      Box = {Area.R - BoxW, Area.T, Area.R, Area.T + BoxH};
      Area.R -= BoxW + 12;
      break;
    case TLegendAlignment::Top:
      Box = {(Area.L + Area.R - BoxW) / 2, Area.T, (Area.L + Area.R + BoxW) / 2, Area.T + BoxH};
      Area.T += BoxH + 10;
      break;
    case TLegendAlignment::Bottom:
      Box = {(Area.L + Area.R - BoxW) / 2, Area.B - BoxH, (Area.L + Area.R + BoxW) / 2, Area.B};
      Area.B -= BoxH + 10;
      break;
  }
  Box = {std::round(Box.L), std::round(Box.T), std::round(Box.R), std::round(Box.B)};
  if (!L.Transparent) {
    if (L.ShadowSize > 0) {
      const double S = std::min(L.ShadowSize, 6);
      C.FillRect({Box.L + S, Box.T + S, Box.R + S, Box.B + S}, clBlack, 0.18);
    }
    C.FillRect(Box, L.Color);
  }
  if (L.Frame.Visible && L.Frame.Style != TChartPenStyle::Clear)
    C.StrokeRect(Box, PenColor(L.Frame, clGray), 1);
  for (size_t I = 0; I < Entries.size(); ++I) {
    const TLegendEntry& E = Entries[I];
    // Vertical legends fill columns first, horizontal ones rows.
    const size_t Col = Vertical ? I / size_t(Rows) : I % size_t(Cols);
    const size_t Row = Vertical ? I % size_t(Rows) : I / size_t(Cols);
    double X = Box.L + kPad + double(Col) * (ColW + kPad);
    const double Y = Box.T + kPad + double(Row) * RowH + (RowH - 3) / 2;
    if (E.Color != clNone) {
      if (L.CheckBoxes) {
        PaintCheckBox(C, X, Y);
        X += kCheckW;
      }
      PaintLegendSymbol(C, E, X, Y);
    } else if (L.CheckBoxes) {
      X += kCheckW;
    }
    TChartFont F = L.Font;
    if (L.FontSeriesColor && E.Color != clNone) F.Color = E.Color;
    C.SetFont(F);
    C.Text(X + kSymbolW + 5, Y, E.Text, THAlign::Left, TVAlign::Middle);
  }
}

}  // namespace

TBitmap DrawChart(const TChart& Chart, int Width, int Height, const TChartDrawOptions& Options) {
  if (!ValidBitmapSize(Width, Height))
    throw EChartError("Chart picture size out of range: " + std::to_string(Width) + " x " +
                      std::to_string(Height));
  PrepareFonts();
  TCanvas C(Width, Height);
  PaintBackground(C, Chart);
  TRectD Area{0, 0, double(Width), double(Height)};
  PaintBevel(C, Chart.BevelOuter, Area, Chart.BevelWidth);
  PaintBevel(C, Chart.BevelInner, Area, Chart.BevelWidth);
  const TChartMargins& M = Chart.Margins;
  Area = {Area.L + Width * std::clamp(M.Left, 0, 45) / 100.0,
          Area.T + Height * std::clamp(M.Top, 0, 45) / 100.0,
          Area.R - Width * std::clamp(M.Right, 0, 45) / 100.0,
          Area.B - Height * std::clamp(M.Bottom, 0, 45) / 100.0};
  PaintTitle(C, Chart.Title, Area);
  const TFormatSettings& FS = Options.Numbers;
  if (Chart.ActiveSeriesCount() == 0) return C.ToBitmap();
  TLegendEntries Entries = LegendEntries(Chart, FS);
  const bool ListsPoints = Entries.ListsPoints;
  PaintLegend(C, Chart, std::move(Entries), Area);
  bool AllPies = true;
  for (const TChartSeries& S : Chart.Series)
    if (S.Active) AllPies = AllPies && S.Kind == TChartSeriesKind::Pie;
  if (AllPies)
    DrawPies(C, Chart, Area, FS, !(Chart.Legend.Visible && ListsPoints));
  else
    DrawCartesian(C, Chart, Area, FS);
  return C.ToBitmap();
}

std::string EncodePng(const TBitmap& Bitmap) {
  if (!ValidBitmapSize(Bitmap.Width, Bitmap.Height) ||
      Bitmap.Rgb.size() != size_t(Bitmap.Width) * size_t(Bitmap.Height) * 3)
    throw EChartError("PNG: the picture's size is out of range");
  cairo_surface_t* S = cairo_image_surface_create(CAIRO_FORMAT_RGB24, Bitmap.Width, Bitmap.Height);
  unsigned char* Data = cairo_image_surface_get_data(S);
  const int Stride = cairo_image_surface_get_stride(S);
  const uint8_t* In = Bitmap.Rgb.data();
  for (int Y = 0; Y < Bitmap.Height; ++Y)
    for (int X = 0; X < Bitmap.Width; ++X, In += 3) {
      const uint32_t P = (uint32_t(In[0]) << 16) | (uint32_t(In[1]) << 8) | In[2];
      std::memcpy(Data + size_t(Y) * size_t(Stride) + size_t(X) * 4, &P, 4);
    }
  cairo_surface_mark_dirty(S);
  std::string Out;
  cairo_surface_write_to_png_stream(
      S,
      [](void* Closure, const unsigned char* D, unsigned int Len) {
        static_cast<std::string*>(Closure)->append(reinterpret_cast<const char*>(D), Len);
        return CAIRO_STATUS_SUCCESS;
      },
      &Out);
  cairo_surface_destroy(S);
  return Out;
}

}  // namespace quin
