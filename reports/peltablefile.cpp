// The table's block in report files: its axes, selections, sort keys, charts, the stored
// results with their marks, and the desktop grid's sizes. Stored results are used only when
// they fit the grid that the axes give exactly; otherwise the table is stale and the analysis
// recalculates it. Sizes always come from the axes, never from counts in the file.
#include <cfenv>
#include <climits>
#include <cmath>

#include "analysis/pelres.h"
#include "analysis/pelsortparams.h"
#include "base/format.h"
#include "base/text.h"
#include "deflang/rixscanner.h"
#include "deflang/rixwriter.h"
#include "reports/pelrepanalysis.h"
#include "reports/peltable.h"
#include "surveykit/gimreading.h"
#include "surveykit/gimstat.h"

namespace quin {

namespace {

// Value rounded to the nearest integer, halves to even; False for a value that is no number
// or lies beyond the integers.
bool RoundHalfEven(double Value, int32_t& Result) {
  if (!std::isfinite(Value)) return false;
  const int Saved = std::fegetround();
  std::fesetround(FE_TONEAREST);
  const double R = std::nearbyint(Value);
  std::fesetround(Saved);
  if (R < static_cast<double>(INT32_MIN) || R > static_cast<double>(INT32_MAX)) return false;
  Result = static_cast<int32_t>(R);
  return true;
}

bool AtStatementEnd(const TRixScanner& S) {
  return S.Token->Is<TOrvTokenEOF>() || S.Token->Is<TRixTokenDefStart>() ||
         S.Token->Is<TRixTokenDefEnd>();
}

}  // namespace

class TPelTableReader {
 public:
  TPelTableReader(TPelRepElemTable& ATable, TRixScanner& AScanner, bool& AStale)
      : T(ATable), S(AScanner), Stale(AStale) {}

  TPelRepElemTable& T;
  TRixScanner& S;
  bool& Stale;
  bool ResultsRead = false;
  bool BaseDiffsRead = false;
  bool SigDiffsRead = false;
  std::vector<int> BaseDiffs, SigDiffs;
  // The grid the stored figures were read into.
  int Cols = 0, Rows = 0, FirstCol = 0, FirstRow = 0;

  bool SameGrid() const {
    return T.ColCount == Cols && T.RowCount == Rows && T.FirstDataCol == FirstCol &&
           T.FirstDataRow == FirstRow;
  }
  void NoteGrid() {
    Cols = T.ColCount;
    Rows = T.RowCount;
    FirstCol = T.FirstDataCol;
    FirstRow = T.FirstDataRow;
  }

  TPelParList* Pars() const {
    TPelRepElemAnalysis* A = T.Analysis();
    return A ? A->Parameters.get() : nullptr;
  }

  // The grid of the axes, allocated; False (stale) when the axes give a table beyond the cap.
  bool SizeFromAxes(bool Allocate) {
    try {
      T.ComputeGridCounts();
    } catch (const EPelTableTooLarge&) {
      return false;
    }
    if (Allocate) T.AllocateGrid(true);
    return true;
  }

  // A list of cell items after "=", from the first data cell on, row by row; each item read
  // by Take (False: not an item). True when the list ended exactly after the last cell.
  template <class TTake>
  bool ReadCellList(TTake&& Take) {
    const int Width = T.ColCount - T.FirstDataCol;
    const int64_t Cells = static_cast<int64_t>(Width) * (T.RowCount - T.FirstDataRow);
    int64_t N = 0;
    for (;;) {
      if (AtStatementEnd(S)) return false;
      if (N >= Cells || !Take(T.FirstDataCol + static_cast<int>(N % Width),
                              T.FirstDataRow + static_cast<int>(N / Width))) {
        S.SkipStatement(false);
        return false;
      }
      ++N;
      if (S.Accept(TRixTokenListSep::StaticClass())) continue;
      if (S.Accept(TRixTokenInstrSep::StaticClass())) return N == Cells;
      S.AddMsgAt(TRixMsgError_InstrSepExpected, S.Token->StartPos);
    }
  }

  bool ReadResults() {
    if (!S.ReadDefSimpleStart("results")) return RixKeyTaken(S, false);
    if (Stale) {
      S.SkipStatement(false);
      return true;
    }
    if (!SizeFromAxes(true)) {
      Stale = true;
      S.SkipStatement(false);
      return true;
    }
    NoteGrid();
    ResultsRead = ReadCellList([&](int C, int R) {
      const auto* B = As<TOrvTokenBinData>(S.Token.get());
      double V = 0;
      if (!B || !TryBytesToDouble(B->Bytes, V)) return false;
      T.SetValueAt(C, R, V);
      S.NextToken();
      return true;
    });
    if (!ResultsRead) Stale = true;
    return true;
  }

