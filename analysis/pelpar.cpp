#include "analysis/pelpar.h"

#include <array>
#include <cstring>
#include <set>

#include "analysis/pelreselem.h"
#include "base/format.h"
#include "base/langmanager.h"
#include "base/orvstrings.h"
#include "base/random.h"
#include "base/text.h"
#include "deflang/rixscanner.h"
#include "deflang/rixwriter.h"
#include "surveykit/gimreading.h"

namespace quin {

QUIN_IMPLEMENT_ABSTRACT_CLASS(TPelPar, TPelRWObject)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TPelSubElem, TOrvObject)
QUIN_IMPLEMENT_CLASS(TPelSubElemList, TOrvObjectList)
QUIN_IMPLEMENT_CLASS(TPelSubPar, TOrvObject)
QUIN_IMPLEMENT_CLASS(TPelSubParList, TOrvObjectList)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TPelParMulti, TPelPar)
QUIN_IMPLEMENT_CLASS(TPelParList, TOrvObjectList)
QUIN_IMPLEMENT_CLASS(TPelParSelections, TOrvObject)

// ---- TPelPar

std::unique_ptr<TPelPar> TPelPar::CreateWithTexts(const TPelRWClass& Class, TPelSurvey* ASurvey,
                                                  std::string_view ACaptionSuffix,
                                                  std::string_view AHeaderText) {
  std::unique_ptr<TPelPar> P(static_cast<TPelPar*>(Class.Create(ASurvey).release()));
  P->CaptionSuffix = ACaptionSuffix;
  P->HeaderText = AHeaderText;
  return P;
}

std::unique_ptr<TPelPar> TPelPar::CreateInList(const TPelRWClass& Class, TPelSurvey* ASurvey,
                                               TPelParList* ParList) {
  std::unique_ptr<TPelPar> P(static_cast<TPelPar*>(Class.Create(ASurvey).release()));
  P->Owner = ParList;
  return P;
}

std::string TPelPar::GetHeaderText() const {
  return HeaderText.empty() ? std::string() : CurrentLangManager().Translate(HeaderText);
}

std::string TPelPar::GetDisplayName() const {
  if (!AutoNamed) return Name;
  const TOrvLangManager& L = CurrentLangManager();
  const int N = Owner ? Owner->GetClassOrdinal(this) : 0;
  std::string Default = GetDefaultName();
  if (!CaptionSuffix.empty()) {
    const std::string Suffix = L.Translate(CaptionSuffix);
    if (N > 0) return Format("%s %d - %s ", {Default, N, Suffix}, L.FormatSettings);
    return Format("%s - %s ", {Default, Suffix}, L.FormatSettings);
  }
  if (NumbersRepeatedName() && N > 0) return Format("%s %d", {Default, N}, L.FormatSettings);
  return Default;
}

void TPelPar::Assign(const TPelRWObject& Source) {
  if (&Source == this) return;
  TPelParList* KeptOwner = Owner;
  TPelRWObject::Assign(Source);
  Owner = KeptOwner;
  if (Owner) Owner->SyncAll();
}

bool TPelPar::ReadKey(TRixScanner& Scanner) {
  if (TPelRWObject::ReadKey(Scanner)) return true;
  if (Scanner.ReadBoolean("total", Total)) {
    if (HasSubTotalItem() && !KeepsTotalKey()) {
      SubTotal = Total;
      Total = false;
    }
    return true;
  }
  if (RixKeyTaken(Scanner, false)) return true;
  if (RixKeyTaken(Scanner, Scanner.ReadInteger("selected", Selected))) return true;
  return RixKeyTaken(Scanner, Scanner.ReadBoolean("subTotal", SubTotal));
}

void TPelPar::WriteBody(TStream& Stream, int& Indent) const {
  TPelRWObject::WriteBody(Stream, Indent);
  if (SubTotal) WriteKeyBoolean(Stream, Indent, "subTotal", "", true);
  if (Total) WriteKeyBoolean(Stream, Indent, "total", "", true);
}

