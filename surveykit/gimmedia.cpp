#include "surveykit/gimmedia.h"

#include <algorithm>

#include "base/format.h"
#include "base/langmanager.h"
#include "base/orvscanner.h"
#include "base/text.h"
#include "deflang/rixscanner.h"
#include "deflang/rixtokens.h"
#include "surveykit/gimdata.h"
#include "surveykit/gimreading.h"
#include "surveykit/mermessages.h"
#include "surveykit/merrecset.h"
#include "surveykit/mersurvey.h"

namespace quin {

QUIN_IMPLEMENT_CLASS(TGimMediaObject, TGimDataObject)
QUIN_IMPLEMENT_CLASS(TGimMediaModule, TGimModule)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TGimMediaInd, TGimSimpleDataObject)
QUIN_IMPLEMENT_CLASS(TGimMediaIndList, TOrvObjectList)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TGimMedia, TOrvObject)

#define QUIN_MSG(Name, Kind, Text) const TOrvMsgClass Name{#Name, &Kind, Text};
QUIN_MSG(TGimError_TooManyMediaObjects, TOrvMsgKind_Error,
         "<PLK>Zbyt wiele obiektów mediów w sekcji.<ENU>Too many media objects in the section.")
#undef QUIN_MSG

// ---- Media objects

TGimMediaObject::TGimMediaObject(const TGimMediaObject& Source)
    : TGimDataObject(Source),
      Groups(Source.Groups ? std::make_unique<TGimGroupList>(Source.Groups->Survey) : nullptr),
      Regions(Source.Regions ? std::make_unique<TGimRegionList>(Source.Regions->Survey) : nullptr) {
  if (Groups) {
    Groups->OwnsObjects = false;
    for (int I = 0; I < Source.Groups->Count(); ++I) Groups->Add(Source.Groups->Items(I));
  }
  if (Regions) {
    Regions->OwnsObjects = false;
    for (int I = 0; I < Source.Regions->Count(); ++I) Regions->Add(Source.Regions->Items(I));
  }
}

// ---- Indicators

bool TGimMediaInd::DependsOnInd(const ClassInfo&, int, int) const { return false; }

std::string TGimMediaInd::DisplayFormat(int Decimals) const {
  return "%1." + IntToStr(Decimals) + "f";
}

std::string TGimMediaInd::Groups() const { return TranslateLiteral("<PLK>Dostępne<ENU>Available"); }

void TGimMediaInd::InitQuestions(TRixScanner*, TGimModule*, TGimModule*) {}

TGimMediaInd* TGimMediaIndList::FindByClass(const ClassInfo& IndClass) const {
  for (int I = 0; I < Count(); ++I)
    if (GetItem(I)->IsExactly(IndClass)) return GetItem(I);
  return nullptr;
}

TGimMediaInd* TGimMediaIndList::FindByID(std::string_view ID) const {
  for (int I = 0; I < Count(); ++I)
    if (GetItem(I)->ID == ID) return GetItem(I);
  return nullptr;
}

TGimMediaInd* TGimMediaIndList::FindByText(std::string_view ID) const {
  for (int I = 0; I < Count(); ++I)
    if (SameText(GetItem(I)->ID, ID)) return GetItem(I);
  return nullptr;
}

void TGimMediaIndList::KeepOnly(const std::vector<std::string>& Kept) {
  for (int I = Count() - 1; I >= 0; --I) {
    const std::string& ID = GetItem(I)->ID;
    const bool Keep = std::any_of(Kept.begin(), Kept.end(),
                                  [&](const std::string& K) { return SameText(K, ID); });
    if (!Keep) Delete(I);
  }
}

// ---- The definition

TGimMedia::TGimMedia() : GroupLists(std::make_unique<TOrvObjectList>(true)) {}

TGimMedia::~TGimMedia() {
  RootModule.reset();
  Regions.reset();
  Indicators.reset();
  GroupLists.reset();
  FReplacedRegions.clear();
}

void TGimMedia::ReadRegions(TRixScanner& Scanner, const TOrvTextPos& Pos) {
  if (Regions) FReplacedRegions.push_back(std::move(Regions));
  auto L = std::make_unique<TGimRegionList>(Survey);
  L->Read(Scanner, Pos);  // on an exception the new list goes and the definition has none
  Regions = std::move(L);
}

