#include "deflang/rixcodes.h"

#include <algorithm>
#include <cmath>

#include "base/format.h"
#include "base/random.h"

namespace quin {

QUIN_IMPLEMENT_ABSTRACT_CLASS(TRixCode, TOrvObject)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TRixCodeSingle, TRixCode)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TRixCodeRange, TRixCode)
QUIN_IMPLEMENT_CLASS(TRixCodeList, TOrvObjectList)

const TOrvMsgClass TRixError_LeftGTRight{
    "TRixError_LeftGTRight", &TOrvMsgKind_Error,
    "<PLK>Pierwsza wartość jest większa od drugiej wartości.<ENU>First value is greater than "
    "second value."};
const TOrvMsgClass TRixWarning_LeftEQRight{
    "TRixWarning_LeftEQRight", &TOrvMsgKind_Warning,
    "<PLK>Pierwsza wartość jest równa drugiej wartości.<ENU>First value is equal to the second "
    "value."};

namespace {

constexpr double IntBound = 2147483647.0;

bool IsSentinel(double X) { return X == RixCodeMin || X == RixCodeMax; }

bool HasFraction(double X) { return std::trunc(X) != X; }

// The value as an integer within +-2147483647; NaN counts as 0.
int64_t ClampToInt(double X) {
  if (std::isnan(X)) return 0;
  return static_cast<int64_t>(std::clamp(X, -IntBound, IntBound));
}

// "min" / "max" for a sentinel, else the "." form.
std::string UsaValueText(double X) {
  if (X == RixCodeMin) return "min";
  if (X == RixCodeMax) return "max";
  return FormatCodeValueUSA(X);
}

// The lowest integer that a given lower end admits.
int64_t LowestInt(double Lower, bool Exclusive) {
  if (HasFraction(Lower)) return ClampToInt(std::ceil(Lower));
  return ClampToInt(Lower) + (Exclusive ? 1 : 0);
}

// The highest integer that a given upper end admits. A fractional end is rounded down, so that a
// negative end such as -0.5 gives -1, an integer that the code holds, and never 0.
int64_t HighestInt(double Upper, bool Exclusive) {
  if (HasFraction(Upper)) return ClampToInt(std::floor(Upper));
  return ClampToInt(Upper) - (Exclusive ? 1 : 0);
}

// The ends of a code: a single code is its value twice, both ends inclusive.
struct TBounds {
  double Lower;
  double Upper;
  bool LowerExclusive;
  bool UpperExclusive;
};

TBounds BoundsOf(const TRixCode& Code) {
  if (const auto* R = As<TRixCodeRange>(&Code))
    return {R->Lower(), R->Upper(), R->LowerExclusive(), R->UpperExclusive()};
  const double V = static_cast<const TRixCodeSingle&>(Code).Value();
  return {V, V, false, false};
}

bool BothBoundsIn(const TBounds& B, const TRixCode& Code) {
  return Code.InRange(B.Lower) && Code.InRange(B.Upper);
}

bool SomeBoundIn(const TBounds& B, const TRixCode& Code) {
  return Code.InRange(B.Lower) || Code.InRange(B.Upper);
}

// The union of two overlapping codes; an end both share is exclusive only when it is in both.
std::unique_ptr<TRixCodeRange> Union(const TBounds& A, const TBounds& B) {
  double Lower, Upper;
  bool LowerExcl, UpperExcl;
  if (A.Lower < B.Lower) {
    Lower = A.Lower, LowerExcl = A.LowerExclusive;
  } else if (B.Lower < A.Lower) {
    Lower = B.Lower, LowerExcl = B.LowerExclusive;
  } else {
    Lower = A.Lower, LowerExcl = A.LowerExclusive && B.LowerExclusive;
  }
  if (A.Upper > B.Upper) {
    Upper = A.Upper, UpperExcl = A.UpperExclusive;
  } else if (B.Upper > A.Upper) {
    Upper = B.Upper, UpperExcl = B.UpperExclusive;
  } else {
    Upper = A.Upper, UpperExcl = A.UpperExclusive && B.UpperExclusive;
  }
  return std::make_unique<TRixCodeRange>(Lower, Upper, LowerExcl, UpperExcl);
}

}  // namespace

