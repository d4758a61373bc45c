// The result manager: the layer step, the weights of the cells' weighting and the pooled work
// buffers; and the installed media hand-over.
#include "analysis/pelresmanager.h"

#include <algorithm>
#include <atomic>
#include <mutex>

#include "analysis/pelcolstore.h"
#include "analysis/pelgridfilter.h"
#include "analysis/pelres.h"
#include "analysis/pelresmedia.h"
#include "analysis/pelsurvey.h"
#include "base/orvstats.h"
#include "surveykit/gimweights.h"

namespace quin {

QUIN_IMPLEMENT_ABSTRACT_CLASS(TPelResManager, TOrvObject)

// ---- Media hand-over

namespace {

TPelResMedia GGeneralMedia;
std::atomic<TPelResMedia*> GMedia{nullptr};

// The pool keeps at most this many buffer sets and this many bytes.
constexpr size_t kPoolSets = 4;
constexpr size_t kPoolBytes = size_t(256) << 20;
std::mutex GPoolLock;
std::vector<std::unique_ptr<TPelResBuffers>>& Pool() {
  static std::vector<std::unique_ptr<TPelResBuffers>> P;
  return P;
}

}  // namespace

TPelResMedia& PelResMedia() {
  TPelResMedia* M = GMedia.load();
  return M ? *M : GGeneralMedia;
}

TPelResMedia* SetPelResMedia(TPelResMedia* Media) {
  TPelResMedia* Old = GMedia.exchange(Media);
  return Old ? Old : &GGeneralMedia;
}

// ---- Buffers

void TPelResBuffers::Size(int AN, bool Cells) {
  N = AN;
  const size_t S = static_cast<size_t>(AN);
  for (TPelFlags* F : {&LayerCases, &LayerBaseCases, &LayerMissing}) F->resize(S);
  if (Cells) {
    for (TPelFlags* F : {&RowBaseCases, &ColBaseCases, &CellCases, &EstBaseCases, &CellMissing})
      F->resize(S);
    Values.resize(S);
  }
}

size_t TPelResBuffers::Bytes() const {
  size_t B = Values.capacity() * sizeof(double);
  for (const TPelFlags* F : {&LayerCases, &LayerBaseCases, &LayerMissing, &RowBaseCases,
                             &ColBaseCases, &CellCases, &EstBaseCases, &CellMissing})
    B += F->capacity();
  return B;
}

std::unique_ptr<TPelResBuffers> PelTakeBuffers() {
  std::lock_guard<std::mutex> G(GPoolLock);
  auto& P = Pool();
  if (P.empty()) return std::make_unique<TPelResBuffers>();
  auto B = std::move(P.back());
  P.pop_back();
  return B;
}

void PelReturnBuffers(std::unique_ptr<TPelResBuffers> Buffers) {
  if (!Buffers) return;
  std::lock_guard<std::mutex> G(GPoolLock);
  auto& P = Pool();
  size_t Total = Buffers->Bytes();
  for (const auto& B : P) Total += B->Bytes();
  if (P.size() < kPoolSets && Total <= kPoolBytes) P.push_back(std::move(Buffers));
}

size_t PelPooledBufferBytes() {
  std::lock_guard<std::mutex> G(GPoolLock);
  size_t Total = 0;
  for (const auto& B : Pool()) Total += B->Bytes();
  return Total;
}

// ---- Manager

TPelResManager::TPelResManager(TPelSurvey* ASurvey, TPelDataBasedOn* ABasedOn)
    : Survey(ASurvey), BasedOn(ABasedOn), Recsets(ASurvey ? ASurvey->RecsetList.get() : nullptr) {
  SetStatsFPUMode();
  const int Count = Recsets ? Recsets->Count() : 0;
  LayerCount.assign(Count, 0);
  LayerSum.assign(Count, 0);
  if (Recsets && BasedOn) R = Recsets->IndexOf(BasedOn->Recset);
}

TPelResManager::~TPelResManager() { PelReturnBuffers(std::move(FBuf)); }

TPelResBuffers& TPelResManager::Buf() {
  if (!FBuf) FBuf = PelTakeBuffers();
  return *FBuf;
}

TPelColumnStore& TPelResManager::Columns() { return Survey->Columns(); }

void TPelResManager::PrepareWeights(TPelRes& Cell) {
  const TGimWeight* W = Cell.Weight;
  if (FWeights && FWeightsFor == W) return;
  FWeightsFor = W;
  auto* Recset = As<TPelRecset>(BasedOn->Recset);
  const int N = BasedOn->Recset->RecCount();
  const TMerRecsetCol* Col = W ? W->Column.get() : nullptr;
  FSharedWeights.reset();
  if (Recset && (!Col || Col->Recset == Recset)) {
    // Weights read in the record set itself (or none) are the same for every session: one
    // copy of them serves all.
    const TPelCol* C = Col ? Recset->FindCol(Col->Name) : nullptr;
    const std::string Key = std::to_string(R) + ":" + (Col ? Col->Name : std::string("off"));
    FSharedWeights = Columns().Shared(Key, [&] {
      TPelDoubleColumn V(static_cast<size_t>(N), Col ? 0.0 : 1.0);
      if (Col) {
        if (C) Recset->ReadColumnDoublesInto(C, V.data());
        for (double& X : V)
          if (X == kPelMissingDouble) X = 0;
      }
      return V;
    });
  }
  if (FSharedWeights && FSharedWeights->size() == static_cast<size_t>(N)) {
    FWeights = FSharedWeights->data();
    return;
  }
  FSharedWeights.reset();
  Survey->Weights->PrepareWeights(W, BasedOn->Recset);
  FOwnWeights = Survey->Weights->WeightValues();
  FOwnWeights.resize(static_cast<size_t>(N), 0.0);
  FWeights = FOwnWeights.data();
}

void TPelResManager::PrepareLayer(TPelRes& Cell) {
  const int Days = PelResMedia().RadioDaysAnswer(Cell);
  if (Days != RadioDays) LayerDirty = true;
  if (R < 0) return;
  if (!LayerDirty) {
    PrepareWeights(Cell);
    return;
  }
  RadioDays = Days;
  TPelResBuffers& B = Buf();
  const int N = std::max(BasedOn->Recset->RecCount(), 0);
  B.Size(N, false);
  std::fill(B.LayerCases.begin(), B.LayerCases.end(), 1);
  std::fill(B.LayerBaseCases.begin(), B.LayerBaseCases.end(), 1);
  std::fill(B.LayerMissing.begin(), B.LayerMissing.end(), 0);
  bool Excluded = false;
  TPelResElemList SoFar(false);
  for (int I = 0; I < Cell.LayerElems.Count(); ++I) {
    TPelResElem* E = Cell.LayerElems.GetItem(I);
    SoFar.Add(E);
    Cell.ApplyElemFilter(B.LayerCases, B.LayerMissing, &B.LayerBaseCases, E, SoFar, R, Excluded);
  }
  double C = 0, W = 0;
  PelResMedia().FilterTVCases(Cell, Cell.LayerElems, B.LayerCases, C, W);
  PelResMedia().FilterRadioCases(Cell, Cell.LayerElems, B.LayerCases, C, W);
  PelResMedia().PressSelectCases(Cell, Cell.LayerElems, B.LayerCases, C, W);
  ApplyQuestionFilters(Cell, Cell.LayerElems, B.LayerCases, B.LayerMissing, &B.LayerBaseCases,
                       false, Excluded);
  FWeights = nullptr;
  PrepareWeights(Cell);
  const uint8_t* L = B.LayerCases.data();
  const bool All =
      std::find(B.LayerCases.begin(), B.LayerCases.end(), 0) == B.LayerCases.end() &&
      std::find(B.LayerBaseCases.begin(), B.LayerBaseCases.end(), 0) == B.LayerBaseCases.end() &&
      std::find(B.LayerMissing.begin(), B.LayerMissing.end(), 1) == B.LayerMissing.end();
  int32_t Count = 0;
  double Sum = 0;
  if (All) {
    Count = N;
    for (int I = 0; I < N; ++I) Sum += FWeights[I];
  } else {
    for (int I = 0; I < N; ++I) {
      Count += L[I];
      if (L[I]) Sum += FWeights[I];
    }
  }
  LayerCount[R] = Count;
  LayerSum[R] = Sum;
  LayerAll = All;
  LayerDirty = false;
}

}  // namespace quin
