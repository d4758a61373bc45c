// The table's layout: the header bands, the nested column and row headers with their spans,
// the margin lines, one result cell per data position, and the calculation.
#include <algorithm>
#include <map>
#include <utility>

#include "analysis/pelparstats.h"
#include "analysis/pelres.h"
#include "analysis/pelresgeneral.h"
#include "analysis/pelresmanager.h"
#include "analysis/pelsortparams.h"
#include "analysis/pelsurvey.h"
#include "base/format.h"
#include "base/langmanager.h"
#include "base/scopeguard.h"
#include "base/text.h"
#include "reports/pelrepanalysis.h"
#include "reports/peltable.h"

namespace quin {

namespace {

// The row axis (0) and the column axis (1) of the statistic kinds.
constexpr int kRowAxis = 0;
constexpr int kColAxis = 1;

[[noreturn]] void RefuseSize(int64_t Cells) {
  throw EPelTableTooLarge(
      Cp1250("<PLK>Tabela jest zbyt duża: ponad %s komórek (najwięcej %s). Zmniejsz liczbę "
             "pozycji w wierszach lub kolumnach.<ENU>The table is too large: over %s cells (at "
             "most %s). Choose fewer items for the rows or columns."),
      {IntToStr(Cells), IntToStr(kPelMaxTableCells)});
}

}  // namespace

// The layout of one axis. Along runs over the positions (columns for the column headers),
// Across over the header lines (rows for the column headers).
class TPelTableLayout {
 public:
  TPelTableLayout(TPelRepElemTable& ATable, bool ACols)
      : T(ATable), Cols(ACols), Axis(ACols ? *ATable.ColParams : *ATable.RowParams) {
    Stats = T.StatsPar();
    Days = T.UsesDays();
  }

  struct TRun {
    bool WithObjects = false;
    bool WithTexts = false;
    bool ShowCodes = false;
    bool ShowStats = true;
    bool MarginMode = false;
  };
  struct TOptions {
    bool Items;    // the parameter lists its ordinary items
    bool Summary;  // and its summary positions (a mean line)
    bool Days;
  };

  TPelRepElemTable& T;
  bool Cols;
  TPelParList& Axis;
  TPelParStats* Stats = nullptr;
  bool Days = false;
  int StartAlong = 0;  // the first position line of the running layout

  // The axis a summary along the crossing lines depends on.
  int CrossAxis() const { return Cols ? kRowAxis : kColAxis; }

  std::vector<TGimStat*> StatsConcerned(TGimStat* Stat) const {
    if (Stat) return {Stat};
    std::vector<TGimStat*> R;
    if (!Stats) return R;
    if (T.LayerParams->IndexOf(Stats) >= 0) {
      if (TGimStat* S = Stats->Stat(T.ParSelections->GetSelected(Stats))) R.push_back(S);
    } else if (T.ColParams->IndexOf(Stats) >= 0 || T.RowParams->IndexOf(Stats) >= 0) {
      for (int I = 0; I < Stats->Stats.Count(); ++I)
        if (TGimStat* S = Stats->Stat(I)) R.push_back(S);
    }
    return R;
  }

  bool FiltersAfter(int L) const {
    for (int K = L + 1; K < Axis.Count(); ++K)
      if (Axis.GetItem(K)->FiltersCases()) return true;
    return false;
  }

  TOptions Options(int L, TGimStat* Stat) const {
    bool AnySummary = false, AnyLacking = false;
    for (TGimStat* S : StatsConcerned(Stat)) {
      const bool D = S->SummaryDependsOnAxis(CrossAxis());
      AnySummary = AnySummary || D;
      AnyLacking = AnyLacking || !D;
    }
    const bool Innermost = !FiltersAfter(L);
    const bool Summary = Innermost && AnySummary;
    const bool Items = !(Innermost && Summary && !AnyLacking);
    return {Items, Summary, Days};
  }

  TPelDims Dims(TPelPar* Par, const TOptions& O) const {
    TPelDims D = Cols ? Par->GetDims(O.Items, O.Summary, O.Days)
                      : Par->GetDims2D(O.Items, O.Summary, O.Days);
    // Positions first, header lines second.
    TPelDims R = Cols ? D : D.Swapped();
    R.X = std::max(R.X, 0);
    R.Y = std::max(R.Y, 0);
    return R;
  }