std::string FormatCodeValue(const TFormatSettings& Settings, double X) {
  if (IsSentinel(X)) return "";
  return Format("%g", {X}, Settings);
}

std::string FormatCodeValueUSA(double X) { return FormatCodeValue(TFormatSettings{}, X); }

// ---- TRixCodeSingle

std::string TRixCodeSingle::AsString(const TFormatSettings& Settings) const {
  return FormatCodeValue(Settings, FValue);
}

std::string TRixCodeSingle::AsUSAString() const { return FormatCodeValueUSA(FValue); }

std::string TRixCodeSingle::AsUSAText() const { return UsaValueText(FValue); }

bool TRixCodeSingle::Equals(const TRixCode* Other) const {
  const auto* S = As<TRixCodeSingle>(Other);
  return S && S->FValue == FValue;
}

std::string TRixCodeSingle::GetQueryStr(std::string_view Name) const {
  std::string R(Name);
  R += " = ";
  R += AsUSAString();
  return R;
}

int64_t TRixCodeSingle::IntWidth(int, int, int, int) const { return HasFraction(FValue) ? 0 : 1; }

int64_t TRixCodeSingle::IntWidthMax(int, int) const { return ClampToInt(std::floor(FValue)); }

int64_t TRixCodeSingle::IntWidthMin(int, int) const { return ClampToInt(std::ceil(FValue)); }

bool TRixCodeSingle::IsInt() const { return !HasFraction(FValue); }

// ---- TRixCodeRange

std::string TRixCodeRange::Text(const TFormatSettings& Settings) const {
  const bool LOpen = LowerOpen(), UOpen = UpperOpen();
  if (LOpen && UOpen) return "min : max";
  if (!LOpen && !UOpen)
    return FormatCodeValue(Settings, FLower) + " : " + FormatCodeValue(Settings, FUpper);
  if (!LOpen) return (FLowerExclusive ? "> " : ">= ") + FormatCodeValue(Settings, FLower);
  return (FUpperExclusive ? "< " : "<= ") + FormatCodeValue(Settings, FUpper);
}

std::string TRixCodeRange::AsString(const TFormatSettings& Settings) const {
  return Text(Settings);
}

std::string TRixCodeRange::AsUSAString() const { return Text(TFormatSettings{}); }

std::string TRixCodeRange::AsUSAText() const {
  return UsaValueText(FLower) + ":" + UsaValueText(FUpper);
}

bool TRixCodeRange::Equals(const TRixCode* Other) const {
  const auto* R = As<TRixCodeRange>(Other);
  return R && R->FLower == FLower && R->FUpper == FUpper &&
         R->FLowerExclusive == FLowerExclusive && R->FUpperExclusive == FUpperExclusive;
}

std::string TRixCodeRange::GetQueryStr(std::string_view Name) const {
  const bool LOpen = LowerOpen(), UOpen = UpperOpen();
  if (LOpen && UOpen) return "";
  std::string R(Name);
  if (!LOpen && !UOpen)
    return R + " between " + FormatCodeValueUSA(FLower) + " and " + FormatCodeValueUSA(FUpper);
  return R + AsUSAString();
}

bool TRixCodeRange::InRange(double V) const {
  return (V > FLower || (V == FLower && !FLowerExclusive)) &&
         (V < FUpper || (V == FUpper && !FUpperExclusive));
}

int64_t TRixCodeRange::IntWidth(int MinLimit, int MinSpan, int MaxLimit, int MaxSpan) const {
  const int64_t W = IntWidthMax(MaxLimit, MaxSpan) - IntWidthMin(MinLimit, MinSpan) + 1;
  return W < 0 ? 0 : W;
}

