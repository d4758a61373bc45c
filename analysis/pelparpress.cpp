#include "analysis/pelparpress.h"

#include <algorithm>
#include <cmath>

#include "analysis/pelsurvey.h"
#include "base/format.h"
#include "base/langmanager.h"
#include "base/random.h"
#include "base/text.h"
#include "deflang/rixcodereader.h"
#include "deflang/rixcodes.h"
#include "deflang/rixscanner.h"
#include "deflang/rixwriter.h"
#include "surveykit/gimpress.h"
#include "surveykit/gimreading.h"
#include "surveykit/gimresponses.h"

namespace quin {

QUIN_IMPLEMENT_CLASS(TPelSubElemPressTitle, TPelSubElem)
QUIN_IMPLEMENT_CLASS(TPelSubElemPressInd, TPelSubElem)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TPelResPressTitles, TPelResElem)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TPelResPressInd, TPelResElem)
QUIN_IMPLEMENT_CLASS(TPelSubParPressTitles, TPelSubPar)
QUIN_IMPLEMENT_CLASS(TPelParPressTitles, TPelParDefMedia)
QUIN_IMPLEMENT_CLASS(TPelSubParPressInds, TPelSubPar)
QUIN_IMPLEMENT_CLASS(TPelParPressInds, TPelParDefMediaInds)

namespace {

std::string Tr(std::string_view Utf8) { return CurrentLangManager().Translate(Cp1250(Utf8)); }

TGimPress* PressOf(const TPelSurvey* Survey) { return Survey ? Survey->PressDef() : nullptr; }

TOrvDaySet Intersect(TOrvDaySet A, TOrvDaySet B) {
  return TOrvDaySet::FromBits(A.Bits() & B.Bits());
}

void CollectTitles(TGimDataObject& Node, std::vector<TGimPressTitle*>& Titles) {
  for (int I = 0; I < Node.ChildCount(); ++I) {
    TGimSimpleDataObject* C = Node.Child(I);
    if (auto* T = As<TGimPressTitle>(C))
      Titles.push_back(T);
    else if (auto* M = As<TGimDataObject>(C))
      CollectTitles(*M, Titles);
  }
}

// The nearest whole number to V, for V within the integer range.
double NearestWhole(double V) { return std::nearbyint(std::clamp(V, -2147483647.0, 2147483647.0)); }

bool HasParCodes(const TGimPressInd* Ind) { return Ind->ParCodes && Ind->ParCodes->Count() > 0; }

TGimResponse* FindResponse(const TMerResponseList* List, std::string_view ID) {
  for (int I = 0; List && I < List->Count(); ++I)
    if (TGimResponse* R = List->GetItem(I); R && SameText(R->GetID(), ID)) return R;
  return nullptr;
}

void AddResponseCopy(std::unique_ptr<TMerResponseList>& Resp, const TGimResponse& R) {
  if (!Resp) Resp = std::make_unique<TMerResponseList>();
  Resp->AddChild(OwnedAs<TGimSimpleDataObject>(R.CreateCopy()));
}

}  // namespace

// ---- Elements

std::string TPelSubElemPressTitle::GetCode() const {
  return Title ? Title->GetID() : std::string();
}

TPelSubElemPressInd::TPelSubElemPressInd() = default;
TPelSubElemPressInd::~TPelSubElemPressInd() = default;

TPelSubElemPressInd::TPelSubElemPressInd(const TPelSubElemPressInd& Source)
    : TPelSubElem(Source), Ind(Source.Ind) {
  if (Source.Codes) Codes = std::make_unique<TRixCodeList>(*Source.Codes);
  if (Source.Resp) Resp = OwnedAs<TMerResponseList>(Source.Resp->CreateCopy());
}

std::unique_ptr<TPelSubElemPressInd> TPelSubElemPressInd::CreateFromInd(TGimPressInd* AInd) {
  auto E = std::make_unique<TPelSubElemPressInd>();
  E->Ind = AInd;
  E->ApplyDefaultParams();
  return E;
}

void TPelSubElemPressInd::ApplyDefaultParams() {
  if (!Ind || !Ind->DefaultParams() || !Ind->DefaultPars) return;
  Codes = std::make_unique<TRixCodeList>();
  CopyCodeList(*Codes, *Ind->DefaultPars);
}