  bool ReadMarks(std::string_view Key, std::vector<int>& Marks, bool& Read) {
    if (!S.ReadDefSimpleStart(Key)) return RixKeyTaken(S, false);
    if (Stale || !SizeFromAxes(false) || (ResultsRead && !SameGrid())) {
      Stale = true;
      S.SkipStatement(false);
      return true;
    }
    Marks.assign(static_cast<size_t>(T.ColCount) * static_cast<size_t>(T.RowCount), 0);
    Read = ReadCellList([&](int C, int R) {
      if (!S.Token->Is<TOrvTokenNumber>() && !S.Token->Is<TRixTokenMinus>()) return false;
      double V = 0;
      int32_t I = 0;
      if (!S.ParseNumber(V) || !RoundHalfEven(V, I)) return false;
      Marks[T.Ix(C, R)] = I;
      return true;
    });
    if (!Read) Stale = true;
    return true;
  }

  bool ReadAxis(std::string_view Key, void (TPelRepElemTable::*Add)(TPelPar*, bool)) {
    if (!S.ReadDefSimpleStart(Key)) return RixKeyTaken(S, false);
    if (const auto* Id = As<TOrvTokenIdentifier>(S.Token.get())) {
      if (SameText(Id->GetText(), "NULL")) {
        S.NextToken();
        S.Expect(TRixTokenInstrSep::StaticClass(), TRixMsgError_InstrSepExpected, true);
      } else {
        S.AddMsgAt(TRixMsgError_UnknownKey, S.Token->StartPos);
        S.SkipStatement(false);
      }
      return true;
    }
    std::unique_ptr<TRixIntegerList> List;
    if (!S.ParseIntegerList(List) || !List) return true;
    TPelParList* P = Pars();
    for (int I = 0; I < List->Count(); ++I) {
      const int32_t V = List->GetItem(I)->Value();
      if (P && V >= 0 && V < P->Count()) (T.*Add)(P->GetItem(V), false);
    }
    return true;
  }

  template <class TArr>
  bool ReadArray(std::string_view Key, TArr& Array) {
    if (!S.ReadDefSimpleStart(Key)) return RixKeyTaken(S, false);
    Array.clear();
    if (Stale) {
      S.SkipStatement(false);
      return true;
    }
    std::unique_ptr<TRixIntegerList> List;
    if (!S.ParseIntegerList(List) || !List) return true;
    for (int I = 0; I < List->Count(); ++I) {
      const int32_t V = List->GetItem(I)->Value();
      if constexpr (std::is_same_v<typename TArr::value_type, uint8_t>)
        Array.push_back(V != 0);
      else
        Array.push_back(V);
    }
    return true;
  }

  bool ReadLayerN() {
    double V = 0;
    if (S.ReadDoubleBin("layerN", V)) {
      int32_t A = 0;
      if (RoundHalfEven(V, A)) {
        T.LayerNW = V;
        T.LayerNA = A;
        T.LayerNKnown = true;
      }
      return true;
    }
    if (RixKeyTaken(S, false)) return true;
    if (S.ReadDoubleBin("layerNW", V)) {
      T.LayerNW = V;
      T.LayerNKnown = true;
      return true;
    }
    if (RixKeyTaken(S, false)) return true;
    int32_t A = 0;
    if (S.ReadInteger("layerNA", A)) {
      T.LayerNA = A;
      T.LayerNKnown = true;
      return true;
    }
    return RixKeyTaken(S, false);
  }

  bool ReadKey() {
    if (T.ReadElemKey(S)) return true;
    if (ReadAxis("colParams", &TPelRepElemTable::AddColPar) ||
        ReadAxis("rowParams", &TPelRepElemTable::AddRowPar) ||
        ReadAxis("layerParams", &TPelRepElemTable::AddLayerPar))
      return true;
    if (RixKeyTaken(S, S.ReadBoolean("calculated", T.Calculated))) return true;
    int32_t Ignored = 0;
    // The grid's size comes from the axes; the stored one is only a check on the results.
    if (RixKeyTaken(S, S.ReadInteger("colCount", Ignored)) ||
        RixKeyTaken(S, S.ReadInteger("rowCount", Ignored)))
      return true;
    if (ReadResults() || ReadMarks("baseDiffs", BaseDiffs, BaseDiffsRead) ||
        ReadMarks("sigDiffs", SigDiffs, SigDiffsRead))
      return true;
    if (ReadArray("rowHeights", T.RowHeights) || ReadArray("colWidths", T.ColWidths) ||
        ReadArray("rowHidden", T.RowHidden) || ReadArray("colHidden", T.ColHidden))
      return true;
    if (ReadLayerN()) return true;
    // "selection" and keys of other versions are passed over.
    S.SkipStatement(true);
    return true;
  }