std::string TPelPar::GetShortCaption() const {
  std::string S = GetDisplayName();
  if (S.size() > 50) S = S.substr(0, 50) + "...";
  return S;
}

std::string TPelPar::GetGroupLabel2D(int Row, bool Selectable, bool Means, bool Detail,
                                     bool LabelSwitch, bool ShowCodes) {
  for (int R = Row; R >= 0; --R)
    if (IsGroupStart2D(R, Selectable, Means, Detail))
      return GetLabelAt2D({0, R}, Selectable, Means, Detail, LabelSwitch, ShowCodes);
  return {};
}

std::vector<uint8_t> TPelPar::GroupStarts2D(int Rows, bool Selectable, bool Means, bool Detail) {
  std::vector<uint8_t> R(static_cast<size_t>(std::max(Rows, 0)), 0);
  for (int I = 0; I < Rows; ++I)
    R[static_cast<size_t>(I)] = IsGroupStart2D(I, Selectable, Means, Detail) ? 1 : 0;
  return R;
}

void TPelPar::ClearTexts() {
  HeaderText.clear();
  CaptionSuffix.clear();
}

TPelResElem* TPelPar::CreateResElem(int Index) {
  return CreateResElemAt({Index, 0}, /*Selectable=*/true, /*Means=*/false, /*Detail=*/true);
}

TPelResElem* TPelPar::CreateResElemAt2D(TPelPos Pos, bool Selectable, bool Means, bool Detail) {
  return CreateResElemAt(Pos.Swapped(), Selectable, Means, Detail);
}

TPelResElemVec TPelPar::CreateResElemList(bool Selectable, bool Means, bool Detail) {
  TPelResElemVec R;
  WalkGrid(GetDims(Selectable, Means, Detail), false,
           [&](TPelPos P) { R.push_back(CreateResElemAt(P, Selectable, Means, Detail)); });
  return R;
}

TPelResElemVec TPelPar::CreateAllResElems() {
  TPelResElemVec R;
  const int N = GetItemCount();
  for (int I = 0; I < N; ++I) R.push_back(CreateResElem(I));
  return R;
}

TPelResElemVec TPelPar::CreateResElemList2D(bool Selectable, bool Means, bool Detail) {
  TPelResElemVec R;
  WalkGrid(GetDims2D(Selectable, Means, Detail), true,
           [&](TPelPos P) { R.push_back(CreateResElemAt2D(P, Selectable, Means, Detail)); });
  return R;
}

std::string TPelPar::GetLabel(int Index) {
  return GetLabelAt({Index, 0}, /*Selectable=*/true, /*Means=*/false, /*Detail=*/true,
                    /*LabelSwitch=*/false, /*ShowCodes=*/false);
}

std::string TPelPar::GetLabelAt2D(TPelPos Pos, bool Selectable, bool Means, bool Detail,
                                  bool LabelSwitch, bool ShowCodes) {
  return GetLabelAt(Pos.Swapped(), Selectable, Means, Detail, LabelSwitch, ShowCodes);
}

TPelLabels TPelPar::GetLabelList(bool Selectable, bool Means, bool Detail, bool LabelSwitch,
                                 bool ShowCodes) {
  TPelLabels R;
  WalkGrid(GetDims(Selectable, Means, Detail), false, [&](TPelPos P) {
    R.push_back(GetLabelAt(P, Selectable, Means, Detail, LabelSwitch, ShowCodes));
  });
  return R;
}

TPelLabels TPelPar::GetAllLabels() {
  TPelLabels R;
  const int N = GetItemCount();
  for (int I = 0; I < N; ++I) R.push_back(GetLabel(I));
  return R;
}

TPelLabels TPelPar::GetLabelList2D(bool Selectable, bool Means, bool Detail, bool LabelSwitch,
                                   bool ShowCodes) {
  TPelLabels R;
  WalkGrid(GetDims2D(Selectable, Means, Detail), true, [&](TPelPos P) {
    R.push_back(GetLabelAt2D(P, Selectable, Means, Detail, LabelSwitch, ShowCodes));
  });
  return R;
}