  // Header lines per position of every level, with the options of a layout without a
  // statistic header above.
  std::vector<int> LevelLines() const {
    std::vector<int> R;
    for (int L = 0; L < Axis.Count(); ++L)
      R.push_back(Dims(Axis.GetItem(L), Options(L, nullptr)).Y);
    return R;
  }

  // Whether each of the first Count positions of Par starts a group.
  std::vector<uint8_t> GroupStarts(TPelPar* Par, const TOptions& O, int Count) const {
    if (!Cols) return Par->GroupStarts2D(Count, O.Items, O.Summary, O.Days);
    std::vector<uint8_t> R(static_cast<size_t>(Count), 0);
    for (int I = 0; I < Count; ++I)
      R[static_cast<size_t>(I)] = Par->IsGroupStart({I, 0}, O.Items, O.Summary, O.Days) ? 1 : 0;
    return R;
  }

  // The grid cell of position line Along and header line Across.
  int C(int Along, int Across) const { return Cols ? Along : Across; }
  int R(int Along, int Across) const { return Cols ? Across : Along; }
  bool InHeader(int Along, int Across) const {
    return Across >= 1 && Across < (Cols ? T.FirstDataRow : T.FirstDataCol) && Along >= 0 &&
           Along < (Cols ? T.ColCount : T.RowCount);
  }
  void MergeAlong(int Along, int Across) {
    if (Cols)
      T.SetMergeRight(Along, Across, true);
    else
      T.SetMergeDown(Across, Along, true);
  }
  void MergeAcross(int Along, int Across) {
    if (Cols)
      T.SetMergeDown(Along, Across, true);
    else
      T.SetMergeRight(Across, Along, true);
  }
  int AlongCount() const { return Cols ? T.ColCount : T.RowCount; }
  int AcrossCount() const { return Cols ? T.RowCount : T.ColCount; }

  // Places a header cell: its text (with texts), its element (with objects; owned by the
  // first cell only) and its position.
  void Place(const TRun& O, int Along, int Across, const std::string* Text, TPelResElem* Elem,
             bool Owns, int Pos) {
    if (!InHeader(Along, Across)) return;
    const int Cc = C(Along, Across), Rr = R(Along, Across);
    if (T.Ix(Cc, Rr) >= T.FObjects.size()) return;
    if (O.WithTexts && Text) T.SetTextAt(Cc, Rr, *Text);
    if (O.WithObjects) {
      T.ClearCellObject(Cc, Rr);
      const size_t I = T.Ix(Cc, Rr);
      T.FObjects[I] = Elem;
      T.FOwned[I] = Owns && Elem;
    }
    T.FHeaderPos[T.Ix(Cc, Rr)] = Pos;
  }