  bool ReadBlock() {
    TPelParList* P = Pars();
    if (S.ReadDefComplexStart("parSelections")) {
      if (P)
        T.ParSelections->ReadFromScanner(S, *P);
      else
        S.SkipDef(S.Token->StartPos);
      return true;
    }
    for (int Kind : {1, 2}) {
      TPelSortDataInfoList& L = Kind == 1 ? T.SortParams->ColSorts : T.SortParams->RowSorts;
      if (!S.ReadDefComplexStart(L.BlockName)) continue;
      L.ReadFromScanner(T.Survey, S);
      L.SetKind(Kind);
      return true;
    }
    return T.ReadChildBlock(S, Stale);
  }

  void Read() {
    if (TPelParList* P = Pars()) T.ParSelections->InitFromPars(*P);
    TGimBlockReader R;
    R.Key = [this](TRixScanner&) { return ReadKey(); };
    R.Block = [this](TRixScanner&, const TOrvTextPos&) { return ReadBlock(); };
    R.Read(S);
    // Results, base differences and significance marks belong together: without any one of
    // them the stored figures are not used.
    if (!ResultsRead || !BaseDiffsRead || !SigDiffsRead) Stale = true;
    if (!Stale) {
      try {
        T.BuildTableCells(false);
        // Axes read after the figures may give another grid.
        const size_t N = static_cast<size_t>(T.ColCount) * static_cast<size_t>(T.RowCount);
        if (SameGrid() && BaseDiffs.size() == N && SigDiffs.size() == N)
          T.RestoreCells(BaseDiffs, SigDiffs);
        else
          Stale = true;
      } catch (const EPelTableTooLarge&) {
        Stale = true;
      }
    }
    T.RelinkSortKeys();
    if (!Stale) T.ApplySort();
  }
};

void TPelRepElemTable::ReadBody(TRixScanner& Scanner, bool& Stale) {
  TPelTableReader(*this, Scanner, Stale).Read();
}

void TPelRepElemTable::RestoreCells(const std::vector<int>& BaseDiffs,
                                    const std::vector<int>& SigDiffs) {
  for (int C = 1; C < ColCount; ++C)
    for (int R = 1; R < RowCount; ++R) {
      TPelRes* Cell = CellAt(C, R);
      if (!Cell) continue;
      const double V = ValueAt(C, R);
      Cell->Value = V;
      Cell->NoData = V == GimValueNoData;
      Cell->Empty = V == GimValueEmpty;
      Cell->NotDefined = V == GimValueNotDefined;
      std::string Text;
      double Shown = V;
      Cell->GetDisplayText(Text, Shown);
      SetTextAt(C, R, std::move(Text));
      const size_t I = Ix(C, R);
      Cell->BaseDiff = I < BaseDiffs.size() && BaseDiffs[I] != 0;
      Cell->SigMark = I < SigDiffs.size() ? std::clamp(SigDiffs[I], -1, 1) : 0;
    }
}

void PelRelinkDataInfo(TPelTableDataInfo& Info, const TPelParList& Axis) {
  for (int E = 0; E < Info.Elems.Count(); ++E) {
    TPelResElem* El = Info.Elems.GetItem(E);
    if (!IsNullGUID(El->SubParGUID)) El->Par = Axis.FindMultiParBySubParGUID(El->SubParGUID);
  }
}

void TPelRepElemTable::RelinkSortKeys() {
  for (int Kind : {1, 2}) {
    TPelSortDataInfoList& Keys = Kind == 1 ? SortParams->ColSorts : SortParams->RowSorts;
    // Cell addresses name the elements of the lines they sort by; parameter keys the crossing
    // axis's parameter.
    const TPelParList& CellAxis = Kind == 1 ? *ColParams : *RowParams;
    const TPelParList& ParAxis = Kind == 1 ? *RowParams : *ColParams;
    for (int I = Keys.Count() - 1; I >= 0; --I) {
      TPelSortDataInfo* K = Keys.GetItem(I);
      if (K->SortParIndex < 0) {
        PelRelinkDataInfo(*K, CellAxis);
      } else if (K->SortParIndex < ParAxis.Count()) {
        K->Par = ParAxis.GetItem(K->SortParIndex);
      } else {
        Keys.Delete(I);
      }
    }
  }
}

// ---- Writing

namespace {

std::string Positions(const TPelParList& Axis, const TPelParList* Pars) {
  std::string S;
  for (int I = 0; I < Axis.Count(); ++I) {
    const int P = Pars ? Pars->IndexOf(Axis.GetItem(I)) : -1;
    if (P < 0) continue;
    if (!S.empty()) S += ", ";
    S += IntToStr(P);
  }
  return S.empty() ? "NULL" : S;
}

template <class TArr>
std::string Joined(const TArr& A) {
  std::string S;
  for (size_t I = 0; I < A.size(); ++I) {
    if (I) S += ", ";
    S += IntToStr(A[I]);
  }
  return S;
}

// Width values extended to Count entries, new ones copying the previous (Default first).
std::vector<int32_t> Extended(std::vector<int32_t> A, int Count, int32_t Default) {
  while (static_cast<int>(A.size()) < Count) A.push_back(A.empty() ? Default : A.back());
  return A;
}

}  // namespace

void TPelRepElemTable::WriteKeys(TStream& Stream, int& Indent) const {
  TPelRepElem::WriteKeys(Stream, Indent);
  const TPelRepElemAnalysis* A = Analysis();
  const TPelParList* Pars = A ? A->Parameters.get() : nullptr;
  WriteKeyValue(Stream, Indent, "colParams", "", Positions(*ColParams, Pars));
  WriteKeyValue(Stream, Indent, "rowParams", "", Positions(*RowParams, Pars));
  WriteKeyValue(Stream, Indent, "layerParams", "", Positions(*LayerParams, Pars));
  if (Pars) ParSelections->WriteToStream(Stream, Indent, *Pars);
  if (Calculated) WriteKeyBoolean(Stream, Indent, "calculated", "", true);
  SortParams->ColSorts.WriteToStream(Stream, Indent);
  SortParams->RowSorts.WriteToStream(Stream, Indent);
  WriteKeyInteger(Stream, Indent, "colCount", "", ColCount);
  WriteKeyInteger(Stream, Indent, "rowCount", "", RowCount);
  // Figures only for a grid whose cells hold them, calculated or restored: a table never laid
  // out, or one whose stored figures were not used (stale), is recalculated after reading, not
  // shown with figures it never took.
  bool HasCells = false;
  if (FValues.size() == static_cast<size_t>(ColCount) * static_cast<size_t>(RowCount))
    for (int C = FirstDataCol; C < ColCount && !HasCells; ++C)
      for (int R = FirstDataRow; R < RowCount && !HasCells; ++R) HasCells = CellAt(C, R) != nullptr;
  if (HasCells) {
    auto WriteCells = [&](std::string_view Key, auto&& Item) {
      WriteIndentedLine(Stream, Indent, std::string(Key) + " =");
      int Inner = Indent + 2;
      for (int R = FirstDataRow; R < RowCount; ++R) {
        std::string Line;
        for (int C = FirstDataCol; C < ColCount; ++C) {
          Line += Item(C, R);
          Line += C == ColCount - 1 && R == RowCount - 1 ? ";" : ", ";
        }
        WriteIndentedLine(Stream, Inner, Line);
      }
    };
    WriteCells("results", [&](int C, int R) { return DoubleToHexText("$", ValueAt(C, R)); });
    WriteCells("baseDiffs", [&](int C, int R) {
      const TPelRes* Cell = CellAt(C, R);
      return IntToStr(Cell && Cell->BaseDiff ? 1 : 0);
    });
    WriteCells("sigDiffs", [&](int C, int R) {
      const TPelRes* Cell = CellAt(C, R);
      return IntToStr(Cell ? Cell->SigMark : 0);
    });
  }
  const std::vector<int32_t> Widths = Extended(ColWidths, ColCount, 64);
  const std::vector<int32_t> Heights = Extended(RowHeights, RowCount, 16);
  if (!Widths.empty()) WriteKeyValue(Stream, Indent, "colWidths", "", Joined(Widths));
  if (!Heights.empty()) WriteKeyValue(Stream, Indent, "rowHeights", "", Joined(Heights));
  if (!ColHidden.empty()) WriteKeyValue(Stream, Indent, "colHidden", "", Joined(ColHidden));
  if (!RowHidden.empty()) WriteKeyValue(Stream, Indent, "rowHidden", "", Joined(RowHidden));
  if (LayerNKnown) {
    WriteKeyDoubleBin(Stream, Indent, "layerNW", "", LayerNW);
    WriteKeyInteger(Stream, Indent, "layerNA", "", LayerNA);
  }
}

}  // namespace quin