// ---- TPelSubPar

TPelSubPar::TPelSubPar(TPelSurvey* ASurvey, TPelParMulti* AOwner)
    : GUID(NewGUID()), Owner(AOwner), Survey(ASurvey) {}

TPelSubPar::TPelSubPar(const TPelSubPar& Source)
    : TOrvObject(Source),
      AutoNamed(Source.AutoNamed),
      Expanded(Source.Expanded),
      Grouped(Source.Grouped),
      GUID(Source.GUID),
      Hidden(Source.Hidden),
      Name(Source.Name),
      Owner(Source.Owner),
      Elems(Source.Elems ? std::make_unique<TPelSubElemList>(*Source.Elems) : nullptr),
      Survey(Source.Survey) {}

void TPelSubPar::AfterConstruction() {
  if (HasElemList() && !Elems) Elems = std::make_unique<TPelSubElemList>();
}

std::unique_ptr<TPelSubPar> TPelSubPar::CreateCopyNewGUID() const {
  std::unique_ptr<TPelSubPar> C = CopyOf(*this);
  C->GUID = NewGUID();
  return C;
}

void TPelSubPar::SetName(std::string_view AName) {
  Name = AName;
  AutoNamed = false;
}

std::string TPelSubPar::GetListText(bool AsRanges) const {
  std::string R;
  const int N = ElemCount();
  for (int I = 0; I < N;) {
    int J = I;
    if (AsRanges)
      while (J + 1 < N && Elems->GetItem(J + 1)->IsSuccessorOf(Elems->GetItem(J))) ++J;
    if (I > 0) R += ", ";
    R += J > I ? GetRangeStartLabel(I) + " .. " + GetRangeEndLabel(J) : GetElemLabel(I);
    I = J + 1;
  }
  return R;
}

void TPelSubPar::Clear() {
  if (Elems) Elems->Clear();
}

int TPelSubPar::GetImageIndex() const { return Hidden ? 2 : (Grouped ? 1 : 0); }

bool TPelSubPar::IsSimple() const {
  return !(Hidden || (Grouped && ElemCount() > 0 && HasElemList()));
}

void TPelSubPar::ReadBody(TRixScanner& Scanner, TPelSurvey* ASurvey) {
  TGimBlockReader R;
  R.Key = [&](TRixScanner& S) {
    if (ReadKey(S, ASurvey)) return true;
    if (RixKeyTaken(S, S.ReadGUID("GUID", GUID))) return true;
    std::unique_ptr<TRixTextList> Codes;
    if (S.ReadIdentifierList("list", Codes)) {
      for (int I = 0; Codes && I < Codes->Count(); ++I)
        if (std::unique_ptr<TPelSubElem> E = CreateElemFromCode(Codes->GetItem(I)->Text()))
          if (Elems) Elems->Add(std::move(E));
      return true;
    }
    if (RixKeyTaken(S, S.ReadBoolean("expanded", Expanded))) return true;
    if (RixKeyTaken(S, S.ReadBoolean("grouped", Grouped))) return true;
    if (RixKeyTaken(S, S.ReadBoolean("hidden", Hidden))) return true;
    std::string N;
    if (S.ReadString("name", N, /*AllowMultiLine=*/false, /*AllowEmpty=*/true, nullptr)) {
      SetName(N);
      return true;
    }
    return RixKeyTaken(S, false);
  };
  R.Block = [&](TRixScanner& S, const TOrvTextPos&) { return ReadKey(S, ASurvey); };
  R.Read(Scanner);
}