void TGimMedia::ReadGroups(TRixScanner& Scanner) {
  auto L = std::make_unique<TGimGroupList>(Survey);
  L->Read(Scanner, Survey);
  GroupLists->Add(std::move(L));
}

void TGimMedia::ResetHook() {
  HookModule = Survey && Survey->Data ? Survey->Data->Root.get() : nullptr;
}

bool TGimMedia::AdmitObject(TRixScanner& Scanner, int Max) {
  const TOrvTextPos KeyPos = Scanner.PrevToken ? Scanner.PrevToken->StartPos : Scanner.Pos;
  if (FObjectCount < Max) {
    ++FObjectCount;
    return true;
  }
  Scanner.AddMsgAt(TGimError_TooManyMediaObjects, KeyPos);
  Scanner.SkipDef(KeyPos);
  return false;
}

bool TGimMedia::ReadObjectTexts(TRixScanner& Scanner, TGimSimpleDataObject& Obj,
                                const ClassInfo& Class) {
  const TOrvTextPos Pos = Scanner.Token->StartPos;
  const std::string OldID = Obj.ID;
  if (!GimReadObjectText(Scanner, Obj, true)) return false;
  if (Obj.ID != OldID) {
    if (ReadIDs.FindsOther(Class, &Obj, Obj.ID)) Scanner.AddMsgAt(TMerError_IDNotUnique, Pos);
    ReadIDs.Add(&Obj);
  }
  return true;
}

bool TGimMedia::ReadHook(TRixScanner& Scanner) {
  const TOrvTextPos Pos = Scanner.Token->StartPos;
  std::string ID;
  if (!Scanner.ReadIdentifier("hook", ID))
    return Scanner.LastReadResult() != TRixReadResult::NoMatch;
  TGimModule* Root = Survey && Survey->Data ? Survey->Data->Root.get() : nullptr;
  HookModule = Root ? As<TGimModule>(Root->FindObject(TGimModule::StaticClass(), ID)) : nullptr;
  if (!HookModule) Scanner.AddMsgAt(TMerError_ModuleNotFound, Pos);
  return true;
}

// ---- The "indicators" block

namespace {

// One "indicator" body; the identifier it names (lower-cased), or empty.
std::string ReadIndicator(TRixScanner& Scanner, TGimMediaIndList& Catalogue,
                          const TGimIndicatorReader& Reader, const TOrvTextPos& KeyPos) {
  const TOrvTextPos At = Scanner.Token->StartPos;
  std::string ID;
  if (!Scanner.ReadIdentifier("id", ID)) {
    if (Scanner.LastReadResult() == TRixReadResult::NoMatch)
      Scanner.AddMsgAt(TMerMsgError_IndIDExpected, At);
    Scanner.SkipDef(KeyPos);
    return {};
  }
  TGimMediaInd* Ind = Catalogue.FindByText(ID);
  if (!Ind) {
    Scanner.AddMsgAt(TMerMsgError_UnknownIndID, At);
    Scanner.SkipDef(KeyPos);
    return {};
  }
  if (Reader.Accept && !Reader.Accept(Scanner, *Ind, At)) {
    Scanner.SkipDef(KeyPos);
    return {};
  }
  const TOrvLangManager* Lang = SurveyLangManager(Catalogue.Survey);
  TGimBlockReader R;
  R.Key = [&](TRixScanner& S) {
    auto Handled = [&S](bool Read) {
      return Read || S.LastReadResult() != TRixReadResult::NoMatch;
    };
    if (Handled(S.ReadString("name", Ind->Name, false, false, Lang))) return true;
    if (Handled(S.ReadString("nick", Ind->Nick, false, false, Lang))) return true;
    if (Handled(S.ReadString("info", Ind->Info, true, false, Lang))) return true;
    return Reader.Key && Reader.Key(S, *Ind);
  };
  // A nested block that the medium does not read is 'Unexpected "def".'.
  R.Block = [&](TRixScanner& S, const TOrvTextPos&) {
    if (Reader.Block && Reader.Block(S, *Ind)) return true;
    GimSkipBlock(S, &TMerMsgError_UnexpectedDef, true);
    return true;
  };
  R.Read(Scanner);
  return ID;
}

}  // namespace

