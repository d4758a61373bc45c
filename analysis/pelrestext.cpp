// What a calculated cell shows: its text, the text of a value for export, its spreadsheet
// number mask, its value for charts, and whether it takes an optimisation limit.
#include <cmath>

#include "analysis/pelparbase.h"
#include "analysis/pelparstats.h"
#include "analysis/pelres.h"
#include "analysis/pelresmedia.h"
#include "analysis/pelsurvey.h"
#include "base/langmanager.h"
#include "surveykit/gimstat.h"

namespace quin {

namespace {

const TFormatSettings& Settings() { return CurrentLangManager().FormatSettings; }

std::string BaseMask(const TFormatSettings& S) {
  std::string M = "#";
  if (S.ThousandSeparator) M += S.ThousandSeparator;
  return M + "##0";
}

}  // namespace

bool TPelRes::IsMediaStatWithoutIndicator() const {
  const auto* M = As<TGimStatMedia>(Stat);
  return M && !M->Indicator;
}

bool TPelRes::OnLimitRow() const { return PelResMedia().LimitItem(*this) == 1; }

int TPelRes::Decimals() const {
  if (!Stat) return -1;
  const TPelParStats* P = StatsPar();
  const TPelParStats Defaults;
  const TPelParStats& S = P ? *P : Defaults;
  if (Stat->IsPercent()) return GimStatDecimals(S.DecPlacesPct);
  if (Stat->IsSummary()) return GimStatDecimals(S.DecPlacesMeans);
  return -1;
}

std::string TPelRes::BaseText(bool Raw) const {
  return FormatBaseValueRaw(GetBasedOnRecset(), BaseKind, Settings(), Value, Raw);
}

// The tests go in the order of precedence; several give the same text.
// NOLINTBEGIN(bugprone-branch-clone)
void TPelRes::GetDisplayText(std::string& Text, double& AValue) {
  AttachMediaInd();
  AValue = Value;
  if (IsMediaStatWithoutIndicator()) {
    Text = "!DEF";
  } else if (Empty) {
    Text.clear();
  } else if (NoData) {
    Text = "--";
  } else if (NotDefined) {
    Text = "!DEF";
  } else if (OnLimitRow()) {
    Text = AcceptsLimit() ? PelResMedia().LimitText(*this) : "--";
  } else if (!std::isfinite(Value)) {
    // Nothing shows a value that is no number.
    Text = "!DEF";
  } else if ((BaseKind != 0 && IsRealValue(Value)) || (BaseKind == 0 && ShowsTotalBase())) {
    Text = BaseText(false);
  } else if (!Stat) {
    Text.clear();
  } else {
    Text = Stat->FormatValue(Settings(), Decimals(), Value);
    const TPelParStats* P = StatsPar();
    // The sign follows real values only: "--" stays "--".
    if (IsRealValue(Value) && Stat->ShowsPctSign() && P && P->ShowsPctSign()) Text += "%";
  }
}
// NOLINTEND(bugprone-branch-clone)

void TPelRes::FormatValueText(int Mode, bool Raw, double AValue, bool PctSign, std::string& Text) {
  if (OnLimitRow()) {
    Text = AcceptsLimit() ? PelResMedia().LimitText(*this) : "--";
  } else if (IsRealValue(AValue) && std::isfinite(AValue)) {
    if (ShowsBase())
      Text = FormatBaseValueRaw(GetBasedOnRecset(), BaseKind, Settings(), AValue, Raw);
    else if (Stat)
      Stat->FormatValueAs(Settings(), Mode, AValue, Decimals(), Raw, PctSign, Text);
    else
      Text = "!DEF";
  } else if (Stat && !IsRealValue(AValue)) {
    Stat->FormatValueAs(Settings(), Mode, AValue, -1, Raw, PctSign, Text);
  } else {
    Text = "!DEF";
  }
}

void TPelRes::GetNumberFormat(const TFormatSettings& ASettings, std::string& Mask) {
  AttachMediaInd();
  if (ShowsBase())
    Mask = BaseMask(ASettings);
  else if (!Stat)
    Mask.clear();
  else
    Mask = Stat->NumberMask(ASettings, Decimals());
}

std::string TPelRes::WorkbookNumberFormat() {
  TFormatSettings Invariant;
  Invariant.DecimalSeparator = '.';
  Invariant.ThousandSeparator = ',';
  std::string Mask;
  GetNumberFormat(Invariant, Mask);
  return Mask;
}

void TPelRes::GetNumericValue(double& AValue) {
  if (OnLimitRow() || !IsComputable() || !std::isfinite(Value)) {
    AValue = 0;
    return;
  }
  AValue = Value;
  if (Stat && !ShowsBase()) Stat->AdjustValue(AValue);
}

bool TPelRes::AcceptsLimit() const {
  return Stat && BaseKind == 0 && PelResMedia().AcceptsLimit(*this);
}

}  // namespace quin