std::string TPelSubElemPressInd::GetCode() const { return Ind ? Ind->GetID() : std::string(); }

void TPelSubElemPressInd::WriteBlock(TStream& Stream, int& Indent) const {
  if (!Ind) return;  // nothing a reader could find again
  WriteDefStart(Stream, Indent, "ind");
  WriteKeyIdentifier(Stream, Indent, "id", "", Ind->GetID());
  if (Ind->HasParams()) {
    if (HasParCodes(Ind)) {
      if (Codes && Codes->Count() > 0)
        WriteKeyValue(Stream, Indent, "parameters", "", CodeListAsUSAString(*Codes));
    } else if (Resp && Resp->Count() > 0) {
      std::string IDs;
      for (int I = 0; I < Resp->Count(); ++I)
        if (const TGimResponse* R = Resp->GetItem(I)) IDs += (IDs.empty() ? "" : ", ") + R->GetID();
      WriteKeyValue(Stream, Indent, "parameters", "", IDs);
    }
  }
  WriteDefEnd(Stream, Indent);
}

void TPelSubElemPressInd::ReadBlock(TRixScanner& Scanner, TPelSurvey* Survey) {
  TGimPress* Press = PressOf(Survey);
  const TGimPressIndList* Catalogue = Press ? &Press->PressIndicators() : nullptr;
  TGimBlockReader R;
  R.Key = [&](TRixScanner& S) {
    std::string ID;
    if (S.ReadIdentifier("id", ID)) {
      Ind = nullptr;
      Codes.reset();
      Resp.reset();
      if (Catalogue) Ind = As<TGimPressInd>(Catalogue->FindByID(ID));
      if (Ind)
        ApplyDefaultParams();
      else
        S.AddMsg(TRixMsgError_UnknownKey);
      return true;
    }
    if (RixKeyTaken(S, false)) return true;
    if (Ind && HasParCodes(Ind)) {
      if (!S.ReadDefSimpleStart("parameters")) return false;
      Codes = std::make_unique<TRixCodeList>();
      ParseCodeList(*Codes, S, &TRixTokenInstrSep::StaticClass());
      return true;
    }
    if (Ind && Ind->Responses) {
      std::unique_ptr<TRixTextList> IDs;
      if (!S.ReadIdentifierList("parameters", IDs)) return RixKeyTaken(S, false);
      Resp.reset();
      for (int I = 0; IDs && I < IDs->Count(); ++I)
        if (const TGimResponse* Found = FindResponse(Ind->Responses.get(), IDs->GetItem(I)->Text()))
          AddResponseCopy(Resp, *Found);
      return true;
    }
    if (!S.ReadDefSimpleStart("parameters")) return false;
    S.SkipStatement(false);
    return true;
  };
  R.Read(Scanner);
}

std::string TPelSubElemPressInd::ParamsSuffix() const {
  if (!Ind || !Ind->HasParams()) return {};
  if (HasParCodes(Ind))
    return " [" + (Codes ? CodeListAsString(*Codes, CurrentLangManager().FormatSettings) : "") +
           "]";
  std::string Nicks;
  for (int I = 0; Resp && I < Resp->Count(); ++I)
    if (const TGimResponse* R = Resp->GetItem(I))
      Nicks += (Nicks.empty() ? "" : ", ") + R->GetFullNick();
  return " [" + Nicks + "]";
}

// ---- Result elements

int TPelResPressTitles::IndexOf(const TGimPressTitle* Title) const {
  for (int I = static_cast<int>(Titles.size()) - 1; I >= 0; --I)
    if (Titles[static_cast<size_t>(I)].Title == Title) return I;
  return -1;
}

std::unique_ptr<TPelResElem> TPelResPressTitles::CreateFromElem(TPelSurvey* Survey,
                                                                const TPelResElem* Elem) {
  auto E = std::make_unique<TPelResPressTitles>(Survey, -1, nullptr);
  E->TakeIdentity(Elem);
  if (const auto* T = As<TPelResPressTitles>(ResolveRef(Elem))) E->Titles = T->Titles;
  return E;
}

