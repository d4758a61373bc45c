// Marks (the boxes with a point's text) and the pointers of line and point series.
#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <utility>

#include "platform/chartpaint.h"

namespace quin {

bool DrawMarkBox(TCanvas& C, const TChartMarks& Marks, const std::string& Text, double X, double Y,
                 TMarkSide Side, std::vector<TRectD>& Placed, const TRectD& Bounds) {
  if (Text.empty()) return false;
  C.SetFont(Marks.Font);
  const double W = C.TextWidth(Text) + 6, H = C.LineHeight() + 2;
  const double Gap = 3 + std::min(Marks.ArrowLength, 8) / 2.0;
  TRectD Box;
  switch (Side) {
    case TMarkSide::Above:
      Box = {X - W / 2, Y - Gap - H, X + W / 2, Y - Gap};
      break;
    case TMarkSide::Below:
      Box = {X - W / 2, Y + Gap, X + W / 2, Y + Gap + H};
      break;
    case TMarkSide::Right:
      Box = {X + Gap, Y - H / 2, X + Gap + W, Y + H / 2};
      break;
    case TMarkSide::Left:
      Box = {X - Gap - W, Y - H / 2, X - Gap, Y + H / 2};
      break;
    case TMarkSide::Center:
      Box = {X - W / 2, Y - H / 2, X + W / 2, Y + H / 2};
      break;
  }
  Box = {std::round(Box.L), std::round(Box.T), std::round(Box.R), std::round(Box.B)};
  if (Box.L < Bounds.L || Box.T < Bounds.T || Box.R > Bounds.R || Box.B > Bounds.B) return false;
  for (const TRectD& P : Placed)
    if (Box.Intersects(P)) return false;
  Placed.push_back(Box);
  if (!Marks.Transparent) C.FillRect(Box, Marks.BackColor);
  if (Marks.Frame.Visible && Marks.Frame.Style != TChartPenStyle::Clear)
    C.StrokeRect(Box, PenColor(Marks.Frame, clGray), 1);
  C.SetFont(Marks.Font);
  C.Text((Box.L + Box.R) / 2, (Box.T + Box.B) / 2, Text, THAlign::Center, TVAlign::Middle);
  return true;
}

void DrawPointer(TCanvas& C, TPointerStyle Style, double X, double Y, double HS, double VS,
                 TColor Fill, TColor Outline) {
  cairo_t* Cr = C.Cr();
  cairo_set_dash(Cr, nullptr, 0, 0);
  auto Poly = [&](std::initializer_list<std::pair<double, double>> Pts) {
    bool First = true;
    for (auto [PX, PY] : Pts) {
      First ? cairo_move_to(Cr, X + PX, Y + PY) : cairo_line_to(Cr, X + PX, Y + PY);
      First = false;
    }
    cairo_close_path(Cr);
  };
  switch (Style) {
    case TPointerStyle::Cross:
    case TPointerStyle::DiagCross:
    case TPointerStyle::Star: {
      // Line shapes: drawn in the filling colour.
      const bool Straight = Style != TPointerStyle::DiagCross;
      const bool Diagonal = Style != TPointerStyle::Cross;
      if (Straight) {
        cairo_move_to(Cr, X - HS, Y), cairo_line_to(Cr, X + HS, Y);
        cairo_move_to(Cr, X, Y - VS), cairo_line_to(Cr, X, Y + VS);
      }
      if (Diagonal) {
        const double K = Straight ? 0.75 : 1;
        cairo_move_to(Cr, X - HS * K, Y - VS * K), cairo_line_to(Cr, X + HS * K, Y + VS * K);
        cairo_move_to(Cr, X - HS * K, Y + VS * K), cairo_line_to(Cr, X + HS * K, Y - VS * K);
      }
      C.SetColor(Fill);
      cairo_set_line_width(Cr, 2);
      cairo_stroke(Cr);
      return;
    }
    case TPointerStyle::Rectangle:
      cairo_rectangle(Cr, X - HS, Y - VS, HS * 2, VS * 2);
      break;
    case TPointerStyle::Circle:
    case TPointerStyle::SmallDot: {
      const double K = Style == TPointerStyle::SmallDot ? 0.4 : 1;
      cairo_save(Cr);
      cairo_translate(Cr, X, Y);
      cairo_scale(Cr, std::max(HS * K, 0.5), std::max(VS * K, 0.5));
      cairo_arc(Cr, 0, 0, 1, 0, 6.2832);
      cairo_restore(Cr);
      break;
    }
    case TPointerStyle::Triangle:
      Poly({{0, -VS}, {HS, VS}, {-HS, VS}});
      break;
    case TPointerStyle::DownTriangle:
      Poly({{0, VS}, {HS, -VS}, {-HS, -VS}});
      break;
    case TPointerStyle::Diamond:
      Poly({{0, -VS}, {HS, 0}, {0, VS}, {-HS, 0}});
      break;
  }
  C.SetColor(Fill);
  cairo_fill_preserve(Cr);
  if (Outline != clNone) {
    C.SetColor(Outline);
    cairo_set_line_width(Cr, 1);
    cairo_stroke(Cr);
  } else {
    cairo_new_path(Cr);
  }
}

}  // namespace quin
