#include "analysis/pelparwaves.h"

#include <algorithm>

#include "analysis/pelresgeneral.h"
#include "analysis/pelsurvey.h"
#include "base/format.h"
#include "base/langmanager.h"
#include "base/random.h"
#include "base/text.h"
#include "deflang/rixscanner.h"
#include "deflang/rixwriter.h"
#include "surveykit/gimwaves.h"

namespace quin {

QUIN_IMPLEMENT_CLASS(TPelSubElemWave, TPelSubElem)
QUIN_IMPLEMENT_CLASS(TPelSubParWaves, TPelSubPar)
QUIN_IMPLEMENT_CLASS(TPelParWaves, TPelParMulti)

namespace {

std::string Tr(std::string_view Utf8) { return CurrentLangManager().Translate(Cp1250(Utf8)); }

}  // namespace

std::string TPelSubElemWave::GetCode() const { return Wave ? Wave->GetID() : std::string(); }

bool TPelSubElemWave::IsSuccessorOf(const TPelSubElem* Prev) const {
  const auto* P = As<TPelSubElemWave>(Prev);
  return Wave && P && P->Wave && Wave->Number + 1 == P->Wave->Number;
}

// ---- TPelSubParWaves

int TPelSubParWaves::WaveCount() const {
  return Survey && Survey->Waves ? Survey->Waves->Count() : 0;
}

TGimWave* TPelSubParWaves::ElemWave(int Index) const {
  return Index >= 0 && Index < ElemCount() ? As<TPelSubElemWave>(Elems->GetItem(Index))->Wave
                                           : nullptr;
}

void TPelSubParWaves::UpdateElems(TPelSurvey* ASurvey) {
  if (Mode == wmSelected || !Elems) return;
  Elems->Clear();
  const int W = ASurvey && ASurvey->Waves ? ASurvey->Waves->Count() : 0;
  if (W == 0) return;
  // 64-bit: the counts come from files and may be as large as an integer holds.
  const int64_t First = std::max<int64_t>(int64_t{W} - Rolled, 0);
  const int64_t Last =
      Mode == wmAll ? 0 : std::max<int64_t>(int64_t{W} - LastCount - Rolled + 1, 0);
  for (int64_t I = First; I >= Last; --I)
    Elems->Add(std::make_unique<TPelSubElemWave>(ASurvey->Waves->GetItem(static_cast<int>(I))));
}

bool TPelSubParWaves::IsOneItem() const {
  const int MinSel = Survey && Survey->Waves ? Survey->Waves->MinSelCount : 1;
  return MinSel >= 2 && !Grouped && Rolled < MinSel;
}

std::vector<TGimWave*> TPelSubParWaves::Window(int Index) const {
  std::vector<TGimWave*> R;
  TGimWave* Start = ElemWave(Index);
  if (!Start) return R;
  const int W = WaveCount();
  const int First = Start->Number - 1;
  const int64_t End = std::min<int64_t>(int64_t{First} + std::max(Rolled, 1), W);
  for (int64_t I = std::max(First, 0); I < End; ++I)
    R.push_back(Survey->Waves->GetItem(static_cast<int>(I)));
  if (R.empty()) R.push_back(Start);
  return R;
}

std::vector<TGimWave*> TPelSubParWaves::AllWaveItems() const {
  std::vector<TGimWave*> R;
  for (int I = 0; I < ElemCount(); ++I)
    for (TGimWave* W : Window(I))
      if (std::find(R.begin(), R.end(), W) == R.end()) R.push_back(W);
  return R;
}

std::unique_ptr<TGimWaveList> TPelSubParWaves::AllWaves() const {
  auto L = TGimWaveList::CreateSubset(Survey, /*OwnsWaves=*/false, /*AddAll=*/false);
  for (TGimWave* W : AllWaveItems()) L->Children->Add(W);
  return L;
}

std::unique_ptr<TPelSubElem> TPelSubParWaves::CreateElemFromCode(const std::string& Code) {
  TGimWave* W = Survey && Survey->Waves ? Survey->Waves->FindByID(Code) : nullptr;
  return W ? std::make_unique<TPelSubElemWave>(W) : nullptr;
}

bool TPelSubParWaves::ReadKey(TRixScanner& Scanner, TPelSurvey* ASurvey) {
  bool All = false;
  if (Scanner.ReadBoolean("all", All)) {
    if (All) Mode = wmAll;
    return true;
  }
  if (RixKeyTaken(Scanner, false)) return true;
  if (ReadIntegerInRange(Scanner, "last", LastCount, 1, INT32_MAX)) {
    if (Scanner.LastReadResult() == TRixReadResult::Ok) Mode = wmLast;
    return true;
  }
  return ReadIntegerInRange(Scanner, "rolled", Rolled, 1, INT32_MAX);
}

void TPelSubParWaves::ReadBody(TRixScanner& Scanner, TPelSurvey* ASurvey) {
  Mode = wmSelected;
  TPelSubPar::ReadBody(Scanner, ASurvey);
  UpdateElems(ASurvey);
}

void TPelSubParWaves::WriteBody(TStream& Stream, int& Indent) const {
  TPelSubPar::WriteBody(Stream, Indent);
  if (Mode == wmAll) WriteKeyBoolean(Stream, Indent, "all", "", true);
  if (Mode == wmLast) WriteKeyInteger(Stream, Indent, "last", "", LastCount);
  WriteKeyInteger(Stream, Indent, "rolled", "", Rolled);
}

void TPelSubParWaves::Randomize(TOrvRandGen& Gen) {
  const int W = WaveCount();
  Rolled = 1 + Gen.RandomInt(W);
  const double R = Gen.RandomReal();
  if (R < 0.3) {
    Mode = R < 0.15 ? wmAll : wmLast;
    if (Mode == wmLast) LastCount = 1 + Gen.RandomInt(W);
    UpdateElems(Survey);
    return;
  }
  Mode = wmSelected;
  Clear();
  for (int I = 0; I < W; ++I)
    if (Gen.RandomInt(2) == 0)
      Elems->Add(std::make_unique<TPelSubElemWave>(Survey->Waves->GetItem(I)));
  if (ElemCount() == 0 && W > 0)
    Elems->Add(std::make_unique<TPelSubElemWave>(Survey->Waves->GetItem(Gen.RandomInt(W))));
}

std::string TPelSubParWaves::GetElemLabel(int Index) const {
  const std::vector<TGimWave*> Win = Window(Index);
  if (Win.empty()) return {};
  std::string S = Win.front()->GetName();
  if (Rolled == 2 && Win.size() > 1) S += ", " + Win.back()->GetName();
  if (Rolled > 2 && Win.size() > 1) S += " : " + Win.back()->GetName();
  return S;
}

std::string TPelSubParWaves::GetItemLabel(int Index, bool Detail) const {
  return IsOneItem() ? GetName() : GetElemLabel(Index);
}

TPelResElem* TPelSubParWaves::CreateResElem() {
  return new TPelResWaves(Survey, AllWaveItems(), -1, Owner);
}

TPelResElem* TPelSubParWaves::CreateItemElem(int Index, bool Detail) {
  const std::vector<TGimWave*> Waves = IsOneItem() ? AllWaveItems() : Window(Index);
  return Waves.empty() ? nullptr : new TPelResWaves(Survey, Waves, Index, Owner);
}

std::string TPelSubParWaves::GetDefaultName() const {
  const TOrvLangManager& L = CurrentLangManager();
  std::string S;
  if (Mode == wmAll)
    S = Tr("<PLK>Wszystkie fale<ENU>All waves");
  else if (Mode == wmLast)
    S = Format(Tr("<PLK>Ostatnie fale (%d)<ENU>Last waves (%d)"), {LastCount}, L.FormatSettings);
  else
    S = Tr("<PLK>Wybrane fale<ENU>Selected waves") + ": " + GetListText(true);
  if (Rolled > 1)
    S += " (" +
         Format(Tr("<PLK>średnia ruchoma po %d<ENU>moving average by %d"), {Rolled},
                L.FormatSettings) +
         ")";
  return S;
}

// ---- TPelParWaves

std::string TPelParWaves::GetDefaultName() const { return Tr("<PLK>Fale<ENU>Waves"); }

std::string TPelParWaves::GetSelectionCaption() const {
  return Tr("<PLK>Wybrane fale<ENU>Selected waves");
}

std::unique_ptr<TPelSubPar> TPelParWaves::NewSubPar(TOrvRandGen* Random) {
  auto S = New<TPelSubParWaves>(Survey, this);
  if (Random) S->Randomize(*Random);
  return S;
}

std::unique_ptr<TGimWaveList> TPelParWaves::AllWaves() const {
  auto L = TGimWaveList::CreateSubset(Survey, /*OwnsWaves=*/false, /*AddAll=*/false);
  for (int I = 0; I < SubParCount(); ++I)
    for (TGimWave* W : static_cast<TPelSubParWaves*>(SubPar(I))->AllWaveItems())
      if (L->Children->IndexOf(W) < 0) L->Children->Add(W);
  return L;
}

}  // namespace quin