TPelResPressInd::TPelResPressInd(const TPelResPressInd& Source)
    : TPelResElem(Source), Sub(Source.Sub), OwnsSub(Source.OwnsSub && Source.Sub) {
  if (OwnsSub) Sub = new TPelSubElemPressInd(*Source.Sub);
}

TPelResPressInd::~TPelResPressInd() {
  if (OwnsSub) delete Sub;
}

std::unique_ptr<TPelResElem> TPelResPressInd::CreateFromElem(TPelSurvey* Survey,
                                                             const TPelResElem* Elem) {
  auto E = std::make_unique<TPelResPressInd>(Survey, nullptr, -1, nullptr);
  E->TakeIdentity(Elem);
  if (const auto* P = As<TPelResPressInd>(ResolveRef(Elem)); P && P->Sub) {
    E->Sub = new TPelSubElemPressInd(*P->Sub);
    E->OwnsSub = true;
  }
  return E;
}

// ---- TPelSubParPressTitles

TGimPressTitle* TPelSubParPressTitles::Title(int Index) const {
  if (Index < 0 || Index >= ElemCount()) return nullptr;
  const auto* E = As<TPelSubElemPressTitle>(Elems->GetItem(Index));
  return E ? E->Title : nullptr;
}

TOrvDaySet TPelSubParPressTitles::EffectiveDays(int Index) const {
  const TGimPressTitle* T = Title(Index);
  if (!T) return {};
  return Days.Empty() ? T->Days : Intersect(T->Days, Days);
}

std::unique_ptr<TPelSubElem> TPelSubParPressTitles::CreateElemFromCode(const std::string& Code) {
  TGimPress* Press = PressOf(Survey);
  if (!Press || !Press->RootModule) return nullptr;
  auto* T = As<TGimPressTitle>(Press->RootModule->FindObject(TGimPressTitle::StaticClass(), Code));
  return T ? std::make_unique<TPelSubElemPressTitle>(T) : nullptr;
}

bool TPelSubParPressTitles::ReadKey(TRixScanner& Scanner, TPelSurvey* ASurvey) {
  return RixKeyTaken(Scanner, Scanner.ReadDaySet("days", Days));
}

void TPelSubParPressTitles::WriteBody(TStream& Stream, int& Indent) const {
  TPelSubPar::WriteBody(Stream, Indent);
  if (!Days.Empty()) WriteKeyValue(Stream, Indent, "days", "", DaySetToKeys(Days, ", ", ":"));
}

std::string TPelSubParPressTitles::GetListText(bool AsRanges) const {
  std::string S;
  for (int I = 0; I < ElemCount(); ++I)
    if (const TGimPressTitle* T = Title(I)) S += (S.empty() ? "" : ", ") + T->GetFullName();
  return S;
}

std::string TPelSubParPressTitles::GetDefaultName() const {
  std::string S;
  if (ElemCount() == 1 && Title(0))
    S = Title(0)->GetName();
  else
    S = Format("%s [%d]", {Tr("<PLK>Wybrane tytuły<ENU>Selected titles"), ElemCount()},
               CurrentLangManager().FormatSettings);
  if (!Days.Empty()) S += " (" + DaySetToText(Days, ":") + ")";
  return S;
}

TPelResElem* TPelSubParPressTitles::CreateResElem() {
  auto* E = new TPelResPressTitles(Survey, -1, Owner);
  for (int I = 0; I < ElemCount(); ++I)
    if (TGimPressTitle* T = Title(I)) E->Titles.push_back({T, Intersect(T->Days, Days)});
  return E;
}

bool TPelSubParPressTitles::LocateItem(int Index, bool Detail, int& TitleIndex, int& Day) const {
  if (Index < 0) return false;
  if (!Detail) {
    TitleIndex = Index;
    Day = -1;
    return Index < ElemCount();
  }
  for (int I = 0; I < ElemCount(); ++I) {
    const TOrvDaySet Eff = EffectiveDays(I);
    const int N = DayCount(Eff);
    if (N != 1) {
      if (Index == 0) {
        TitleIndex = I;
        Day = -1;
        return true;
      }
      --Index;
    }
    for (int D = dMon; D <= dSun; ++D) {
      if (!Eff.Contains(static_cast<TOrvDay>(D))) continue;
      if (Index == 0) {
        TitleIndex = I;
        Day = D;
        return true;
      }
      --Index;
    }
  }
  return false;
}