int64_t TRixCodeRange::IntWidthMax(int Limit, int Span) const {
  if (!UpperOpen()) return HighestInt(FUpper, FUpperExclusive);
  if (LowerOpen()) return Limit;
  return std::min<int64_t>(Limit, LowestInt(FLower, FLowerExclusive) + Span);
}

int64_t TRixCodeRange::IntWidthMin(int Limit, int Span) const {
  if (!LowerOpen()) return LowestInt(FLower, FLowerExclusive);
  if (UpperOpen()) return Limit;
  return std::max<int64_t>(Limit, HighestInt(FUpper, FUpperExclusive) - Span);
}

bool TRixCodeRange::IsInt() const { return !HasFraction(FLower) && !HasFraction(FUpper); }

// ---- code-list routines

void CopyCodeList(TRixCodeList& Dest, const TRixCodeList& Source) {
  const int N = Source.Count();  // Dest may be Source
  for (int I = 0; I < N; ++I) Dest.Add(CopyOf(*Source[I]));
}

std::string CodeListAsString(const TRixCodeList& List, const TFormatSettings& Settings) {
  std::string R;
  for (int I = 0; I < List.Count(); ++I) {
    if (I > 0) {
      R += Settings.ListSeparator;
      R += ' ';
    }
    R += List[I]->AsString(Settings);
  }
  return R;
}

std::string CodeListAsUSAString(const TRixCodeList& List) {
  std::string R;
  for (int I = 0; I < List.Count(); ++I) {
    if (I > 0) R += ", ";
    const TRixCode* C = List[I];
    // A single sentinel has no number text; its name reads back.
    R += C->IsExactly<TRixCodeSingle>() ? C->AsUSAText() : C->AsUSAString();
  }
  return R;
}

bool CodeListInRange(const TRixCodeList& List, double V) {
  for (int I = 0; I < List.Count(); ++I)
    if (List[I]->InRange(V)) return true;
  return false;
}

namespace {

bool SomeEndIn(const TRixCodeList& A, const TRixCodeList& B) {
  for (int I = 0; I < A.Count(); ++I) {
    const TBounds E = BoundsOf(*A[I]);
    if (CodeListInRange(B, E.Lower) || CodeListInRange(B, E.Upper)) return true;
  }
  return false;
}

}  // namespace

bool CodeListsOverlap(const TRixCodeList& A, const TRixCodeList& B) {
  return SomeEndIn(A, B) || SomeEndIn(B, A);
}

bool CodeListIsDiscrete(const TRixCodeList& List) {
  for (int I = 0; I < List.Count(); ++I)
    if (!List[I]->IsDiscrete()) return false;
  return true;
}

bool CodeListIsInt(const TRixCodeList& List) {
  for (int I = 0; I < List.Count(); ++I)
    if (!List[I]->IsInt()) return false;
  return true;
}

double CodeListMinValue(const TRixCodeList& List) {
  if (List.Empty()) return RixCodeMin;
  double R = BoundsOf(*List[0]).Lower;
  for (int I = 1; I < List.Count(); ++I) R = std::min(R, BoundsOf(*List[I]).Lower);
  return R;
}

double CodeListMaxValue(const TRixCodeList& List) {
  if (List.Empty()) return RixCodeMax;
  double R = BoundsOf(*List[0]).Upper;
  for (int I = 1; I < List.Count(); ++I) R = std::max(R, BoundsOf(*List[I]).Upper);
  return R;
}

