#include "reports/peltable.h"

#include <algorithm>
#include <new>
#include <typeinfo>

#include "analysis/pelparstats.h"
#include "analysis/pelres.h"
#include "analysis/pelsortparams.h"
#include "base/langmanager.h"
#include "base/text.h"
#include "reports/pelrepanalysis.h"

namespace quin {

QUIN_IMPLEMENT_ABSTRACT_CLASS(TPelRepElemTable, TPelRepElem)

namespace {

const std::string kNoText;

std::string Translated(std::string_view Utf8) {
  return CurrentLangManager().Translate(Cp1250(Utf8));
}

}  // namespace

TPelRepElemTable::TPelRepElemTable(TPelRepElem* AAnalysis, TPelSurvey* ASurvey)
    : TPelRepElem(AAnalysis, ASurvey),
      ColParams(std::make_unique<TPelParList>(ASurvey, false)),
      RowParams(std::make_unique<TPelParList>(ASurvey, false)),
      LayerParams(std::make_unique<TPelParList>(ASurvey, false)),
      ParSelections(std::make_unique<TPelParSelections>()),
      SortParams(std::make_unique<TPelTableSortParams>()) {
  Number = 1;
}

TPelRepElemTable::~TPelRepElemTable() {
  // Nothing is kept for a next build.
  for (size_t I = 0; I < FObjects.size(); ++I)
    if (FOwned[I]) delete FObjects[I];
  FLayerElems.clear();
}

// ---- Grids

const std::string& TPelRepElemTable::TextAt(int C, int R) const {
  return InGrid(C, R) && Ix(C, R) < FTexts.size() ? FTexts[Ix(C, R)] : kNoText;
}

void TPelRepElemTable::SetTextAt(int C, int R, std::string Text) {
  if (InGrid(C, R) && Ix(C, R) < FTexts.size()) FTexts[Ix(C, R)] = std::move(Text);
}

double TPelRepElemTable::ValueAt(int C, int R) const {
  return InGrid(C, R) && Ix(C, R) < FValues.size() ? FValues[Ix(C, R)] : 0.0;
}

void TPelRepElemTable::SetValueAt(int C, int R, double Value) {
  if (InGrid(C, R) && Ix(C, R) < FValues.size()) FValues[Ix(C, R)] = Value;
}

TOrvObject* TPelRepElemTable::ObjectAt(int C, int R) const {
  return InGrid(C, R) && Ix(C, R) < FObjects.size() ? FObjects[Ix(C, R)] : nullptr;
}

TPelRes* TPelRepElemTable::CellAt(int C, int R) const { return As<TPelRes>(ObjectAt(C, R)); }

TPelResElem* TPelRepElemTable::ElemAt(int C, int R) const {
  return As<TPelResElem>(ObjectAt(C, R));
}

bool TPelRepElemTable::OwnedAt(int C, int R) const {
  return InGrid(C, R) && Ix(C, R) < FOwned.size() && FOwned[Ix(C, R)];
}

bool TPelRepElemTable::MergeRightAt(int C, int R) const {
  return InGrid(C, R) && Ix(C, R) < FMergeRight.size() && FMergeRight[Ix(C, R)];
}

bool TPelRepElemTable::MergeDownAt(int C, int R) const {
  return InGrid(C, R) && Ix(C, R) < FMergeDown.size() && FMergeDown[Ix(C, R)];
}

void TPelRepElemTable::SetMergeRight(int C, int R, bool Value) {
  if (InGrid(C, R) && Ix(C, R) < FMergeRight.size()) FMergeRight[Ix(C, R)] = Value;
}

void TPelRepElemTable::SetMergeDown(int C, int R, bool Value) {
  if (InGrid(C, R) && Ix(C, R) < FMergeDown.size()) FMergeDown[Ix(C, R)] = Value;
}

int TPelRepElemTable::HeaderPosAt(int C, int R) const {
  return InGrid(C, R) && Ix(C, R) < FHeaderPos.size() ? FHeaderPos[Ix(C, R)] : -1;
}

void TPelRepElemTable::ClearCellObject(int C, int R) {
  const size_t I = Ix(C, R);
  if (I >= FObjects.size()) return;
  if (FOwned[I]) delete FObjects[I];
  FObjects[I] = nullptr;
  FOwned[I] = 0;
}

void TPelRepElemTable::AllocateGrid(bool ResetValues) {
  FreeCellObjects();
  const size_t N = static_cast<size_t>(ColCount) * static_cast<size_t>(RowCount);
  // Values survive a rebuild without reset only where the grid keeps its shape; a grid of
  // another size starts from zeros.
  if (ResetValues || FValues.size() != N) FValues.assign(N, 0.0);
  FTexts.assign(N, std::string());
  FObjects.assign(N, nullptr);
  FOwned.assign(N, 0);
  FMergeRight.assign(N, 0);
  FMergeDown.assign(N, 0);
  FHeaderPos.assign(N, -1);
  FDirect.assign(N, 0);
  if (ResetValues) {
    ColHidden.assign(static_cast<size_t>(ColCount), 0);
    RowHidden.assign(static_cast<size_t>(RowCount), 0);
  } else {
    ColHidden.resize(static_cast<size_t>(ColCount), 0);
    RowHidden.resize(static_cast<size_t>(RowCount), 0);
  }
  SortParams->ResetOrder(/*Reset1=*/true, /*Reset2=*/true, /*ClearKeys=*/false, RowCount, ColCount);
  InvalidateVisible();
}

void TPelRepElemTable::FreeCells() {
  FreeCellObjects();
  FLayerElems.clear();
}

void TPelRepElemTable::FreeCellObjects() {
  auto IsCell = [](const TOrvObject* Obj) { return Obj && typeid(*Obj) == typeid(TPelRes); };
  size_t Cells = 0;
  for (size_t I = 0; I < FObjects.size(); ++I) Cells += FOwned[I] && IsCell(FObjects[I]);
  // Room for every cell first; without it the cells are freed, not kept.
  bool Keep = true;
  if (FSpareCells.size() + Cells > FSpareCells.capacity()) {
    try {
      FSpareCells.reserve(FSpareCells.size() + Cells);
    } catch (const std::bad_alloc&) {
      Keep = false;
    }
  }
  for (size_t I = 0; I < FObjects.size(); ++I) {
    TOrvObject* Obj = FObjects[I];
    if (FOwned[I] && Keep && IsCell(Obj)) {
      auto* Cell = static_cast<TPelRes*>(Obj);
      try {
        Cell->ReleaseRefs(FSpareRefs);
        FSpareCells.emplace_back(Cell);
      } catch (const std::bad_alloc&) {
        delete Cell;
      }
    } else if (FOwned[I]) {
      delete Obj;
    }
    FObjects[I] = nullptr;
    FOwned[I] = 0;
  }
}

std::unique_ptr<TPelRes> TPelRepElemTable::MakeCell(const TGimWeight* Weight,
                                                    TPelDataBasedOn* BasedOn) {
  if (FSpareCells.empty()) return std::make_unique<TPelRes>(Survey, Weight, BasedOn);
  TPelRes* P = FSpareCells.back().release();
  FSpareCells.pop_back();
  P->~TPelRes();
  return std::unique_ptr<TPelRes>(new (P) TPelRes(Survey, Weight, BasedOn));
}

std::unique_ptr<TPelResElem> TPelRepElemTable::MakeRef(TPelResElem* E) {
  if (FSpareRefs.empty()) return std::make_unique<TPelResElemRef>(E);
  TPelResElemRef* P = FSpareRefs.back().release();
  FSpareRefs.pop_back();
  P->~TPelResElemRef();
  return std::unique_ptr<TPelResElem>(new (P) TPelResElemRef(E));
}

// ---- Axes

void TPelRepElemTable::AddPar(TPelParList& Axis, TPelPar* Par, bool WithAxes) {
  if (!Par || Par->IsEmpty()) return;
  Axis.Add(Par);
  if (!WithAxes) return;
  const int Extra = Par->GetExtraAxisCount();
  for (int I = 1; I <= Extra; ++I)
    if (TPelPar* A = Par->CreateAxisPar(I)) Axis.Add(A);
}

void TPelRepElemTable::AddColPar(TPelPar* Par, bool WithAxes) { AddPar(*ColParams, Par, WithAxes); }
void TPelRepElemTable::AddRowPar(TPelPar* Par, bool WithAxes) { AddPar(*RowParams, Par, WithAxes); }
void TPelRepElemTable::AddLayerPar(TPelPar* Par, bool WithAxes) {
  AddPar(*LayerParams, Par, WithAxes);
}

TPelRepElemAnalysis* TPelRepElemTable::Analysis() const {
  return As<TPelRepElemAnalysis>(ParentElem());
}

TPelParStats* TPelRepElemTable::StatsPar() const {
  const TPelRepElemAnalysis* A = Analysis();
  return A ? As<TPelParStats>(A->Parameters->FindByClass(TPelParStats::StaticClass(), false))
           : nullptr;
}

bool TPelRepElemTable::UsesDays() const {
  for (int I = 0; I < LayerParams->Count(); ++I) {
    TPelPar* P = LayerParams->GetItem(I);
    if (P->UsesDays(ParSelections->GetSelected(P))) return true;
  }
  for (const TPelParList* Axis : {ColParams.get(), RowParams.get()})
    for (int I = 0; I < Axis->Count(); ++I)
      if (Axis->GetItem(I)->UsesDays(-1)) return true;
  return false;
}

int TPelRepElemTable::RowLevelOfCol(int C) const {
  int Last = 0;
  for (size_t L = 0; L < FRowLevelCols.size(); ++L) {
    Last += FRowLevelCols[L];
    if (C >= 1 && C <= Last) return static_cast<int>(L);
  }
  return -1;
}

int TPelRepElemTable::ColLevelOfRow(int R) const {
  int Last = 0;
  for (size_t L = 0; L < FColLevelRows.size(); ++L) {
    Last += FColLevelRows[L];
    if (R >= 1 && R <= Last) return static_cast<int>(L);
  }
  return -1;
}

// ---- Visible positions

void TPelRepElemTable::BuildVisible() const {
  if (FVisibleValid) return;
  auto Walk = [](const std::vector<int>& Perm, const std::vector<uint8_t>& Hidden, int Count,
                 std::vector<int>& Out) {
    Out.clear();
    const bool UsePerm = static_cast<int>(Perm.size()) == Count;
    for (int K = 0; K < Count; ++K) {
      const int G = UsePerm ? Perm[static_cast<size_t>(K)] : K;
      if (G < 0 || G >= Count) continue;
      if (static_cast<size_t>(G) < Hidden.size() && Hidden[static_cast<size_t>(G)]) continue;
      Out.push_back(G);
    }
  };
  Walk(SortParams->Perm2, ColHidden, ColCount, FVisCols);
  Walk(SortParams->Perm1, RowHidden, RowCount, FVisRows);
  FVisibleValid = true;
}

int TPelRepElemTable::VisibleColCount() const {
  BuildVisible();
  return static_cast<int>(FVisCols.size());
}

int TPelRepElemTable::VisibleRowCount() const {
  BuildVisible();
  return static_cast<int>(FVisRows.size());
}

int TPelRepElemTable::GridCol(int A) const {
  BuildVisible();
  return A >= 0 && A < static_cast<int>(FVisCols.size()) ? FVisCols[static_cast<size_t>(A)] : -1;
}

int TPelRepElemTable::GridRow(int B) const {
  BuildVisible();
  return B >= 0 && B < static_cast<int>(FVisRows.size()) ? FVisRows[static_cast<size_t>(B)] : -1;
}

TOrvObject* TPelRepElemTable::GetCellObject(int A, int B) const {
  return ObjectAt(GridCol(A), GridRow(B));
}

double TPelRepElemTable::GetCellValue(int A, int B) const {
  return ValueAt(GridCol(A), GridRow(B));
}

void TPelRepElemTable::SetCellValue(int A, int B, double Value) {
  SetValueAt(GridCol(A), GridRow(B), Value);
}

void TPelRepElemTable::SetCellText(int A, int B, std::string Text) {
  SetTextAt(GridCol(A), GridRow(B), std::move(Text));
}

void TPelRepElemTable::StoreCellResult(int A, int B, double Value) {
  const int C = GridCol(A), R = GridRow(B);
  if (!InGrid(C, R)) return;
  SetValueAt(C, R, Value);
  if (TPelRes* Cell = CellAt(C, R)) {
    const double Old = Cell->Value;
    Cell->Value = Value;
    std::string Text;
    double Shown = Value;
    Cell->GetDisplayText(Text, Shown);
    Cell->Value = Old;
    SetTextAt(C, R, std::move(Text));
  }
}

bool TPelRepElemTable::IsMerged(bool Down, int A, int B) const {
  // Along: the visible line that continues into the next; Across: the line it lies on.
  const int Along = Down ? B : A, Across = Down ? A : B;
  if (Along < 1 || Along > (Down ? VisibleRowCount() : VisibleColCount()) - 2) return false;
  auto Grid = [&](bool Rows, int V) { return Rows ? GridRow(V) : GridCol(V); };
  const int Line = Grid(!Down, Across);
  if (Line < 0) return false;
  const int G1 = Grid(Down, Along), G2 = Grid(Down, Along + 1);
  for (int G = std::min(G1, G2); G < std::max(G1, G2); ++G)
    if (!(Down ? MergeDownAt(Line, G) : MergeRightAt(G, Line))) return false;
  return true;
}

void TPelRepElemTable::FindFirstCellOfClass(const ClassInfo& Class, int& A, int& B) const {
  const int Cols = VisibleColCount(), Rows = VisibleRowCount();
  for (int I = 1; I < Cols; ++I)
    for (int J = 1; J < Rows; ++J)
      if (const TOrvObject* O = GetCellObject(I, J); O && O->IsExactly(Class)) {
        A = I;
        B = J;
        return;
      }
  A = 1;
  B = 1;
}

bool TPelRepElemTable::IsLimitCell(int A, int B) const {
  const TPelRes* Cell = As<TPelRes>(GetCellObject(A, B));
  return Cell && Cell->AcceptsLimit();
}

// ---- Element texts

std::string TPelRepElemTable::GetKindCaption() const { return Translated("<PLK>Tabela<ENU>Table"); }

std::string TPelRepElemTable::GetKindName(bool Short) const {
  return Short ? Translated("<PLK>T<ENU>T") : Translated("<PLK>Tabela<ENU>Table");
}

std::string TPelRepElemTable::GetFullCaption() const {
  const TPelRepElem* A = ParentElem();
  return A ? A->GetCaption() + " - " + GetCaption() : GetCaption();
}

// ---- Element kind

void RegisterTableElemKind() {
  RegisterRepElemKind({"table", &TPelRepElemAnalysis::StaticClass(),
                       [](TPelRepElem* Parent, TPelSurvey* Survey) -> std::unique_ptr<TPelRepElem> {
                         return New<TPelRepElemTable>(Parent, Survey);
                       }});
}

}  // namespace quin