int TPelSubParPressTitles::GetItemCount(bool Detail) const {
  int N = ElemCount();
  if (!Detail) return N;
  for (int I = 0; I < ElemCount(); ++I)
    if (const int K = DayCount(EffectiveDays(I)); K >= 2) N += K;
  return N;
}

TPelResElem* TPelSubParPressTitles::CreateItemElem(int Index, bool Detail) {
  int T = 0;
  int Day = -1;
  if (!LocateItem(Index, Detail, T, Day) || !Title(T)) return nullptr;
  auto* E = new TPelResPressTitles(Survey, Index, Owner);
  TOrvDaySet Mask = Detail ? TOrvDaySet{} : Days;
  if (Day >= 0) Mask = TOrvDaySet{static_cast<TOrvDay>(Day)};
  E->Titles.push_back({Title(T), Mask});
  return E;
}

std::string TPelSubParPressTitles::GetItemLabel(int Index, bool Detail) const {
  int T = 0;
  int Day = -1;
  if (!LocateItem(Index, Detail, T, Day) || !Title(T)) return {};
  std::string S = Title(T)->GetFullName();
  if (Day >= 0) S += " (" + ShortWeekdayName(static_cast<TOrvDay>(Day)) + ")";
  return S;
}

void TPelSubParPressTitles::Randomize(TOrvRandGen& Gen) {
  Clear();
  Days = {};
  TGimPress* Press = PressOf(Survey);
  if (!Press || !Press->RootModule || !Elems) return;
  std::vector<TGimPressTitle*> All;
  CollectTitles(*Press->RootModule, All);
  while (All.size() > 10) All.erase(All.begin() + Gen.RandomInt(static_cast<int>(All.size())));
  for (TGimPressTitle* T : All)
    if (Gen.RandomReal() < 0.5) Elems->Add(std::make_unique<TPelSubElemPressTitle>(T));
  if (ElemCount() == 0 && !All.empty())
    Elems->Add(std::make_unique<TPelSubElemPressTitle>(
        All[static_cast<size_t>(Gen.RandomInt(static_cast<int>(All.size())))]));
  if (Gen.RandomReal() < 0.5)
    for (int D = dMon; D <= dSun; ++D)
      if (Gen.RandomReal() < 0.5) Days.Include(static_cast<TOrvDay>(D));
}

// ---- TPelParPressTitles

std::string TPelParPressTitles::GetDefaultName() const { return Tr("<PLK>Tytuły<ENU>Titles"); }

std::string TPelParPressTitles::GetSelectionCaption() const {
  return Tr("<PLK>Wybrane tytuły<ENU>Selected titles");
}

TGimMedia* TPelParPressTitles::Media() const { return PressOf(Survey); }

TPelResElem* TPelParPressTitles::CreateAllItemsElem() {
  auto* E = new TPelResPressTitles(Survey, 0, this);
  for (int S = 0; S < SubParCount(); ++S) {
    const auto* Sub = As<TPelSubParPressTitles>(SubPar(S));
    for (int I = 0; Sub && I < Sub->ElemCount(); ++I) {
      TGimPressTitle* T = Sub->Title(I);
      if (!T) continue;
      const int At = E->IndexOf(T);
      if (At < 0)
        E->Titles.push_back({T, Sub->EffectiveDays(I)});
      else
        E->Titles[static_cast<size_t>(At)].Mask = TOrvDaySet::FromBits(
            E->Titles[static_cast<size_t>(At)].Mask.Bits() | Sub->EffectiveDays(I).Bits());
    }
  }
  return E;
}

void TPelParPressTitles::Randomize(TOrvRandGen& Gen) {
  TPelParDefMedia::Randomize(Gen);
  SubTotal = Gen.RandomInt(2) == 0;
}

std::unique_ptr<TPelSubPar> TPelParPressTitles::NewSubPar(TOrvRandGen* Random) {
  auto S = New<TPelSubParPressTitles>(Survey, this);
  if (Random) S->Randomize(*Random);
  return S;
}

