#include "surveykit/gimwaves.h"

#include "base/format.h"
#include "base/langmanager.h"
#include "base/orvdates.h"
#include "base/orvmessages.h"
#include "base/text.h"
#include "deflang/rixscanner.h"
#include "deflang/rixtokens.h"
#include "surveykit/gimreading.h"
#include "surveykit/mermessages.h"
#include "surveykit/mersurvey.h"

namespace quin {

QUIN_IMPLEMENT_CLASS(TGimWave, TGimSimpleDataObject)
QUIN_IMPLEMENT_CLASS(TGimWaveList, TGimDataObject)

#define QUIN_MSG(Name, Kind, Text) const TOrvMsgClass Name{#Name, &Kind, Text};

QUIN_MSG(TGimWarning_DateOrder, TOrvMsgKind_Warning,
         "<PLK>Fale nie są posortowane wg \"dateStart\".<ENU>Waves are not ordered by "
         "\"dateStart\".")
QUIN_MSG(TGimError_StartDefAfterEndDef, TOrvMsgKind_Error,
         "\"dateStart\" definition should be before \"dateEnd\" definition.")
QUIN_MSG(TMerMsgError_StartLaterThanEnd, TOrvMsgKind_Error,
         "The starting date is later then the end date.")
QUIN_MSG(TGimError_InvalidDate, TOrvMsgKind_Error, "<PLK>Nieprawidłowa data.<ENU>Invalid date.")
QUIN_MSG(TGimError_MinSelCountInvalid, TOrvMsgKind_Error,
         "<PLK>minSelCount musi być większe lub równe 1.<ENU>minSelCount must be greater "
         "than or equal to 1.")
QUIN_MSG(TGimHint_MinSelCountDefault, TOrvMsgKind_Hint,
         "<PLK>minSelCount domyślnie jest równe 1.<ENU>minSelCount is 1 by default.")

#undef QUIN_MSG

// ---- TGimWave

std::string TGimWave::GetID() const {
  if (!ID.empty()) return ID;
  return Format("Wave%d", {Number}, TFormatSettings());
}

std::string TGimWave::GetName() const {
  if (!Name.empty()) return TGimSimpleDataObject::GetName();
  const TOrvLangManager& M = CurrentLangManager();
  return Format(M.Translate(Cp1250("<PLK>Fala %d<ENU>Wave %d")), {Number}, M.FormatSettings);
}

int TGimWave::RecCount(TMerRecset*) const { return 1; }

namespace {

// One part of a wave date: an integer within Min..Max. False after reporting; the rest of
// the instruction is then skipped.
bool ReadDatePart(TRixScanner& S, int Min, int Max, int& Value) {
  if (!S.Expect(TOrvTokenInteger::StaticClass(), TRixMsgError_IntegerExpected, true)) return false;
  const auto* T = static_cast<const TOrvTokenInteger*>(S.PrevToken.get());
  if (T->Value < Min || T->Value > Max) {
    S.AddMsgAt(TMerMsgError_IntegerOutOfBounds, T->StartPos);
    S.SkipStatement(true);
    return false;
  }
  Value = T->Value;
  return true;
}

// A wave date after "Key =": year[/month[/day]] ";". Date changes only when a valid date was
// read; Last receives the position of its last part. NoMatch when the key is another.
TRixReadResult ReadWaveDate(TRixScanner& S, std::string_view Key, double& Date, TOrvTextPos& Last) {
  if (!S.ReadDefSimpleStart(Key)) return S.LastReadResult();
  int Y = 0;
  int M = 1;
  int D = 1;
  if (!ReadDatePart(S, 1900, 2100, Y)) return TRixReadResult::Failed;
  if (S.Accept(TRixTokenDateSep::StaticClass())) {
    if (!ReadDatePart(S, 1, 12, M)) return TRixReadResult::Failed;
    if (S.Accept(TRixTokenDateSep::StaticClass()) && !ReadDatePart(S, 1, 31, D))
      return TRixReadResult::Failed;
  }
  Last = S.PrevToken->StartPos;
  S.Expect(TRixTokenInstrSep::StaticClass(), TRixMsgError_InstrSepExpected, false);
  double V = 0;
  if (!TryEncodeDate(Y, M, D, V)) {
    S.AddMsgAt(TGimError_InvalidDate, Last);
    return TRixReadResult::Failed;
  }
  Date = V;
  return TRixReadResult::Ok;
}

}  // namespace

void TGimWave::Read(TRixScanner& Scanner, TMerRecsetList*) {
  bool HasStart = false;
  TGimBlockReader R;
  R.Key = [this, &HasStart](TRixScanner& S) {
    if (GimReadObjectText(S, *this, true)) return true;
    TOrvTextPos Last;
    TRixReadResult Res = ReadWaveDate(S, "dateStart", StartDate, Last);
    if (Res == TRixReadResult::Ok) {
      EndDate = StartDate;
      HasStart = true;
    }
    if (Res != TRixReadResult::NoMatch) return true;
    const TOrvTextPos KeyPos = S.Token->StartPos;
    if (!S.Token->Is<TOrvTokenIdentifier>() || !SameText(S.Token->GetText(), "dateEnd"))
      return false;
    if (!HasStart) S.AddMsgAt(TGimError_StartDefAfterEndDef, KeyPos);
    double End = EndDate;
    if (ReadWaveDate(S, "dateEnd", End, Last) == TRixReadResult::Ok) {
      EndDate = End;
      if (EndDate < StartDate) S.AddMsgAt(TMerMsgError_StartLaterThanEnd, Last);
    }
    return true;
  };
  R.Read(Scanner);
}

// ---- TGimWaveList

TGimWaveList::TGimWaveList(TMerSurvey* ASurvey, bool OwnsWaves, TOrvPersistent* Parent) {
  Owner = Parent;
  Survey = ASurvey;
  Children = std::make_unique<TGimDataObjectList>(OwnsWaves);
}

std::vector<TOrvPersistent*> TGimWaveList::SharedOwners(const TGimWaveList& Source) {
  std::vector<TOrvPersistent*> Owners;
  if (Source.Children && !Source.Children->OwnsObjects)
    for (int I = 0; I < Source.ChildCount(); ++I) Owners.push_back(Source.Child(I)->Owner);
  return Owners;
}

TGimWaveList::TGimWaveList(const TGimWaveList& Source)
    : TGimWaveList(Source, SharedOwners(Source)) {}

TGimWaveList::TGimWaveList(const TGimWaveList& Source, std::vector<TOrvPersistent*> Owners)
    : TGimDataObject(Source), MinSelCount(Source.MinSelCount) {
  // The inherited copy made this list the owner of every wave; shared waves keep theirs.
  if (Children && !Children->OwnsObjects)
    for (int I = 0; I < ChildCount() && I < static_cast<int>(Owners.size()); ++I)
      Child(I)->Owner = Owners[I];
}

std::unique_ptr<TGimWaveList> TGimWaveList::CreateSubset(TMerSurvey* ASurvey, bool OwnsWaves,
                                                         bool AddAll) {
  auto L = std::make_unique<TGimWaveList>(ASurvey, OwnsWaves, nullptr);
  if (AddAll && ASurvey && ASurvey->Waves) {
    const TGimWaveList& All = *ASurvey->Waves;
    for (int I = 0; I < All.Count(); ++I) {
      if (OwnsWaves)
        L->AddChild(CopyOf(*All.GetItem(I)));
      else
        L->Children->Add(All.Child(I));
    }
  }
  return L;
}

std::unique_ptr<TGimWave> TGimWaveList::CreateWave() { return NewInSurvey<TGimWave>(Survey, this); }

TGimWave* TGimWaveList::GetItem(int Index) const {
  TGimSimpleDataObject* C = Child(Index);
  TGimWave* W = As<TGimWave>(C);
  if (!W)
    throw EListError("List item of class " + std::string(C->ClassName()) +
                     " where TGimWave is expected");
  return W;
}

TGimWave* TGimWaveList::FindByID(std::string_view AID) const {
  for (int I = 0; I < Count(); ++I)
    if (SameText(GetItem(I)->GetID(), AID)) return GetItem(I);
  return nullptr;
}

void TGimWaveList::GetPeriodText(std::string& Text, const TFormatSettings& Settings) const {
  if (Count() == 0) {
    Text.clear();
    return;
  }
  const std::string First = ShortDateText(GetItem(0)->StartDate, Settings);
  const std::string Last = ShortDateText(GetItem(Count() - 1)->EndDate, Settings);
  Text = First == Last ? First : First + " - " + Last;
}

void TGimWaveList::GetPeriodText(std::string& Text) const {
  GetPeriodText(Text, CurrentLangManager().FormatSettings);
}

int TGimWaveList::RecCount(TMerRecset* Recset) const {
  int N = 0;
  for (int I = 0; I < Count(); ++I) N += GetItem(I)->RecCount(Recset);
  return N;
}

void TGimWaveList::ReadBody(TRixScanner& Scanner, TMerRecsetList* Recsets) {
  TGimBlockReader R;
  R.Key = [this](TRixScanner& S) {
    if (GimReadObjectText(S, *this, true)) return true;
    const TOrvTextPos KeyPos = S.Token->StartPos;
    int32_t V = 0;
    if (S.ReadInteger("minSelCount", V)) {
      if (V < 1)
        S.AddMsgAt(TGimError_MinSelCountInvalid, KeyPos);
      else if (V == 1)
        S.AddMsgAt(TGimHint_MinSelCountDefault, KeyPos);
      MinSelCount = V;
      return true;
    }
    return S.LastReadResult() != TRixReadResult::NoMatch;
  };
  R.Block = [this, Recsets](TRixScanner& S, const TOrvTextPos&) {
    if (!S.ReadDefComplexStart("wave")) return false;
    const TOrvTextPos KeyPos = S.PrevToken->StartPos;
    std::unique_ptr<TGimWave> W = CreateWave();
    W->Number = Count() + 1;
    W->Read(S, Recsets);
    const std::string ID = W->GetID();
    for (int I = 0; I < Count(); ++I) {
      const TGimWave* Earlier = GetItem(I);
      if (SameText(Earlier->GetID(), ID)) {
        S.AddMsgAt(TMerError_IDNotUnique, KeyPos);
        break;
      }
      if (Earlier->StartDate > W->StartDate) {
        S.AddMsgAt(TGimWarning_DateOrder, KeyPos);
        break;
      }
    }
    AddChild(std::move(W));
    return true;
  };
  R.Read(Scanner);
}

void TGimWaveList::Read(TRixScanner& Scanner, TMerRecsetList* Recsets) {
  // AfterRead runs however the block is left.
  GimReadAndClose([&] { ReadBody(Scanner, Recsets); }, [&] { AfterRead(Scanner, Recsets); });
}

}  // namespace quin
