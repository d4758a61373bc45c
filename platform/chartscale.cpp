// Axis scales and the texts of numbers, marks and series in a drawn chart.
#include <algorithm>
#include <cmath>

#include "base/format.h"
#include "base/text.h"
#include "platform/chartpaint.h"

namespace quin {

namespace {

// Values beyond this stay off the axes: their steps would lose all precision.
constexpr double kMaxAxisValue = 1e15;

// The smallest of 1, 2, 2.5, 5 and 10 times a power of ten that is at least Raw.
double NiceStep(double Raw) {
  const double Power = std::pow(10.0, std::floor(std::log10(Raw)));
  for (double M : {1.0, 2.0, 2.5, 5.0, 10.0})
    if (M * Power >= Raw * (1 - 1e-9)) return M * Power;
  return 10 * Power;
}

int DecimalsOf(double Step) {
  for (int D = 0; D < 6; ++D) {
    const double Scaled = Step * std::pow(10.0, D);
    if (std::fabs(Scaled - std::round(Scaled)) < 1e-6 * Scaled) return D;
  }
  return 6;
}

bool Usable(double V) { return std::isfinite(V) && std::fabs(V) <= kMaxAxisValue; }

}  // namespace

std::vector<double> TAxisScale::Ticks() const {
  std::vector<double> R;
  const double First = std::ceil(Min / Step - 1e-9) * Step;
  for (int I = 0; I <= 200; ++I) {
    double V = First + I * Step;
    if (V > Max + Step * 1e-9) break;
    if (std::fabs(V) < Step * 1e-9) V = 0;
    R.push_back(V);
  }
  return R;
}

TAxisScale ChooseAxisScale(const TChartAxis& Axis, double DataMin, double DataMax, int MaxSteps) {
  const bool HasData = DataMin <= DataMax && Usable(DataMin) && Usable(DataMax);
  const bool AutoMin = Axis.AutoMin() || !Usable(Axis.Minimum);
  const bool AutoMax = Axis.AutoMax() || !Usable(Axis.Maximum);
  double Lo = AutoMin ? (HasData ? DataMin : 0) : Axis.Minimum;
  double Hi = AutoMax ? (HasData ? DataMax : std::max(Lo, 0.0) + 1) : Axis.Maximum;
  if (Lo > Hi) std::swap(Lo, Hi);
  if (Hi - Lo <= std::fabs(Hi) * 1e-12) {
    // One value: a range around it, on the side that is free to move.
    const double Pad = Lo == 0 ? 1 : std::fabs(Lo) * 0.1;
    if (AutoMax || !AutoMin)
      Hi = Lo + Pad;
    else
      Lo = Hi - Pad;
  }
  TAxisScale S;
  const double Raw = (Hi - Lo) / std::clamp(MaxSteps, 1, 50);
  // The desired increment is the least step, unless it leaves fewer than two steps on the
  // axis; the step stays a round number.
  const bool Desired =
      Axis.Increment > 0 && Usable(Axis.Increment) && (Hi - Lo) / Axis.Increment >= 2;
  S.Step = NiceStep(Desired ? std::max(Raw, Axis.Increment) : Raw);
  S.Min = AutoMin ? std::floor(Lo / S.Step + 1e-9) * S.Step : Lo;
  S.Max = AutoMax ? std::ceil(Hi / S.Step - 1e-9) * S.Step : Hi;
  if (S.Max <= S.Min) S.Max = S.Min + S.Step;
  S.Decimals = DecimalsOf(S.Step);
  return S;
}

std::string AxisNumberText(double V, int Decimals, const TFormatSettings& FS) {
  if (std::fabs(V) < 1e-12) V = 0;
  return Cp1250ToUtf8(Format("%.*n", {Decimals, V}, FS));
}

std::string ValueText(double V, const TFormatSettings& FS) {
  const double R = std::round(V * 100) / 100;
  const int D = R == std::round(R) ? 0 : R * 10 == std::round(R * 10) ? 1 : 2;
  return AxisNumberText(R, D, FS);
}

bool PointValue(const TChartPoint& P, double& V) {
  if (P.IsNull || !std::isfinite(P.Value)) return false;
  V = P.Value;
  return true;
}

double SeriesTotal(const TChartSeries& S) {
  double Total = 0, X;
  for (const TChartPoint& Q : S.Points)
    if (PointValue(Q, X)) Total += std::fabs(X);
  return Total;
}

std::string MarkText(const TChartSeries& Ser, int P, TMarksStyle Style, double Total,
                     const TFormatSettings& FS) {
  const TChartPoint& Pt = Ser.Points[size_t(P)];
  double V = 0;
  PointValue(Pt, V);
  auto Percent = [&] {
    const bool Some = Total > 0 && std::isfinite(Total);
    return ValueText(Some ? std::fabs(V) / Total * 100 : 0, FS) + "%";
  };
  std::string Label = Cp1250ToUtf8(Pt.Label);
  std::string Value = ValueText(V, FS);
  switch (Style) {
    case TMarksStyle::Value:
      return Value;
    case TMarksStyle::Percent:
    case TMarksStyle::PercentTotal:
      return Percent();
    case TMarksStyle::LabelPercent:
    case TMarksStyle::LabelPercentTotal:
      return Label.empty() ? Percent() : Label + " " + Percent();
    case TMarksStyle::LabelValue:
      return Label.empty() ? Value : Label + " " + Value;
    case TMarksStyle::XValue:
      return AxisNumberText(P, 0, FS);
    default:  // Label, Legend
      return Label.empty() ? Value : Label;
  }
}

std::string SeriesTitleText(const TChart& Chart, int S) {
  const TChartSeries& Ser = Chart.Series[size_t(S)];
  if (!Ser.Title.empty()) return Cp1250ToUtf8(Ser.Title);
  if (!Ser.Name.empty()) return Cp1250ToUtf8(Ser.Name);
  return "Series " + std::to_string(S + 1);
}

}  // namespace quin