// ---- TPelSubParPressInds

TPelSubElemPressInd* TPelSubParPressInds::Elem(int Index) const {
  return Index >= 0 && Index < ElemCount() ? As<TPelSubElemPressInd>(Elems->GetItem(Index))
                                           : nullptr;
}

std::unique_ptr<TPelSubElem> TPelSubParPressInds::CreateElemFromCode(const std::string& Code) {
  TGimPress* Press = PressOf(Survey);
  auto* Ind = Press ? As<TGimPressInd>(Press->PressIndicators().FindByText(Code)) : nullptr;
  return Ind ? TPelSubElemPressInd::CreateFromInd(Ind) : nullptr;
}

bool TPelSubParPressInds::ReadKey(TRixScanner& Scanner, TPelSurvey* ASurvey) {
  if (!Scanner.ReadDefComplexStart("ind")) return false;
  auto E = std::make_unique<TPelSubElemPressInd>();
  try {
    E->ReadBlock(Scanner, ASurvey ? ASurvey : Survey);
  } catch (const EOrvException&) {
    return true;  // the element is discarded; the messages tell why
  }
  if (Elems) Elems->Add(std::move(E));
  return true;
}

std::string TPelSubParPressInds::GetDefaultName() const {
  return Tr("<PLK>Wybrane wskaźniki<ENU>Selected indicators");
}

TPelResElem* TPelSubParPressInds::CreateItemElem(int Index, bool Detail) {
  TPelSubElemPressInd* E = Elem(Index);
  return E ? new TPelResPressInd(Survey, E, Index, Owner) : nullptr;
}

std::string TPelSubParPressInds::GetItemLabel(int Index, bool Detail) const {
  const TPelSubElemPressInd* E = Elem(Index);
  if (!E || !E->Ind) return {};
  std::string S = E->Ind->GetFullNick();
  if (S.empty()) S = E->Ind->GetFullName();
  return S + E->ParamsSuffix();
}

std::string TPelSubParPressInds::GetItemLabelDefault(int Index) const {
  const TPelSubElemPressInd* E = Elem(Index);
  if (!E || !E->Ind) return {};
  const std::string Nick = E->Ind->GetNick();
  const std::string S = Nick.empty() ? E->Ind->GetFullName() : Nick + " - " + E->Ind->GetName();
  return S + E->ParamsSuffix();
}

void TPelSubParPressInds::Randomize(TOrvRandGen& Gen) {
  Clear();
  TGimPress* Press = PressOf(Survey);
  if (!Press || !Elems) return;
  TGimPressIndList& Cat = Press->PressIndicators();
  if (Cat.Count() == 0) return;
  const int N = Gen.RandomInt(10) + 1;
  for (int K = 0; K < N; ++K) {
    TGimPressInd* Ind = Cat.GetPressItem(Gen.RandomInt(Cat.Count()));
    auto E = TPelSubElemPressInd::CreateFromInd(Ind);
    if (Ind && Ind->HasParams()) {
      if (HasParCodes(Ind)) {
        if (Ind->CanMergeParams()) {
          E->Codes = RandomCodeList(*Ind->ParCodes);
        } else {
          const double Lo =
              std::clamp(CodeListMinValue(*Ind->ParCodes), -2147483647.0, 2147483647.0);
          const double Hi =
              std::clamp(CodeListMaxValue(*Ind->ParCodes), -2147483647.0, 2147483647.0);
          E->Codes = std::make_unique<TRixCodeList>();
          E->Codes->Add(std::make_unique<TRixCodeSingle>(NearestWhole(Gen.RandomBetween(Lo, Hi))));
        }
      } else if (Ind->Responses && Ind->Responses->Count() > 0) {
        const TMerResponseList& R = *Ind->Responses;
        E->Resp.reset();
        if (Ind->CanMergeParams())
          for (int I = 0; I < R.Count(); ++I)
            if (Gen.RandomReal() < 0.5 && R.GetItem(I)) AddResponseCopy(E->Resp, *R.GetItem(I));
        if (!E->Resp || E->Resp->Count() == 0)
          if (const TGimResponse* One = R.GetItem(Gen.RandomInt(R.Count())))
            AddResponseCopy(E->Resp, *One);
      }
    }
    Elems->Add(std::move(E));
  }
}