  int Layout(const TRun& O, TGimStat* Stat, int L, int Across, int Along) {
    if (L >= Axis.Count()) return Along;
    TPelPar* Par = Axis.GetItem(L);
    if ((O.MarginMode && Par->FiltersCases()) || (Par == Stats && !O.ShowStats))
      return Layout(O, Stat, L + 1, Across, Along);
    const TOptions Opt = Options(L, Stat);
    const TPelDims D = Dims(Par, Opt);
    const int P = D.X, Lines = D.Y;
    TPelLabels Labels;
    TPelResElemVec Elems;         // owned here until placed
    std::vector<uint8_t> Placed;  // the first cell of its span owns the element
    if (O.WithTexts)
      Labels =
          Cols ? Par->GetLabelList(Opt.Items, Opt.Summary, Opt.Days, O.MarginMode, O.ShowCodes)
               : Par->GetLabelList2D(Opt.Items, Opt.Summary, Opt.Days, O.MarginMode, O.ShowCodes);
    if (O.WithObjects) {
      Elems = Cols ? Par->CreateResElemList(Opt.Items, Opt.Summary, Opt.Days)
                   : Par->CreateResElemList2D(Opt.Items, Opt.Summary, Opt.Days);
      Placed.assign(Elems.size(), 0);
    }
    auto FreeUnplaced = OnScopeExit([&] {
      for (size_t I = 0; I < Elems.size(); ++I)
        if (!Placed[I]) delete Elems[I];
    });
    auto LabelAt = [&](size_t I) -> const std::string* {
      return I < Labels.size() ? &Labels[I] : nullptr;
    };
    auto ElemAt = [&](size_t I) -> TPelResElem* { return I < Elems.size() ? Elems[I] : nullptr; };
    auto Release = [&](size_t I) {
      if (I < Placed.size()) Placed[I] = 1;
    };
    const std::vector<uint8_t> Starts = GroupStarts(Par, Opt, std::max(P, 1));
    for (int I = 0; I < std::max(P, 1); ++I) {
      if (Along > kPelMaxTableCells) RefuseSize(Along);
      const size_t Base = static_cast<size_t>(I) * static_cast<size_t>(Lines);
      const bool GroupStart = Starts[static_cast<size_t>(I)] != 0;
      if (GroupStart) {
        for (int K = 0; K < Lines; ++K) {
          Place(O, Along, Across + K, LabelAt(Base + K), ElemAt(Base + K), true, I);
          if (O.WithObjects && InHeader(Along, Across + K)) Release(Base + K);
        }
        if (O.WithTexts)
          for (int A = Across; A < AcrossCount() - 1; ++A) MergeAcross(Along, A);
        ++Along;
        continue;
      }
      TGimStat* Inner = Par == Stats && !O.MarginMode ? Stats->Stat(I) : Stat;
      int Next = Layout(O, Inner, L + 1, Across + Lines, Along);
      if (Next == Along) Next = Along + 1;
      for (int A = Along; A < Next; ++A)
        for (int K = 0; K < Lines; ++K) {
          const bool First = A == Along;
          Place(O, A, Across + K, First ? LabelAt(Base + K) : nullptr, ElemAt(Base + K), First, I);
          if (First && O.WithObjects && InHeader(A, Across + K)) Release(Base + K);
          if (O.WithTexts && A - 1 >= StartAlong && InHeader(A, Across + K) &&
              T.TextAt(C(A, Across + K), R(A, Across + K)).empty())
            MergeAlong(A - 1, Across + K);
        }
      Along = Next;
    }
    return Along;
  }

  // The margin label is "Total"; otherwise "N =".
  bool MarginIsTotal() const {
    if (!Stats) return true;
    if (T.LayerParams->IndexOf(Stats) >= 0) {
      const TGimStat* S = Stats->Stat(T.ParSelections->GetSelected(Stats));
      if (S && S->DependsOnAxis(CrossAxis())) return false;
    }
    return !(Stats->Stats.Count() > 0 && Stats->Stats.AllDependOnAxis(CrossAxis()));
  }

  // The number of margin lines: with the margins switch and a case-filtering parameter on the
  // axis, the product of the position counts of the non-filtering ones.
  int64_t MarginCount() const {
    if (!Stats || !(Cols ? Stats->RowMargins : Stats->ColMargins)) return 0;
    bool AnyFilter = false;
    for (int L = 0; L < Axis.Count(); ++L) AnyFilter = AnyFilter || Axis.GetItem(L)->FiltersCases();
    if (!AnyFilter) return 0;
    const bool SkipStats = !MarginIsTotal();
    int64_t N = 1;
    for (int L = 0; L < Axis.Count(); ++L) {
      TPelPar* Par = Axis.GetItem(L);
      if (Par->FiltersCases() || (Par == Stats && SkipStats)) continue;
      N *= Dims(Par, Options(L, nullptr)).X;
      if (N > kPelMaxTableCells) RefuseSize(N);
    }
    return N;
  }