void GimReadIndicators(TRixScanner& Scanner, TGimMediaIndList& Catalogue,
                       const TGimIndicatorReader& Reader) {
  std::vector<std::string> Kept;
  TGimBlockReader R;
  R.Block = [&](TRixScanner& S, const TOrvTextPos&) {
    if (!S.ReadDefComplexStart("indicator")) return false;
    const TOrvTextPos KeyPos = S.PrevToken->StartPos;
    std::string ID = ReadIndicator(S, Catalogue, Reader, KeyPos);
    if (!ID.empty() && std::none_of(Kept.begin(), Kept.end(),
                                    [&](const std::string& K) { return SameText(K, ID); }))
      Kept.push_back(std::move(ID));
    return true;
  };
  R.Read(Scanner);
  Catalogue.KeepOnly(Kept);
}

// ---- Regions and groups of media objects

namespace {

// "all" or an identifier list after Key: True with All when "all" stood there alone.
bool ReadAllOrList(TRixScanner& Scanner, std::string_view Key, bool& All,
                   std::unique_ptr<TRixTextList>& Names) {
  if (!Scanner.ReadIdentifierList(Key, Names)) return false;
  All = Names && Names->Count() == 1 && SameText(Names->GetItem(0)->Text(), "all");
  return true;
}

// Where an element of a list stands (the value's end when it kept no token).
TOrvTextPos ElemPos(const TRixTextElem& E, const TRixScanner& Scanner) {
  return E.Token() ? E.Token()->StartPos : Scanner.LastTokenEnd();
}

}  // namespace

bool GimReadRegionsValue(TRixScanner& Scanner, std::unique_ptr<TGimRegionList>& List,
                         const TGimRegionList* Known, bool ReportUnknown) {
  std::unique_ptr<TRixTextList> Names;
  bool All = false;
  // A value that is no list has been reported and skipped by the list reader.
  if (!ReadAllOrList(Scanner, "regions", All, Names))
    return Scanner.LastReadResult() != TRixReadResult::NoMatch;
  List.reset();
  if (All) return true;
  List = std::make_unique<TGimRegionList>(Known ? Known->Survey : nullptr);
  List->OwnsObjects = false;
  for (int I = 0; Names && I < Names->Count(); ++I) {
    TGimRegion* R = Known ? Known->FindByID(Names->GetItem(I)->Text()) : nullptr;
    if (R)
      List->Add(R);
    else if (ReportUnknown)
      Scanner.AddMsgAt(TRixMsgError_UnknownKey, ElemPos(*Names->GetItem(I), Scanner));
  }
  return true;
}

bool GimReadGroupsValue(TRixScanner& Scanner, std::unique_ptr<TGimGroupList>& List,
                        const TOrvObjectList& GroupLists) {
  std::unique_ptr<TRixTextList> Names;
  bool All = false;
  if (!ReadAllOrList(Scanner, "groups", All, Names))
    return Scanner.LastReadResult() != TRixReadResult::NoMatch;
  List.reset();
  if (All) return true;
  List = std::make_unique<TGimGroupList>();
  List->OwnsObjects = false;
  for (int I = 0; Names && I < Names->Count(); ++I) {
    if (TGimGroup* G = FindGroupInLists(GroupLists, Names->GetItem(I)->Text()))
      List->Add(G);
    else
      Scanner.AddMsgAt(TRixMsgError_UnknownKey, ElemPos(*Names->GetItem(I), Scanner));
  }
  return true;
}

std::unique_ptr<TMerRecsetCol> GimCreateMediaCol(TMerSurvey* Survey, TRixScanner* Scanner,
                                                 std::string_view Spec) {
  if (!Survey) return nullptr;
  std::unique_ptr<TMerRecsetCol> Col = Survey->CreateCol(Scanner, Spec);
  if (Col && (!Col->Recset || Col->Recset->HasColumn(Col->Name))) return Col;
  if (Scanner)
    Scanner->AddMsgArgsAt(TMerError_ColNotFoundInAll, Scanner->LastTokenEnd(),
                          {Col ? Col->Name : std::string(Spec)});
  return nullptr;
}

}  // namespace quin