// ---- TPelParPressInds

std::string TPelParPressInds::GetDefaultName() const { return Tr("<PLK>Wskaźniki<ENU>Indicators"); }

std::string TPelParPressInds::GetSelectionCaption() const {
  return Tr("<PLK>Wybrany wskaźnik<ENU>Selected indicator");
}

TGimMedia* TPelParPressInds::Media() const { return PressOf(Survey); }

bool TPelParPressInds::IsApplicable(const TPelParList* ParList) const {
  return ParList && ParList->FindByClass(TPelParPressTitles::StaticClass(), false) != nullptr;
}

bool TPelParPressInds::UsesDays(int Index) const {
  if (SubParCount() == 0) return false;
  const auto* Sub = As<TPelSubParPressInds>(SubPar(0));
  if (!Sub) return false;
  if (Index >= 0) {
    const TPelSubElemPressInd* E = Sub->Elem(Index);
    return E && E->Ind && E->Ind->UsesDays();
  }
  for (int I = 0; I < Sub->ElemCount(); ++I)
    if (const TPelSubElemPressInd* E = Sub->Elem(I); E && E->Ind && E->Ind->UsesDays()) return true;
  return false;
}

std::unique_ptr<TPelSubPar> TPelParPressInds::NewSubPar(TOrvRandGen* Random) {
  auto S = New<TPelSubParPressInds>(Survey, this);
  if (Random) S->Randomize(*Random);
  return S;
}

// ---- Collections

void CollectPressTitles(const TPelParPressTitles& Par, std::vector<TGimPressTitle*>& Titles,
                        std::vector<TPelSubParPressTitles*>& Grouped, bool GroupedOnly) {
  for (int S = 0; S < Par.SubParCount(); ++S) {
    auto* Sub = As<TPelSubParPressTitles>(Par.SubPar(S));
    if (!Sub) continue;
    if (GroupedOnly) {
      if (Sub->Grouped && Sub->ElemCount() > 1) Grouped.push_back(Sub);
      continue;
    }
    for (int I = 0; I < Sub->ElemCount(); ++I)
      if (TGimPressTitle* T = Sub->Title(I);
          T && std::find(Titles.begin(), Titles.end(), T) == Titles.end())
        Titles.push_back(T);
  }
}

void CollectPressTitleDays(const TPelParPressTitles& Par,
                           const std::vector<TGimPressTitle*>& Titles,
                           std::vector<TOrvDaySet>& Masks) {
  if (Masks.size() < Titles.size()) Masks.resize(Titles.size());
  for (int S = 0; S < Par.SubParCount(); ++S) {
    const auto* Sub = As<TPelSubParPressTitles>(Par.SubPar(S));
    for (int I = 0; Sub && I < Sub->ElemCount(); ++I) {
      const auto It = std::find(Titles.begin(), Titles.end(), Sub->Title(I));
      if (It == Titles.end()) continue;
      TOrvDaySet& M = Masks[static_cast<size_t>(It - Titles.begin())];
      M = TOrvDaySet::FromBits(M.Bits() | Sub->EffectiveDays(I).Bits());
    }
  }
}

void CollectAllPressTitles(const TPelParList& ParList, std::vector<TGimPressTitle*>& Titles,
                           std::vector<TPelSubParPressTitles*>& Grouped, bool GroupedOnly) {
  Titles.clear();
  Grouped.clear();
  for (int I = 0; I < ParList.Count(); ++I)
    if (const auto* P = As<TPelParPressTitles>(ParList.GetItem(I)))
      CollectPressTitles(*P, Titles, Grouped, GroupedOnly);
}

std::vector<TOrvDaySet> CollectAllPressTitleDays(const TPelParList& ParList,
                                                 const std::vector<TGimPressTitle*>& Titles) {
  std::vector<TOrvDaySet> Masks(Titles.size());
  for (int I = 0; I < ParList.Count(); ++I)
    if (const auto* P = As<TPelParPressTitles>(ParList.GetItem(I)))
      CollectPressTitleDays(*P, Titles, Masks);
  return Masks;
}

}  // namespace quin