  void BuildMargins(bool WithObjects) {
    const int Count = Cols ? T.MarginCols : T.MarginRows;
    if (Count <= 0) return;
    const int First = Cols ? T.FirstDataCol : T.FirstDataRow;
    const bool Total = MarginIsTotal();
    const std::string Label = CurrentLangManager().Translate(Total ? Cp1250("<PLK>Ogółem<ENU>Total")
                                                                   : "<PLK>N =<ENU>N =");
    TRun O;
    O.WithObjects = WithObjects;
    O.WithTexts = true;
    for (int K = 0; K < Count; ++K) {
      std::unique_ptr<TPelResElem> M;
      if (WithObjects) M = std::make_unique<TPelResMargins>(T.Survey);
      Place(O, First + K, 1, K == 0 ? &Label : nullptr, M.get(), true, -1);
      if (WithObjects && InHeader(First + K, 1)) (void)M.release();
      if (K + 1 < Count) MergeAlong(First + K, 1);
    }
    O.ShowCodes = ShowCodes();
    O.ShowStats = Total;
    O.MarginMode = true;
    StartAlong = First;
    Layout(O, nullptr, 0, 2, First);
    const int Lines = Cols ? T.FirstDataRow : T.FirstDataCol;
    for (int K = 0; K < Count; ++K)
      for (int A = 1; A <= Lines - 2; ++A)
        if (!T.ElemAt(C(First + K, A + 1), R(First + K, A + 1))) MergeAcross(First + K, A);
  }

  void BuildHeaders(bool WithObjects) {
    BuildMargins(WithObjects);
    TRun O;
    O.WithObjects = WithObjects;
    O.WithTexts = true;
    O.ShowCodes = ShowCodes();
    StartAlong = (Cols ? T.FirstDataCol + T.MarginCols : T.FirstDataRow + T.MarginRows);
    Layout(O, nullptr, 0, 1, StartAlong);
  }

  // The number of position lines a layout of the data produces (at least 1). A level's count
  // depends only on the statistic header above it, so each is counted once; counts beyond the
  // cell cap are refused before any grid is made.
  int64_t DryCount() { return std::max<int64_t>(Count(0, nullptr), 1); }

  int64_t Count(int L, TGimStat* Stat) {
    if (L >= Axis.Count()) return 0;
    const auto Key = std::make_pair(L, Stat);
    if (auto It = FCounts.find(Key); It != FCounts.end()) return It->second;
    TPelPar* Par = Axis.GetItem(L);
    int64_t N = 0;
    const TOptions Opt = Options(L, Stat);
    const int P = Dims(Par, Opt).X;
    const std::vector<uint8_t> Starts = GroupStarts(Par, Opt, std::max(P, 1));
    for (int I = 0; I < std::max(P, 1); ++I) {
      const bool GroupStart = Starts[static_cast<size_t>(I)] != 0;
      N +=
          GroupStart ? 1 : std::max<int64_t>(Count(L + 1, Par == Stats ? Stats->Stat(I) : Stat), 1);
      if (N > kPelMaxTableCells) RefuseSize(N);
    }
    FCounts[Key] = N;
    return N;
  }
  std::map<std::pair<int, TGimStat*>, int64_t> FCounts;

