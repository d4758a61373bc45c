#include "analysis/pelsortparams.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "analysis/pelrwobject.h"
#include "base/collation.h"
#include "base/langmanager.h"
#include "base/log.h"
#include "base/text.h"
#include "deflang/rixscanner.h"
#include "deflang/rixwriter.h"
#include "surveykit/gimstat.h"

namespace quin {

QUIN_IMPLEMENT_CLASS(TPelSortDataInfo, TPelTableDataInfo)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TPelSortDataInfoList, TPelTableDataInfoList)
QUIN_IMPLEMENT_CLASS(TPelSortRange, TOrvObject)
QUIN_IMPLEMENT_CLASS(TPelSortRangeList, TOrvObjectList)
QUIN_IMPLEMENT_CLASS(TPelTableSortParams, TOrvObject)

// ---- TPelSortDataInfo

bool TPelSortDataInfo::ReadKey(TRixScanner& Scanner) {
  int32_t Index = SortParIndex;
  if (Scanner.ReadInteger("sortParIndex", Index)) {
    SortParIndex = Index;
    return true;
  }
  if (RixKeyTaken(Scanner, false)) return true;
  const TOrvTextPos At = Scanner.Token->StartPos;
  std::string Order;
  if (!Scanner.ReadIdentifier("sortOrder", Order)) return RixKeyTaken(Scanner, false);
  if (SameText(Order, "ascending"))
    SortOrder = 1;
  else if (SameText(Order, "descending"))
    SortOrder = 2;
  else if (SortOrder == 0)
    // The instruction is read: reported here rather than skipping the one after it.
    Scanner.AddMsgAt(TRixMsgError_UnknownKey, At);
  return true;
}

void TPelSortDataInfo::WriteKeys(TStream& Stream, int& Indent) const {
  if (Par) WriteKeyInteger(Stream, Indent, "sortParIndex", "", SortParIndex);
  WriteKeyIdentifier(Stream, Indent, "sortOrder", "", SortOrder == 1 ? "ascending" : "descending");
}

// ---- TPelSortDataInfoList

void TPelSortDataInfoList::SetKind(int Kind) {
  for (int I = 0; I < Count(); ++I) GetItem(I)->Kind = Kind;
}

void TPelSortDataInfoList::RemoveDuplicates() {
  for (int I = Count() - 1; I >= 0; --I) {
    const int Line = GetItem(I)->Line;
    bool Earlier = false;
    for (int J = 0; J < I && !Earlier; ++J) Earlier = GetItem(J)->Line == Line;
    if (Line <= 0 || Earlier) Delete(I);
  }
}

// ---- TPelSortRangeList

void TPelSortRangeList::AddRange(int From, int To) {
  if (From < To) Add(std::make_unique<TPelSortRange>(From, To));
}

// ---- TPelTableSortParams

void TPelTableSortParams::ResetOrder(bool Reset1, bool Reset2, bool ClearKeys, int Count1,
                                     int Count2) {
  auto Identity = [](std::vector<int>& P, int N) {
    P.resize(std::max(N, 0));
    for (size_t I = 0; I < P.size(); ++I) P[I] = static_cast<int>(I);
  };
  if (Reset1) {
    Identity(Perm1, Count1);
    if (ClearKeys) ColSorts.Clear();
  }
  if (Reset2) {
    Identity(Perm2, Count2);
    if (ClearKeys) RowSorts.Clear();
  }
}

namespace {

// Moves the items of P[From..End] holding X behind the others, from End downwards: an item at
// End holding X stays, another one changes places with the nearest item below that holds X
// (the search going on below the previous find). End ends before the moved items.
void MoveBehind(std::vector<int>& P, const std::vector<double>& V, int From, int& End, double X) {
  int Search = End - 1;
  while (End > From) {
    if (V[P[End]] == X) {
      --End;
      continue;
    }
    int K = std::min(Search, End - 1);
    while (K >= From && V[P[K]] != X) --K;
    if (K < From) return;
    std::swap(P[K], P[End]);
    --End;
    Search = K - 1;
  }
}

// <0, 0, >0 for two values; a value that is no number counts below every number.
int CompareValues(double A, double B) {
  const bool NA = std::isnan(A), NB = std::isnan(B);
  if (NA || NB) return static_cast<int>(NB) - static_cast<int>(NA);
  return (A > B) - (A < B);
}

}  // namespace

void TPelTableSortParams::Sort(int From, int To, const std::vector<std::string>& Texts,
                               const std::vector<double>& Values, int Which, int Direction) {
  if ((Values.empty() && Texts.empty()) || From == To || (Which != 1 && Which != 2)) return;
  std::vector<int>& P = Which == 1 ? Perm1 : Perm2;
  const bool ByValue = !Values.empty();
  const size_t Items = ByValue ? Values.size() : Texts.size();
  if (From < 0 || From > To || static_cast<size_t>(To) >= P.size()) return;
  for (int I = From; I <= To; ++I)
    if (P[I] < 0 || static_cast<size_t>(P[I]) >= Items) return;
  // An unset direction sorts as the key is written: descending.
  const int D = Direction == 1 ? 1 : -1;
  try {
    int End = To;
    if (ByValue)
      for (double X : {GimValueNoData, GimValueEmpty, GimValueNotDefined})
        MoveBehind(P, Values, From, End, X);
    if (From >= End) return;
    // Equal items keep their order in both directions: the order is that of the values (or
    // texts) in the direction, then of the starting positions.
    std::vector<std::string> Keys;
    if (!ByValue) {
      const TOrvCollator Collator(CurrentLangManager().Current());
      Keys.resize(Items);
      for (int I = From; I <= End; ++I) Keys[P[I]] = Collator.SortKey(Texts[P[I]]);
    }
    auto Compare = [&](int A, int B) {
      if (ByValue) return CompareValues(Values[A], Values[B]);
      const int C = Keys[A].compare(Keys[B]);
      return (C > 0) - (C < 0);
    };
    std::stable_sort(P.begin() + From, P.begin() + End + 1,
                     [&](int A, int B) { return Compare(A, B) * D < 0; });
  } catch (const std::bad_alloc&) {
    // Out of memory the table's computation cannot succeed either: it goes on to the caller.
    ResetOrder(/*Reset1=*/true, /*Reset2=*/true, /*ClearKeys=*/true, static_cast<int>(Perm1.size()),
               static_cast<int>(Perm2.size()));
    throw;
  } catch (...) {
    // The items keep their order unsorted.
    LogCaught(TLogLevel::Warning, "the table's items cannot be sorted");
    ResetOrder(/*Reset1=*/true, /*Reset2=*/true, /*ClearKeys=*/true, static_cast<int>(Perm1.size()),
               static_cast<int>(Perm2.size()));
  }
}

}  // namespace quin