void TPelSubPar::WriteBody(TStream& Stream, int& Indent) const {
  if (!IsNullGUID(GUID)) WriteKeyGUID(Stream, Indent, "GUID", "", GUID);
  if (WritesElemsAsList()) {
    if (ElemCount() > 0) {
      std::string Codes;
      for (int I = 0; I < ElemCount(); ++I)
        Codes += (I > 0 ? ", " : "") + Elems->GetItem(I)->GetCode();
      WriteKeyValue(Stream, Indent, "list", "", Codes);
    }
  } else {
    for (int I = 0; I < ElemCount(); ++I) Elems->GetItem(I)->WriteBlock(Stream, Indent);
  }
  if (!Expanded) WriteKeyBoolean(Stream, Indent, "expanded", "", false);
  if (Grouped) WriteKeyBoolean(Stream, Indent, "grouped", "", true);
  if (Hidden) WriteKeyBoolean(Stream, Indent, "hidden", "", true);
  if (!AutoNamed) WriteKeyString(Stream, Indent, "name", "", Name);
}

// ---- TPelParMulti

TPelParMulti::TPelParMulti(TPelSurvey* ASurvey)
    : TPelPar(ASurvey), SubPars(std::make_unique<TPelSubParList>()) {}

TPelParMulti::TPelParMulti(const TPelParMulti& Source)
    : TPelPar(Source), SubPars(std::make_unique<TPelSubParList>(*Source.SubPars)) {
  for (int I = 0; I < SubParCount(); ++I) SubPar(I)->Owner = this;
}

TPelParMulti& TPelParMulti::operator=(const TPelParMulti& Source) {
  if (&Source == this) return *this;
  TPelPar::operator=(Source);
  SubPars = std::make_unique<TPelSubParList>(*Source.SubPars);
  for (int I = 0; I < SubParCount(); ++I) SubPar(I)->Owner = this;
  return *this;
}

TPelSubPar* TPelParMulti::AddSubPar(std::unique_ptr<TPelSubPar> Sub) {
  Sub->Owner = this;
  return SubPars->Add(std::move(Sub));
}

std::string TPelParMulti::MakeUniqueSubParName(std::string_view Base) const {
  for (long long K = 1;; ++K) {
    std::string Candidate = std::string(Base) + " (" + IntToStr(K) + ")";
    bool Taken = false;
    for (int I = 0; I < SubParCount() && !Taken; ++I) Taken = SubPar(I)->GetName() == Candidate;
    if (!Taken) return Candidate;
  }
}

void TPelParMulti::DeleteSubPar(int Index) {
  if (Index >= 0 && Index < SubParCount()) SubPars->Delete(Index);
}

void TPelParMulti::AfterLoadFromFile() {
  for (int I = 0; I < SubParCount(); ++I) SubPar(I)->GUID = NewGUID();
}

void TPelParMulti::ClearIdentity() {
  for (int I = 0; I < SubParCount(); ++I) SubPar(I)->GUID = TGUID{};
}

void TPelParMulti::ReadBody(TRixScanner& Scanner, TPelSurvey* ASurvey) {
  SubPars->Clear();
  ReadKeysToEnd(Scanner, {}, [&](TRixScanner& S) {
    if (!S.ReadDefComplexStart("subpar")) return false;
    AddSubPar(NewSubPar(nullptr))->ReadBody(S, ASurvey);
    return true;
  });
  // Every sub-parameter keeps an identity of its own: later duplicates get new GUIDs.
  std::set<std::array<uint8_t, 16>> Seen;
  for (int I = 0; I < SubParCount(); ++I) {
    std::array<uint8_t, 16> Key;
    uint8_t Bytes[16];
    GUIDToBytes(SubPar(I)->GUID, Bytes);
    std::memcpy(Key.data(), Bytes, 16);
    if (!Seen.insert(Key).second) SubPar(I)->GUID = NewGUID();
  }
}

void TPelParMulti::WriteBody(TStream& Stream, int& Indent) const {
  TPelPar::WriteBody(Stream, Indent);
  for (int I = 0; I < SubParCount(); ++I) {
    WriteDefStart(Stream, Indent, "subpar");
    SubPar(I)->WriteBody(Stream, Indent);
    WriteDefEnd(Stream, Indent);
  }
}

