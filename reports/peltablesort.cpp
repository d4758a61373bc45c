// Sorting a table: the sort keys (cell addresses or header parameters) are located in the
// current grid and applied through the row and column permutations, each within the blocks of
// its outer header items.
#include <algorithm>

#include "analysis/pelres.h"
#include "analysis/pelsortparams.h"
#include "reports/peltable.h"

namespace quin {

void TPelRepElemTable::ApplySort() {
  SortParams->ResetOrder(/*Reset1=*/true, /*Reset2=*/true, /*ClearKeys=*/false, RowCount, ColCount);
  InvalidateVisible();
  if (!SortParams->IsActive()) return;
  int FirstC = -1, FirstR = -1;
  for (int C = FirstDataCol; C < ColCount && FirstC < 0; ++C)
    for (int R = FirstDataRow; R < RowCount; ++R)
      if (CellAt(C, R)) {
        FirstC = C;
        FirstR = R;
        break;
      }
  if (FirstC < 0) return;
  for (int Kind : {1, 2}) {
    TPelSortDataInfoList& Keys = Kind == 1 ? SortParams->ColSorts : SortParams->RowSorts;
    LocateKeys(Keys, Kind, FirstC, FirstR);
    // The stored keys stay as they are: a key that was not found on a line is kept for the
    // next layout, only this pass leaves it out.
    TPelSortDataInfoList Work(Keys);
    Work.RemoveDuplicates();
    for (int I = Work.Count() - 1; I >= 0; --I) {
      const TPelSortDataInfo* K = Work.GetItem(I);
      SortLine(Kind, K->SortOrder, K->Line);
    }
  }
  InvalidateVisible();
}

int TPelRepElemTable::ParamLine(int Kind, int Position) const {
  const std::vector<int>& Lines = Kind == 1 ? FRowLevelCols : FColLevelRows;
  int Sum = 0;
  for (int L = 0; L <= Position && L < static_cast<int>(Lines.size()); ++L) Sum += Lines[L];
  return Sum;
}

void TPelRepElemTable::LocateKeys(TPelSortDataInfoList& Keys, int Kind, int FirstC, int FirstR) {
  const TPelParList& Crossing = Kind == 1 ? *RowParams : *ColParams;
  const int From = Kind == 1 ? FirstDataCol : FirstDataRow;
  const int To = Kind == 1 ? ColCount : RowCount;
  // The cell of data line K along the first cell's row (kind 1) or column (kind 2), and its
  // coordinates along the key's axis.
  auto CellOf = [&](int K) { return Kind == 1 ? CellAt(K, FirstR) : CellAt(FirstC, K); };
  auto Coords = [&](TPelRes* Cell) -> const TPelResElemList& {
    return Kind == 1 ? Cell->ColElems : Cell->RowElems;
  };
  for (int I = 0; I < Keys.Count(); ++I) Keys.GetItem(I)->Line = -1;
  bool AnyCellMatched = false;
  for (int I = 0; I < Keys.Count(); ++I) {
    TPelSortDataInfo* Key = Keys.GetItem(I);
    if (Key->Par) {
      int Pos = Key->SortParIndex;
      if (Pos < 0 || Pos >= Crossing.Count() || Crossing.GetItem(Pos) != Key->Par) {
        Pos = Crossing.IndexOf(Key->Par);
        if (Pos < 0) continue;  // no longer on the crossing axis: not applied
        Key->SortParIndex = Pos;
      }
      Key->Line = ParamLine(Kind, Pos);
      continue;
    }
    if (Key->Elems.Empty()) continue;
    int Best = -1, BestCount = -1;
    for (int K = From; K < To; ++K) {
      TPelRes* Cell = CellOf(K);
      if (!Cell) continue;
      int Count = 0;
      if (!Key->MatchesElems(Coords(Cell), Count, false)) continue;
      if (Count > BestCount) {
        Best = K;
        BestCount = Count;
      }
      if (Count == Key->Elems.Count() || Count == Coords(Cell).Count()) break;
    }
    if (Best >= 0) {
      Key->Line = Best;
      AnyCellMatched = true;
    }
  }
  if (AnyCellMatched) return;
  // No cell key matched anywhere: the keys' elements are mapped to coordinate positions and
  // the lines compared at those positions.
  for (int I = 0; I < Keys.Count(); ++I) {
    TPelSortDataInfo* Key = Keys.GetItem(I);
    if (Key->Par || Key->Elems.Empty()) continue;
    std::vector<int> Positions;
    bool Mapped = false;
    for (int K = From; K < To && !Mapped; ++K) {
      int Count = 0;
      if (TPelRes* Cell = CellOf(K)) Mapped = Key->MapElemPositions(Coords(Cell), Positions, Count);
    }
    if (!Mapped) continue;
    for (int K = From; K < To; ++K) {
      int Count = 0;
      TPelRes* Cell = CellOf(K);
      if (Cell && Key->MatchesElemsAt(Coords(Cell), Positions, Count)) {
        Key->Line = K;
        break;
      }
    }
  }
}

void TPelRepElemTable::SortLine(int Kind, int Order, int Line) {
  if (Kind == 0) {
    SortParams->ResetOrder(/*Reset1=*/true, /*Reset2=*/true, /*ClearKeys=*/false, RowCount,
                           ColCount);
    InvalidateVisible();
    return;
  }
  const bool Rows = Kind == 1;
  if (Kind != 1 && Kind != 2) return;
  if ((Rows ? RowParams : ColParams)->Empty() || Line <= 0) return;
  const int Count = Rows ? RowCount : ColCount;   // the lines sorted
  const int Across = Rows ? ColCount : RowCount;  // the lines sorted by
  const int First = Rows ? FirstDataRow : FirstDataCol;
  const int HeaderEnd = Rows ? FirstDataCol : FirstDataRow;
  if (Line >= Across) return;
  // The header line whose elements split the ranges, and the outer line whose spans hold
  // them together.
  int H = std::min(Line, HeaderEnd - 1), Outer = H - 1;
  if (!Rows) {
    const int Level = ColLevelOfRow(H);
    int End = 0;
    for (int L = 0; L <= Level; ++L) End += FColLevelRows[static_cast<size_t>(L)];
    if (Level < 0 || End != H) return;
    Outer = H - FColLevelRows[static_cast<size_t>(Level)];
  }
  auto ElemOf = [&](int K) { return Rows ? ElemAt(H, K) : ElemAt(K, H); };
  auto Spans = [&](int K) {
    if (Outer < 1) return true;
    return Rows ? MergeDownAt(Outer, K - 1) : MergeRightAt(K - 1, Outer);
  };
  const bool ByText = Line < HeaderEnd;
  std::vector<std::string> Texts;
  std::vector<double> Values;
  if (ByText)
    Texts.resize(static_cast<size_t>(Count));
  else
    Values.resize(static_cast<size_t>(Count));
  auto Key = [&](int K) {
    const int C = Rows ? Line : K, R = Rows ? K : Line;
    if (ByText) return;
    const TPelRes* Cell = CellAt(C, R);
    Values[static_cast<size_t>(K)] = Cell ? Cell->Value : ValueAt(C, R);
  };
  int RangeStart = First;
  std::string LastText;
  auto CloseRange = [&](int End) {
    if (End > RangeStart) SortParams->Sort(RangeStart, End, Texts, Values, Kind, Order);
  };
  for (int K = First; K < Count; ++K) {
    const TPelResElem* Start = ElemOf(RangeStart);
    const TPelResElem* E = ElemOf(K);
    const bool Continues = K > RangeStart && Spans(K) && Start && E && Start->IsSameKind(E);
    if (K > RangeStart && !Continues) {
      CloseRange(K - 1);
      RangeStart = K;
      LastText.clear();
    }
    if (ByText) {
      const std::string& T = Rows ? TextAt(Line, K) : TextAt(K, Line);
      if (!T.empty()) LastText = T;
      Texts[static_cast<size_t>(K)] = LastText;
    } else {
      Key(K);
    }
  }
  CloseRange(Count - 1);
  InvalidateVisible();
}

TPelSortDataInfo* TPelRepElemTable::NewSortKey(int Kind, int Line, int Order) {
  if (Kind != 1 && Kind != 2) return nullptr;
  const bool Rows = Kind == 1;
  TPelSortDataInfoList& Keys = Rows ? SortParams->ColSorts : SortParams->RowSorts;
  TPelSortDataInfo* Key = nullptr;
  if (Line < (Rows ? FirstDataCol : FirstDataRow)) {
    const TPelParList& Crossing = Rows ? *RowParams : *ColParams;
    for (int L = 0; L < Crossing.Count() && !Key; ++L)
      if (ParamLine(Kind, L) == Line) {
        Key = static_cast<TPelSortDataInfo*>(Keys.Add(std::make_unique<TPelSortDataInfo>()));
        Key->Par = Crossing.GetItem(L);
        Key->SortParIndex = L;
      }
  } else {
    const int Count = Rows ? RowCount : ColCount;
    for (int K = Rows ? FirstDataRow : FirstDataCol; K < Count && !Key; ++K)
      if (TPelRes* Cell = Rows ? CellAt(Line, K) : CellAt(K, Line))
        Key = static_cast<TPelSortDataInfo*>(Keys.NewItem(Rows ? Cell->ColElems : Cell->RowElems));
  }
  if (!Key) return nullptr;
  Key->Kind = Kind;
  Key->Line = Line;
  Key->SortOrder = Order;
  return Key;
}

}  // namespace quin
