#include "deflang/rixcodes.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <set>
#include <vector>

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

// V in the code with bounds C, as the code's InRange tells (a single code: V equals it).
bool InBounds(double V, const TBounds& C) {
  return (V > C.Lower || (V == C.Lower && !C.LowerExclusive)) &&
         (V < C.Upper || (V == C.Upper && !C.UpperExclusive));
}

bool BothBoundsIn(const TBounds& B, const TBounds& Code) {
  return InBounds(B.Lower, Code) && InBounds(B.Upper, Code);
}

// The union of two overlapping codes; an end both share is exclusive only when it is in both.
TBounds Union(const TBounds& A, const TBounds& B) {
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
  return {Lower, Upper, LowerExcl, UpperExcl};
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
  return R && R->FLower == FLower && R->FUpper == FUpper && R->FLowerExclusive == FLowerExclusive &&
         R->FUpperExclusive == FUpperExclusive;
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

namespace {

// The codes of a list by their bound values, for the normalising pass: which code before a
// given one holds a value, and which holds a bound within a range of values. Every bound the
// pass meets is a bound of the list's codes (a merged range takes the ends of its two codes),
// so the values are indexed once. A NaN holds nothing and lies in nothing.
class TCodeIndex {
 public:
  explicit TCodeIndex(const std::vector<TBounds>& B) : FB(B) {
    for (const TBounds& X : B)
      for (double V : {X.Lower, X.Upper})
        if (!std::isnan(V)) FValues.push_back(V);
    std::sort(FValues.begin(), FValues.end());
    FValues.erase(std::unique(FValues.begin(), FValues.end()), FValues.end());
    FSize = std::max<int>(1, static_cast<int>(FValues.size()));
    FCover.resize(4 * size_t(FSize));
    FAt.resize(size_t(FSize));
    FAtMax.assign(4 * size_t(FSize), -1);
  }
  void Insert(int K) { Update(K, true); }
  void Erase(int K) { Update(K, false); }
  // The last indexed code that holds a bound of code K, or that has a bound in code K; -1 when
  // none.
  int LastMeeting(int K) const {
    const TBounds& X = FB[size_t(K)];
    int R = std::max(Holding(X.Lower), Holding(X.Upper));
    int L = 0, H = -1;
    if (Span(X, L, H)) R = std::max(R, AtMax(1, 0, FSize - 1, L, H));
    return R;
  }

 private:
  const std::vector<TBounds>& FB;
  std::vector<double> FValues;
  int FSize = 1;
  std::vector<std::set<int>> FCover;  // codes whose span covers a tree node whole
  std::vector<std::set<int>> FAt;     // codes with a bound at a value
  std::vector<int> FAtMax;            // the last code with a bound below a tree node

  int IndexOf(double V) const {
    return static_cast<int>(std::lower_bound(FValues.begin(), FValues.end(), V) - FValues.begin());
  }
  // The indexes of the values that lie in code X.
  bool Span(const TBounds& X, int& L, int& H) const {
    if (std::isnan(X.Lower) || std::isnan(X.Upper)) return false;
    L = IndexOf(X.Lower) + (X.LowerExclusive ? 1 : 0);
    H = IndexOf(X.Upper) - (X.UpperExclusive ? 1 : 0);
    return L <= H;
  }
  int Holding(double V) const {
    if (std::isnan(V)) return -1;
    const int P = IndexOf(V);
    int R = -1;
    for (int Node = 1, Lo = 0, Hi = FSize - 1;;) {
      const std::set<int>& S = FCover[size_t(Node)];
      if (!S.empty()) R = std::max(R, *S.rbegin());
      if (Lo == Hi) return R;
      const int Mid = (Lo + Hi) / 2;
      if (P <= Mid)
        Node = 2 * Node, Hi = Mid;
      else
        Node = 2 * Node + 1, Lo = Mid + 1;
    }
  }
  void Cover(int Node, int Lo, int Hi, int L, int H, int K, bool Add) {
    if (H < Lo || Hi < L) return;
    if (L <= Lo && Hi <= H) {
      if (Add)
        FCover[size_t(Node)].insert(K);
      else
        FCover[size_t(Node)].erase(K);
      return;
    }
    const int Mid = (Lo + Hi) / 2;
    Cover(2 * Node, Lo, Mid, L, H, K, Add);
    Cover(2 * Node + 1, Mid + 1, Hi, L, H, K, Add);
  }
  void SetAt(int Node, int Lo, int Hi, int P) {
    if (Lo == Hi) {
      const std::set<int>& S = FAt[size_t(P)];
      FAtMax[size_t(Node)] = S.empty() ? -1 : *S.rbegin();
      return;
    }
    const int Mid = (Lo + Hi) / 2;
    if (P <= Mid)
      SetAt(2 * Node, Lo, Mid, P);
    else
      SetAt(2 * Node + 1, Mid + 1, Hi, P);
    FAtMax[size_t(Node)] = std::max(FAtMax[2 * size_t(Node)], FAtMax[2 * size_t(Node) + 1]);
  }
  int AtMax(int Node, int Lo, int Hi, int L, int H) const {
    if (H < Lo || Hi < L || FAtMax[size_t(Node)] < 0) return -1;
    if (L <= Lo && Hi <= H) return FAtMax[size_t(Node)];
    const int Mid = (Lo + Hi) / 2;
    return std::max(AtMax(2 * Node, Lo, Mid, L, H), AtMax(2 * Node + 1, Mid + 1, Hi, L, H));
  }
  void Update(int K, bool Add) {
    const TBounds& X = FB[size_t(K)];
    int L = 0, H = -1;
    if (Span(X, L, H)) Cover(1, 0, FSize - 1, L, H, K, Add);
    for (double V : {X.Lower, X.Upper}) {
      if (std::isnan(V)) continue;
      const int P = IndexOf(V);
      if (Add)
        FAt[size_t(P)].insert(K);
      else
        FAt[size_t(P)].erase(K);
      SetAt(1, 0, FSize - 1, P);
    }
  }
};

}  // namespace

void NormalizeCodeList(TRixCodeList& List) {
  // The pass runs over the codes' bounds. A code at I meets the codes before it from the
  // nearest on; only a code that holds one of its bounds or has a bound in it can be the one
  // met, so the index yields that code at once. A code dropped before I lets I meet the codes
  // before it again: the next such code. The index holds the codes still in the list before I.
  const int N = List.Count();
  std::vector<TBounds> B(static_cast<size_t>(N));
  std::vector<uint8_t> Live(static_cast<size_t>(N), 1), Merged(static_cast<size_t>(N), 0);
  for (int K = 0; K < N; ++K) B[size_t(K)] = BoundsOf(*List[K]);
  TCodeIndex Index(B);
  for (int K = 0; K < N; ++K) Index.Insert(K);
  for (int I = N - 1; I >= 1; --I) {
    if (!Live[size_t(I)]) continue;
    Index.Erase(I);
    for (;;) {
      const int J = Index.LastMeeting(I);
      if (J < 0) break;
      const TBounds& BI = B[size_t(I)];
      TBounds& BJ = B[size_t(J)];
      if (BothBoundsIn(BI, BJ)) {
        Live[size_t(I)] = 0;
        break;
      }
      Index.Erase(J);
      if (BothBoundsIn(BJ, BI)) {
        Live[size_t(J)] = 0;
        continue;
      }
      BJ = Union(BI, BJ);
      Merged[size_t(J)] = 1;
      Index.Insert(J);
      Live[size_t(I)] = 0;
      break;
    }
  }
  // The codes left, in order; ranges of one value become single codes, or vanish when an end is
  // exclusive; reversed ranges vanish. A code the pass left alone stays the same object.
  std::vector<std::unique_ptr<TRixCode>> Own;
  Own.reserve(static_cast<size_t>(N));
  for (int K = 0; K < N; ++K) Own.emplace_back(List[K]);
  List.OwnsObjects = false;
  List.Clear();
  List.OwnsObjects = true;
  std::vector<std::unique_ptr<TRixCode>> Kept;
  Kept.reserve(static_cast<size_t>(N));
  for (int K = 0; K < N; ++K) {
    if (!Live[size_t(K)]) continue;
    const TBounds& X = B[size_t(K)];
    const bool Range = Merged[size_t(K)] || As<TRixCodeRange>(Own[size_t(K)].get()) != nullptr;
    if (!Range || (!Merged[size_t(K)] && !(X.Lower == X.Upper) && !(X.Lower > X.Upper))) {
      Kept.push_back(std::move(Own[size_t(K)]));
    } else if (X.Lower == X.Upper) {
      if (!X.LowerExclusive && !X.UpperExclusive)
        Kept.push_back(std::make_unique<TRixCodeSingle>(X.Lower));
    } else if (!(X.Lower > X.Upper)) {
      Kept.push_back(
          std::make_unique<TRixCodeRange>(X.Lower, X.Upper, X.LowerExclusive, X.UpperExclusive));
    }
  }
  // A NaN (never read from a text) sorts first, so that the order stays strict.
  const auto Key = [](const std::unique_ptr<TRixCode>& P) {
    const double V = BoundsOf(*P).Lower;
    return std::isnan(V) ? -HUGE_VAL : V;
  };
  std::stable_sort(Kept.begin(), Kept.end(),
                   [&Key](const auto& A, const auto& C) { return Key(A) < Key(C); });
  List.SetCapacity(static_cast<int>(Kept.size()));
  for (auto& C : Kept) List.Add(std::move(C));
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
    double Upper =
        MaxOpen && Gen.RandomInt(2) != 0 ? RixCodeMax : std::round(Gen.RandomBetween(From, Hi));
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