bool TPelParMulti::IsSimple() const {
  return SubParCount() == 0 || (SubParCount() == 1 && SubPar(0)->IsSimple());
}

void TPelParMulti::Randomize(TOrvRandGen& Gen) {
  SubPars->Clear();
  for (;;) {
    if (AllowsEmpty() && Gen.RandomInt(3) == 0) break;
    AddSubPar(NewSubPar(&Gen));
    if (SingleSubPar() || Gen.RandomInt(2) == 0) break;
  }
}

bool TPelParMulti::LocateGridItem(int Index, bool Detail, TPelSubPar*& Sub, int& Elem) const {
  if (Index < 0) return false;
  for (int I = 0; I < SubParCount(); ++I) {
    TPelSubPar* S = SubPar(I);
    if (S->Hidden) continue;
    const bool Whole = S->Grouped || !S->ElemsAreItems();
    const int N = Whole ? 1 : S->GetItemCount(Detail);
    if (Index < N) {
      Sub = S;
      Elem = Whole ? -1 : Index;
      return true;
    }
    Index -= N;
  }
  return false;
}

bool TPelParMulti::LocateFlatItem(int Index, TPelSubPar*& Sub, int& Elem) const {
  if (Index < 0) return false;
  const bool Totals = HasSubParTotals();
  for (int I = 0; I < SubParCount(); ++I) {
    TPelSubPar* S = SubPar(I);
    if (S->Hidden) continue;
    Sub = S;
    if (S->Grouped || !S->ElemsAreItems()) {
      if (Index == 0) return Elem = -1, true;
      --Index;
      continue;
    }
    const int N = S->GetItemCountDefault();
    if (Totals) {
      if (Index == 0) return Elem = -1, true;
      --Index;
      if (N <= 1) continue;
    }
    if (Index < N) return Elem = Index, true;
    Index -= N;
  }
  return false;
}

TPelResElem* TPelParMulti::Stamp(TPelResElem* Elem, const TPelSubPar& Sub) {
  if (Elem) Elem->SubParGUID = Sub.GUID;
  return Elem;
}

TPelDims TPelParMulti::GetDims(bool Selectable, bool Means, bool Detail) {
  if (SubPars->Empty()) return {};
  int N = 0;
  for (int I = 0; I < SubParCount(); ++I) {
    const TPelSubPar* S = SubPar(I);
    if (!S->Hidden) N += S->Grouped || !S->ElemsAreItems() ? 1 : S->GetItemCount(Detail);
  }
  return {N, 1};
}

TPelResElem* TPelParMulti::CreateResElemAt(TPelPos Pos, bool Selectable, bool Means, bool Detail) {
  TPelSubPar* Sub = nullptr;
  int Elem = 0;
  if (!LocateGridItem(Pos.X, Detail, Sub, Elem)) return nullptr;
  return Stamp(Elem < 0 ? Sub->CreateResElem() : Sub->CreateItemElem(Elem, Detail), *Sub);
}

std::string TPelParMulti::GetLabelAt(TPelPos Pos, bool Selectable, bool Means, bool Detail,
                                     bool LabelSwitch, bool ShowCodes) {
  TPelSubPar* Sub = nullptr;
  int Elem = 0;
  if (!LocateGridItem(Pos.X, Detail, Sub, Elem)) return {};
  return Elem < 0 ? Sub->GetName() : Sub->GetItemLabel(Elem, Detail);
}

int TPelParMulti::GetItemCount() {
  const bool Totals = HasSubParTotals();
  int N = 0;
  for (int I = 0; I < SubParCount(); ++I) {
    const TPelSubPar* S = SubPar(I);
    if (S->Hidden) continue;
    if (S->Grouped || !S->ElemsAreItems()) {
      ++N;
      continue;
    }
    const int K = S->GetItemCountDefault();
    N += Totals ? (K <= 1 ? 1 : K + 1) : K;
  }
  return N;
}