void NormalizeCodeList(TRixCodeList& List) {
  // One downward pass: the code at I is compared with the codes before it until it is dropped,
  // drops one of them, or is merged with one of them.
  for (int I = List.Count() - 1; I >= 1; --I) {
    for (int J = I - 1; J >= 0; --J) {
      const TRixCode& CI = *List[I];
      const TRixCode& CJ = *List[J];
      const TBounds BI = BoundsOf(CI), BJ = BoundsOf(CJ);
      if (BothBoundsIn(BI, CJ)) {
        List.Delete(I);
        break;
      }
      if (BothBoundsIn(BJ, CI)) {
        List.Delete(J);
        break;
      }
      if (SomeBoundIn(BI, CJ) || SomeBoundIn(BJ, CI)) {
        std::unique_ptr<TRixCodeRange> U = Union(BI, BJ);
        List.Delete(I);
        List.Delete(J);
        List.Insert(J, U.release());
        break;
      }
    }
  }
  // Ranges of one value become single codes, or vanish when an end is exclusive; reversed
  // ranges vanish.
  for (int I = List.Count() - 1; I >= 0; --I) {
    const auto* R = As<TRixCodeRange>(List[I]);
    if (!R) continue;
    if (R->Lower() == R->Upper()) {
      if (R->LowerExclusive() || R->UpperExclusive())
        List.Delete(I);
      else
        List.SetItem(I, new TRixCodeSingle(R->Lower()));
    } else if (R->Lower() > R->Upper()) {
      List.Delete(I);
    }
  }
  // A NaN (never read from a text) sorts first, so that the order stays strict.
  const auto Key = [](const TObject* P) {
    const double V = BoundsOf(*static_cast<const TRixCode*>(P)).Lower;
    return std::isnan(V) ? -HUGE_VAL : V;
  };
  List.Sort([&Key](const TObject* A, const TObject* B) { return Key(A) < Key(B); });
}

bool CodeListsEqual(TRixCodeList* A, TRixCodeList* B) {
  if (!A || !B) return !A && !B;
  NormalizeCodeList(*A);
  NormalizeCodeList(*B);
  if (A->Count() != B->Count()) return false;
  for (int I = 0; I < A->Count(); ++I)
    if (!(*A)[I]->Equals((*B)[I])) return false;
  return true;
}

std::unique_ptr<TRixCodeList> RandomCodeList(const TRixCodeList& Source) {
  TOrvRandGen& Gen = DefaultRandGen();
  const double Min = CodeListMinValue(Source), Max = CodeListMaxValue(Source);
  const bool MinOpen = Min == RixCodeMin, MaxOpen = Max == RixCodeMax;
  // The open ends are far beyond any integer code; clipped, Max - Min cannot overflow.
  const double Lo = std::clamp(Min, -IntBound, IntBound);
  const double Hi = std::clamp(Max, -IntBound, IntBound);
  auto List = std::make_unique<TRixCodeList>();
  do {
    if (Gen.RandomReal() < 0.05) {
      List->Add(std::make_unique<TRixCodeSingle>(Gen.RandomBetween(Lo, Hi)));
      continue;
    }
    double Lower = MinOpen && Gen.RandomInt(2) != 0
                       ? RixCodeMin
                       : std::round(Gen.RandomBetween(Lo, Hi - (Hi - Lo) / 10));
    const double From = Lower == RixCodeMin ? Lo : Lower;
    double Upper = MaxOpen && Gen.RandomInt(2) != 0 ? RixCodeMax
                                                    : std::round(Gen.RandomBetween(From, Hi));
    if (Lower == Upper) {
      // Widen by one, but never beyond the source's own values: a range from 1 to 10 gives no 0.
      const bool CanLower = Lower - 1 >= Lo, CanRaise = Upper + 1 <= Hi;
      if (CanLower && (!CanRaise || Gen.RandomInt(2) != 0))
        Lower -= 1;
      else if (CanRaise)
        Upper += 1;
    }
    List->Add(std::make_unique<TRixCodeRange>(Lower, Upper));
  } while (Gen.RandomInt(2) != 0);
  NormalizeCodeList(*List);
  return List;
}

}  // namespace quin
