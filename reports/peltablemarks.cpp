// The passes that finish a calculated table (hiding of empty lines, significance marks, cell
// texts), reading a cell's text back by visible position, the cells' presentation, the header
// paths and the table's own description.
#include <algorithm>

#include "analysis/pelparbase.h"
#include "analysis/pelparstats.h"
#include "analysis/pelres.h"
#include "base/format.h"
#include "base/langmanager.h"
#include "base/orvstrings.h"
#include "base/scopeguard.h"
#include "base/text.h"
#include "reports/pelrepanalysis.h"
#include "reports/peltable.h"

namespace quin {

// ---- Hiding

namespace {

// Whether a computable cell has cases under hiding mode 1: its base holds some. A count has
// no base of its own (its base is the empty sentinel): its own cases decide.
bool HasCases(const TPelRes& Cell) {
  return IsRealValue(Cell.BaseA) ? Cell.BaseA > 0 : Cell.CellA > 0;
}

// Whether the cells of one line make it empty under Mode: at least one result cell, none
// computable with cases (mode 1) or a value other than 0 (other modes); a limit-row cell or
// one that cannot be defined keeps the line.
template <class TCells>
bool LineEmpty(int Mode, TCells&& ForEachCell) {
  bool AnyCell = false, Kept = false;
  ForEachCell([&](const TPelRes& Cell) {
    AnyCell = true;
    if (Cell.OnLimitRow() || Cell.NotDefined) {
      Kept = true;
      return;
    }
    if (!Cell.IsComputable()) return;
    if (Mode == 1 ? HasCases(Cell) : Cell.Value != 0) Kept = true;
  });
  return AnyCell && !Kept;
}

}  // namespace

void TPelRepElemTable::HideEmptyLines() {
  const TPelParStats* Stats = StatsPar();
  if (!Stats || Stats->HideRowsCols == 0 || ColHidden.size() != static_cast<size_t>(ColCount) ||
      RowHidden.size() != static_cast<size_t>(RowCount))
    return;
  HideEmptyLinesOf(true, Stats->HideRowsCols);
  HideEmptyLinesOf(false, Stats->HideRowsCols);
  InvalidateVisible();
}

void TPelRepElemTable::HideEmptyLinesOf(bool Rows, int Mode) {
  std::vector<uint8_t>& Hidden = Rows ? RowHidden : ColHidden;
  const int First = Rows ? FirstDataRow : FirstDataCol, Count = Rows ? RowCount : ColCount;
  const int CrossFirst = Rows ? FirstDataCol : FirstDataRow, Cross = Rows ? ColCount : RowCount;
  auto Cell = [&](int K, int X) { return Rows ? CellAt(X, K) : CellAt(K, X); };
  bool AnyKept = false;
  for (int K = Count - 1; K >= First; --K) {
    // Rows of group titles are neither hidden nor counted.
    bool Title = false;
    for (int C = 1; Rows && C < FirstDataCol && !Title; ++C)
      if (const TPelResElem* E = ElemAt(C, K)) Title = E->IsQuestionTitle();
    if (Title) continue;
    const bool Empty = LineEmpty(Mode, [&](auto&& Visit) {
      for (int X = CrossFirst; X < Cross; ++X)
        if (const TPelRes* C = Cell(K, X)) Visit(*C);
    });
    if (Empty)
      Hidden[static_cast<size_t>(K)] = 1;
    else
      AnyKept = true;
  }
  if (!AnyKept)
    for (int K = First; K < Count; ++K) Hidden[static_cast<size_t>(K)] = 0;
}

// ---- Significance marks

void TPelRepElemTable::MarkSignificance() {
  const TPelNeighbourFinder Finder = [this](int A, int B, int StepRow, int StepCol) {
    return FindNeighbourCell(A, B, StepRow, StepCol);
  };
  const int Cols = VisibleColCount(), Rows = VisibleRowCount();
  for (int A = 1; A < Cols; ++A)
    for (int B = 1; B < Rows; ++B)
      if (TPelRes* Cell = As<TPelRes>(GetCellObject(A, B))) Cell->TestSignificance(A, B, Finder);
}

namespace {

bool FiltersCases(const TPelResElem* E) {
  const TPelPar* P = E ? E->GetPar() : nullptr;
  return P && P->FiltersCases();
}

// The neighbour's coordinates along the step match the starting cell's: as many elements,
// parameters of the same classes, and the same outer case-filtering header element.
bool SameCoordinates(const TPelResElemList& Own, const TPelResElemList& Other) {
  if (Own.Count() != Other.Count()) return false;
  for (int I = Own.Count() - 1; I >= 0; --I) {
    const TPelPar* P1 = Own.GetItem(I)->GetPar();
    const TPelPar* P2 = Other.GetItem(I)->GetPar();
    if ((P1 == nullptr) != (P2 == nullptr)) return false;
    if (P1 && &P1->ClassType() != &P2->ClassType()) return false;
  }
  int I = Own.Count() - 1;
  while (I >= 0 && !FiltersCases(Own.GetItem(I))) --I;
  for (--I; I >= 0; --I)
    if (FiltersCases(Own.GetItem(I))) return Own.GetElem(I) == Other.GetElem(I);
  return true;
}

}  // namespace

TPelNeighbour TPelRepElemTable::FindNeighbourCell(int A, int B, int StepRow, int StepCol) {
  TPelRes* Start = As<TPelRes>(GetCellObject(A, B));
  if (StepRow == 0 && StepCol == 0) return {Start, A, B};
  if (!Start) return {};
  const int Cols = VisibleColCount(), Rows = VisibleRowCount();
  int A2 = A + StepCol, B2 = B + StepRow;
  for (; A2 >= FirstDataCol && A2 < Cols && B2 >= FirstDataRow && B2 < Rows;
       A2 += StepCol, B2 += StepRow) {
    TPelRes* Cell = As<TPelRes>(GetCellObject(A2, B2));
    if (!Cell || Cell->Stat != Start->Stat || Cell->BaseKind != Start->BaseKind) continue;
    const bool AcrossCols = StepCol != 0;
    const TPelResElemList& Own = AcrossCols ? Start->ColElems : Start->RowElems;
    const TPelResElemList& Other = AcrossCols ? Cell->ColElems : Cell->RowElems;
    if (!SameCoordinates(Own, Other)) return {};
    return {Cell, A2, B2};
  }
  return {};
}

// ---- Cell texts

void TPelRepElemTable::FormatCellTexts() {
  for (int C = 1; C < ColCount; ++C)
    for (int R = 1; R < RowCount; ++R)
      if (TPelRes* Cell = CellAt(C, R)) {
        std::string Text;
        double Value = 0;
        Cell->GetDisplayText(Text, Value);
        SetValueAt(C, R, Value);
        SetTextAt(C, R, std::move(Text));
      }
}

std::string TPelRepElemTable::GetCellText(int A, int B) const {
  const int C = GridCol(A), R = GridRow(B);
  if (!InGrid(C, R)) return {};
  if (IsMergedRight(A - 1, B) || IsMergedDown(A, B - 1)) return {};
  // A header label of a moved line: the label of the span it lies in.
  if (A >= 1 && A < FirstDataCol && B >= FirstDataRow && R != B) {
    for (int K = R; K >= 0; --K) {
      if (!TextAt(C, K).empty()) return TextAt(C, K);
      if (K == 0 || !MergeDownAt(C, K - 1)) break;
    }
    return {};
  }
  if (B >= 1 && B < FirstDataRow && A >= FirstDataCol && C != A) {
    for (int K = C; K >= 0; --K) {
      if (!TextAt(K, R).empty()) return TextAt(K, R);
      if (K == 0 || !MergeRightAt(K - 1, R)) break;
    }
    return {};
  }
  std::string Text = TextAt(C, R);
  const TPelRes* Cell = CellAt(C, R);
  if (!Cell) return Text;
  if (Cell->BaseKind == 0) {
    const TPelParStats* Stats = StatsPar();
    if (Stats && (Stats->SigPct || Stats->SigMeans || Stats->RecsetDiff)) Text += "  ";
  } else {
    const TPelRepElemAnalysis* An = Analysis();
    const auto* Base =
        An ? As<TPelParDefBase>(An->Parameters->FindByClass(TPelParDefBase::StaticClass(), false))
           : nullptr;
    if (Base && Base->ShowsBaseOnlyForMissing() && !Cell->BaseDiff) Text.clear();
  }
  return Text;
}

// ---- Presentation

TColor TPelRepElemTable::CellBgColor(int A, int B) const {
  if (IsLimitCell(A, B)) return kPelLimitCellColor;
  if (A < FirstDataCol || B < FirstDataRow) return kPelHeaderColor;
  return clWindow;
}

TColor TPelRepElemTable::CellFontColor(int A, int B) const {
  if (IsLimitCell(A, B) || A < FirstDataCol || B < FirstDataRow) return clWindowText;
  const TPelRes* Cell = As<TPelRes>(GetCellObject(A, B));
  if (!Cell) return clWindowText;
  if (Cell->IsBaseCell()) return kPelBaseFontColor;
  if (Cell->BaseDiff) return kPelBaseDiffFontColor;
  return clWindowText;
}

TPelCellAlign TPelRepElemTable::CellAlignment(int A, int B) const {
  if (A == 0 && B > 0) return TPelCellAlign::Left;
  if (B == 0) return TPelCellAlign::Center;
  if (As<TPelRes>(GetCellObject(A, B))) return TPelCellAlign::Right;
  if (B < FirstDataRow) return TPelCellAlign::Center;
  return TPelCellAlign::Left;
}

int TPelRepElemTable::CellFontStyle(int A, int B) const {
  if (const auto* E = As<TPelResElem>(GetCellObject(A, B)); E && E->IsQuestionTitle()) return 1;
  const int C = GridCol(A), R = GridRow(B);
  if (MarginRows > 0 && C == 1 && R == FirstDataRow) return 1;
  if (MarginCols > 0 && R == 1 && C == FirstDataCol) return 1;
  return 0;
}

// ---- Header paths

namespace {

std::string JoinPath(const std::vector<std::string>& Parts) {
  std::string P;
  for (const std::string& S : Parts) {
    if (S.empty()) continue;
    if (!P.empty()) P += ": ";
    P += S;
  }
  return P;
}

}  // namespace

std::string TPelRepElemTable::ColHeaderPath(int A) const { return HeaderPath(true, A); }

std::string TPelRepElemTable::RowHeaderPath(int B) const { return HeaderPath(false, B); }

std::string TPelRepElemTable::HeaderPath(bool Cols, int Line) const {
  std::vector<std::string> Parts;
  for (int H = 1; H < (Cols ? FirstDataRow : FirstDataCol); ++H) {
    // An empty label takes the first one before it on its header line.
    std::string T;
    for (int K = Line; K >= 1 && T.empty(); --K)
      T = TrimChar(Cols ? GetCellText(K, H) : GetCellText(H, K), ' ');
    Parts.push_back(std::move(T));
  }
  return JoinPath(Parts);
}

// ---- Description

std::string TPelRepElemTable::GetInfoText(int Options) {
  std::string Text;
  if (LayerNKnown)
    Text += CurrentLangManager().Translate(Cp1250("<PLK>N (nie ważone)<ENU>N (not weighted)")) +
            " = " +
            Format("%1.0n", {static_cast<double>(LayerNA)}, CurrentLangManager().FormatSettings) +
            "\r\n\r\n";
  TPelRepElemAnalysis* An = Analysis();
  if (!An) return Text;
  TPelParList& Pars = *An->Parameters;
  auto Untell = OnScopeExit([&] {
    for (int I = 0; I < Pars.Count(); ++I) {
      TPelPar* P = Pars.GetItem(I);
      P->TableCols = P->TableRows = P->TableLayers = nullptr;
      P->TableLayerSelections = nullptr;
    }
  });
  for (int I = 0; I < Pars.Count(); ++I) {
    TPelPar* P = Pars.GetItem(I);
    P->TableCols = ColParams.get();
    P->TableRows = RowParams.get();
    P->TableLayers = LayerParams.get();
    P->TableLayerSelections = ParSelections.get();
  }
  for (int I = 0; I < Pars.Count(); ++I) {
    TPelPar* P = Pars.GetItem(I);
    std::string Comment;
    if ((ColParams->IndexOf(P) >= 0 || RowParams->IndexOf(P) >= 0) && P->HasDimInfoText())
      Comment = P->GetDimInfoText(Options, -1);
    else if (LayerParams->IndexOf(P) >= 0)
      Comment = P->GetItemInfoText(Options, ParSelections->GetSelected(P));
    if (!Comment.empty()) Text += Comment + "\r\n";
  }
  return Text;
}

}  // namespace quin