TPelResElem* TPelParMulti::CreateResElem(int Index) {
  TPelSubPar* Sub = nullptr;
  int Elem = 0;
  if (!LocateFlatItem(Index, Sub, Elem)) return nullptr;
  return Stamp(Elem < 0 ? Sub->CreateResElem() : Sub->CreateItemElemDefault(Elem), *Sub);
}

std::string TPelParMulti::GetLabel(int Index) {
  TPelSubPar* Sub = nullptr;
  int Elem = 0;
  if (!LocateFlatItem(Index, Sub, Elem)) return {};
  return Elem < 0 ? Sub->GetName() : Sub->GetItemLabelDefault(Elem);
}

std::string TPelParMulti::GetItemInfoText(int Option, int Index) const {
  TPelSubPar* Sub = nullptr;
  int Elem = 0;
  if (!LocateFlatItem(Index, Sub, Elem)) return {};
  const std::string Head = GetSelectionCaption() + ": ";
  if (Elem >= 0) return InfoTextFor(Option, Head + Sub->GetItemLabelDefault(Elem));
  const std::string Label = Sub->GetName();
  const std::string List = Sub->GetListText(ShowsRanges());
  // A name that already says what it selects (a default name such as "Selected waves: W1")
  // is not told twice.
  std::string Text = Label;
  if (Label.find(List) == std::string::npos) Text += " [" + List + "]";
  if (Label.rfind(Head, 0) != 0) Text = Head + Text;
  return InfoTextFor(Option, Text);
}

std::string InfoTextFor(int Option, std::string_view Text) {
  return Option == 1 ? HtmlEscape(Text) : std::string(Text);
}

// ---- TPelParList

TPelParList::TPelParList(const TPelParList& Source)
    : TOrvTypedList(true), BasedOn(Source.BasedOn), Survey(Source.Survey), Weight(Source.Weight) {
  SetCapacity(Source.Count());
  for (int I = 0; I < Source.Count(); ++I) {
    TPelPar* P = Source.GetItem(I);
    // Preparing brings a parameter's derived state up to date before it is copied.
    P->Prepare();
    std::unique_ptr<TPelPar> C = CopyOf(*P);
    C->Prepare();
    C->Owner = this;
    const int K = P->Parent ? Source.IndexOf(P->Parent) : -1;
    if (K >= 0 && K < I) C->Parent = GetItem(K);
    Add(std::move(C));
  }
}

void TPelParList::PrepareAll() {
  for (int I = 0; I < Count(); ++I) GetItem(I)->Prepare();
}

TPelPar* TPelParList::FindByClass(const ClassInfo& Class, bool Exact, int N) const {
  for (int I = 0; I < Count(); ++I) {
    TPelPar* P = GetItem(I);
    if ((Exact ? P->IsExactly(Class) : P->Is(Class)) && N-- == 0) return P;
  }
  return nullptr;
}

int TPelParList::CountByClass(const ClassInfo& Class, bool Exact) const {
  int N = 0;
  for (int I = 0; I < Count(); ++I)
    if (Exact ? GetItem(I)->IsExactly(Class) : GetItem(I)->Is(Class)) ++N;
  return N;
}

int TPelParList::IndexOfClass(const ClassInfo& Class) const {
  for (int I = 0; I < Count(); ++I)
    if (GetItem(I)->IsExactly(Class)) return I;
  return -1;
}

TPelPar* TPelParList::AddPar(std::unique_ptr<TPelPar> Par) {
  Par->Owner = this;
  return Add(std::move(Par));
}

void TPelParList::DeleteWithDependants(int Index) {
  const TPelPar* P = GetItem(Index);
  for (int I = Count() - 1; I > Index; --I)
    if (I < Count() && GetItem(I)->Parent == P) DeleteWithDependants(I);
  Delete(Index);
}

void TPelParList::RemoveEmpty() {
  for (int I = Count() - 1; I >= 0; --I)
    if (I < Count() && GetItem(I)->IsEmpty()) DeleteWithDependants(I);
}