  bool ShowCodes() const { return Stats && Stats->ShowsCodesForMeans(); }
};

// ---- Grid counts and headers

void TPelRepElemTable::ComputeGridCounts() {
  TPelTableLayout ColLayout(*this, true), RowLayout(*this, false);
  FColLevelRows = ColLayout.LevelLines();
  FRowLevelCols = RowLayout.LevelLines();
  int64_t HeaderRows = 0, HeaderCols = 0;
  for (int N : FColLevelRows) HeaderRows += N;
  for (int N : FRowLevelCols) HeaderCols += N;
  if (HeaderRows > kPelMaxTableCells || HeaderCols > kPelMaxTableCells)
    RefuseSize(std::max(HeaderRows, HeaderCols));
  const int64_t DataCols = ColLayout.DryCount(), DataRows = RowLayout.DryCount();
  const int64_t MCols = ColLayout.MarginCount(), MRows = RowLayout.MarginCount();
  const int64_t Cols = std::max<int64_t>(MCols + DataCols + 1 + HeaderCols, 1);
  const int64_t Rows = std::max<int64_t>(MRows + DataRows + 1 + HeaderRows, 1);
  if (Cols > kPelMaxTableCells || Rows > kPelMaxTableCells || Cols * Rows > kPelMaxTableCells)
    RefuseSize(Cols * Rows);
  FirstDataCol = static_cast<int>(1 + HeaderCols);
  FirstDataRow = static_cast<int>(1 + HeaderRows);
  DataColCount = static_cast<int>(DataCols);
  DataRowCount = static_cast<int>(DataRows);
  MarginCols = static_cast<int>(MCols);
  MarginRows = static_cast<int>(MRows);
  ColCount = static_cast<int>(Cols);
  RowCount = static_cast<int>(Rows);
}

void TPelRepElemTable::ClearHeaderTexts() {
  for (int C = 1; C < std::min(FirstDataCol, ColCount); ++C)
    for (int R = 1; R < RowCount; ++R) SetTextAt(C, R, {});
  for (int R = 1; R < std::min(FirstDataRow, RowCount); ++R)
    for (int C = 1; C < ColCount; ++C) SetTextAt(C, R, {});
}

void TPelRepElemTable::BuildRowHeaders(bool WithObjects) {
  TPelTableLayout(*this, false).BuildHeaders(WithObjects);
}

void TPelRepElemTable::BuildColHeaders(bool WithObjects) {
  TPelTableLayout(*this, true).BuildHeaders(WithObjects);
}

// ---- Cells

void TPelRepElemTable::BuildTableCells(bool ResetValues) {
  TPelRepElemAnalysis* A = Analysis();
  if (A) A->Parameters->SyncAll();
  FreeCells();
  ComputeGridCounts();
  AllocateGrid(ResetValues);
  for (int I = 0; I < LayerParams->Count(); ++I) {
    TPelPar* Par = LayerParams->GetItem(I);
    TPelResElem* E =
        Par->GetItemCount() > 0 ? Par->CreateResElem(ParSelections->GetSelected(Par)) : nullptr;
    FLayerElems.emplace_back(E);
  }
  ClearHeaderTexts();
  BuildRowHeaders(true);
  BuildColHeaders(true);
  TGimWeight* Weight = A ? A->Parameters->Weight : nullptr;
  TPelDataBasedOn* BasedOn = A ? A->Parameters->BasedOn : nullptr;
  for (int C = FirstDataCol; C < ColCount; ++C)
    for (int R = FirstDataRow; R < RowCount; ++R) {
      std::unique_ptr<TPelRes> Cell = MakeCell(Weight, BasedOn);
      bool HeaderOnly = false;
      for (int K = 0; K < FirstDataRow && !HeaderOnly; ++K)
        if (TPelResElem* E = ElemAt(C, K)) {
          HeaderOnly = E->IsHeaderOnly();
          Cell->AddColElem(MakeRef(E));
        }
      for (int K = 0; K < FirstDataCol && !HeaderOnly; ++K)
        if (TPelResElem* E = ElemAt(K, R)) {
          HeaderOnly = E->IsHeaderOnly();
          Cell->AddRowElem(MakeRef(E));
        }
      if (HeaderOnly) continue;
      for (const auto& E : FLayerElems)
        if (E) Cell->AddLayerElem(MakeRef(E.get()));
      Cell->UseMeanForNumericResponse();
      TPelRes* P = Cell.get();
      const size_t I = Ix(C, R);
      FObjects[I] = Cell.release();
      FOwned[I] = 1;
      if (P->TryDirectValue()) {
        std::string Text;
        double Value = 0;
        P->GetDisplayText(Text, Value);
        FValues[I] = Value;
        FTexts[I] = std::move(Text);
        FDirect[I] = 1;
      }
    }
  FSpareCells.clear();
  FSpareRefs.clear();
}

void TPelRepElemTable::Calculate() {
  TPelRepElemAnalysis* A = Analysis();
  if (!A) return;
  A->CheckCalculable();
  TPelResManager Manager(Survey, A->Parameters->BasedOn);
  BuildTableCells(true);
  std::vector<TPelRes*> Cells;
  for (int C = 1; C < ColCount; ++C)
    for (int R = 1; R < RowCount; ++R)
      if (TPelRes* Cell = CellAt(C, R); Cell && !FDirect[Ix(C, R)]) Cells.push_back(Cell);
  Manager.CalculateTable(Cells);
  ApplySort();
  HideEmptyLines();
  MarkSignificance();
  FormatCellTexts();
  const int R = Manager.R;
  if (R >= 0 && static_cast<size_t>(R) < Manager.LayerSum.size() &&
      static_cast<size_t>(R) < Manager.LayerCount.size()) {
    LayerNW = Manager.LayerSum[static_cast<size_t>(R)];
    LayerNA = Manager.LayerCount[static_cast<size_t>(R)];
    LayerNKnown = true;
  }
  Calculated = true;
}

}  // namespace quin