int TPelParList::GetClassOrdinal(const TPelPar* Par) const {
  if (!Par || CountByClass(Par->ClassType(), true) <= 1) return 0;
  int N = 0;
  for (int I = 0; I < Count(); ++I) {
    const TPelPar* P = GetItem(I);
    if (!P->IsExactly(Par->ClassType())) continue;
    ++N;
    if (P == Par) return N;
  }
  return 0;
}

void TPelParList::DropUnavailable(uint8_t Mode) {
  // Derived parameters go with the one they were derived from, so that no Parent dangles.
  for (int I = Count() - 1; I >= 0; --I)
    if (I < Count() && !GetItem(I)->IsAvailableInMode(Mode)) DeleteWithDependants(I);
}

TPelParMulti* TPelParList::FindMultiParBySubParGUID(const TGUID& GUID) const {
  for (int I = 0; I < Count(); ++I)
    if (auto* M = As<TPelParMulti>(GetItem(I)))
      for (int J = 0; J < M->SubParCount(); ++J)
        if (M->SubPar(J)->GUID == GUID) return M;
  return nullptr;
}

void TPelParList::SyncAll() {
  for (int I = 0; I < Count(); ++I) GetItem(I)->SyncWithParList();
}

// ---- TPelParSelections

void TPelParSelections::ClampIndex(TPelPar* Par, int& Index) {
  Index = std::min(Index, Par->GetItemCount() - 1);
  Index = std::max(Index, 0);
}

void TPelParSelections::SetSelected(TPelPar* Par, int Index) {
  ClampIndex(Par, Index);
  for (TPair& P : Pairs)
    if (P.Par == Par) {
      P.Index = Index;
      return;
    }
  Pairs.push_back({Par, Index});
}

int TPelParSelections::GetSelected(TPelPar* Par) const {
  for (const TPair& P : Pairs)
    if (P.Par == Par) {
      int Index = P.Index;
      ClampIndex(Par, Index);
      return Index;
    }
  return 0;
}

void TPelParSelections::InitFromPars(const TPelParList& ParList) {
  for (int I = 0; I < ParList.Count(); ++I)
    SetSelected(ParList.GetItem(I), ParList.GetItem(I)->Selected);
}

void TPelParSelections::ReadFromScanner(TRixScanner& Scanner, const TPelParList& ParList) {
  TGimBlockReader Outer;
  Outer.Block = [&](TRixScanner& S, const TOrvTextPos&) {
    if (!S.ReadDefComplexStart("parSelection")) return false;
    int32_t ParIndex = -1;
    int32_t Index = -1;
    TGimBlockReader Inner;
    Inner.Key = [&](TRixScanner& T) {
      return RixKeyTaken(T, T.ReadInteger("parIndex", ParIndex)) ||
             RixKeyTaken(T, T.ReadInteger("selected", Index));
    };
    Inner.Read(S);
    if (ParIndex >= 0 && ParIndex < ParList.Count() && Index >= 0)
      SetSelected(ParList.GetItem(ParIndex), Index);
    return true;
  };
  Outer.Read(Scanner);
}

void TPelParSelections::WriteToStream(TStream& Stream, int& Indent,
                                      const TPelParList& ParList) const {
  bool Any = false;
  for (const TPair& P : Pairs) Any = Any || (P.Index > 0 && ParList.IndexOf(P.Par) >= 0);
  if (!Any) return;
  WriteDefStart(Stream, Indent, "parSelections");
  for (const TPair& P : Pairs) {
    const int ParIndex = ParList.IndexOf(P.Par);
    if (P.Index <= 0 || ParIndex < 0) continue;
    WriteDefStart(Stream, Indent, "parSelection");
    WriteKeyInteger(Stream, Indent, "parIndex", "", ParIndex);
    WriteKeyInteger(Stream, Indent, "selected", "", P.Index);
    WriteDefEnd(Stream, Indent);
  }
  WriteDefEnd(Stream, Indent);
}

}  // namespace quin
